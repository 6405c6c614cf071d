#pragma once
// Image decoding shared by the 2D textures and the sky cube map: a PNG, JPEG or BMP picture,
// recognised by its content, becomes 8-bit RGBA, rows bottom-up (GL's t = 0 is the bottom).
// Needs no GL context.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// What a picture's header claims, read without decoding anything.
struct ImageHeader {
    unsigned width = 0;
    unsigned height = 0;
    // Bytes of the bitmap the decoder allocates at the file's own depth before reading a pixel.
    std::uint64_t bitmapBytes = 0;
    // The least file size that can hold the claimed pixels: exact for an uncompressed BMP,
    // 1/1032 of the bitmap otherwise (deflate never packs more densely; JPEG and run-length BMP
    // are held to the same ratio once the bitmap is larger than 16 MB).
    std::uint64_t leastFileBytes = 0;
};

// Reads the size from a PNG IHDR, a BMP header or the first JPEG frame header. False when the
// bytes are none of these formats or their header is cut short or impossible.
bool readImageHeader(const unsigned char* data, std::size_t size, ImageHeader& header);

// Decodes a whole file held in memory. Returns width * height * 4 bytes in R, G, B, A order.
// On failure returns an empty buffer with width = height = 0, and `why` says what is wrong:
// not PNG, JPEG or BMP; a damaged header; a picture wider or taller than 16384 or of more than
// 2^26 pixels; a size the file is too short to hold; or a decoder failure. The size checks come
// before the decoder allocates anything.
std::vector<unsigned char> decodeImageRGBA(const unsigned char* data, std::size_t size, unsigned& width,
                                           unsigned& height, std::string& why);

// Reads the file at `path` (a regular file of bounded size, see gpu/AssetFile.h) and decodes
// it. A file that cannot be opened or decoded gives an empty buffer and 0 x 0, and one line on
// standard error: "Image not loaded: <path>: <why>". Standard output stays untouched.
std::vector<unsigned char> loadImageRGBA(const std::string& path, unsigned& width, unsigned& height);

} // namespace vantor
