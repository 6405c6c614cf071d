#pragma once
// Image decoding shared by the 2D textures and the sky cube map: any picture FreeImage
// recognises by its content becomes 8-bit RGBA, rows bottom-up (GL's t = 0 is the bottom).
// Needs no GL context.

#include <string>
#include <vector>

// Decodes the file at `path`. Returns width * height * 4 bytes in R, G, B, A order; a file
// that cannot be read gives an empty buffer and width = height = 0, without a message.
std::vector<unsigned char> loadImageRGBA(const std::string& path, unsigned& width, unsigned& height);
