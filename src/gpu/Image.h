#pragma once
// Image decoding shared by the 2D textures and the sky cube map: a PNG, JPEG or BMP picture,
// recognised by its content, becomes 8-bit RGBA, rows bottom-up (GL's t = 0 is the bottom).
// Needs no GL context.

#include <string>
#include <vector>

// Decodes the file at `path`. Returns width * height * 4 bytes in R, G, B, A order. A file that
// cannot be read, holds another format, or whose picture is wider or taller than 16384 or holds
// more than 2^26 pixels gives an empty buffer and width = height = 0, without a message.
std::vector<unsigned char> loadImageRGBA(const std::string& path, unsigned& width, unsigned& height);
