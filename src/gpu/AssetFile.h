#pragma once
// Every asset (models, images, shaders) is read through here, and only when its path names a
// regular file (links followed) no larger than the limit its kind states. A FIFO would block the
// start-up forever, a link to /dev/zero never ends and a directory reads as nothing: each of them
// is refused like a file that does not exist, so every reader reports it with its usual message.

#include <cstdint>
#include <string>

namespace vantor {

namespace assetlimits {
// GLSL source: the largest shader here is a few kilobytes.
constexpr std::uint64_t shaderBytes = 1ull << 20;
// OBJ text: the level is a quarter of a megabyte; 16-bit indices cap a mesh far below this.
constexpr std::uint64_t modelBytes = 512ull << 20;
// PNG, JPEG or BMP file: the largest picture decoded (2^26 pixels) as an uncompressed 32-bit BMP,
// plus room for its headers and palette.
constexpr std::uint64_t imageBytes = (256ull << 20) + (1ull << 20);
} // namespace assetlimits

// A descriptor open for reading on `path`, or -1 when it cannot be opened, is not a regular file
// or holds more than `maxBytes`. Opening never blocks (a FIFO is opened non-blocking and then
// refused). The caller closes the descriptor.
int openAssetFile(const std::string& path, std::uint64_t maxBytes);

// The whole content of `path` into `bytes`, under the same conditions as openAssetFile; false
// (and `bytes` empty) otherwise, also when the file grows past `maxBytes` while it is read.
bool readAssetFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes);

// For an asset that could not be read because its folder is missing (the demo started from the
// wrong folder): one line saying where `path` was looked for, made absolute from the working
// folder, and that the demo runs one level below the asset tree. Empty when the folder exists.
std::string assetFolderHint(const std::string& path);

} // namespace vantor
