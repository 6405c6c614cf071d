#include "gpu/AssetFile.h"

#include "platform/FileDescriptor.h"

#include <cerrno>
#include <filesystem>

namespace vantor {

int openAssetFile(const std::string& path, std::uint64_t maxBytes) {
    return openRegularFileForReading(path, maxBytes);
}

bool readAssetFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes) {
    bytes.clear();
    const int fd = openAssetFile(path, maxBytes);
    if (fd < 0)
        return false;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size <= maxBytes)
        bytes.reserve(static_cast<std::size_t>(size));
    char chunk[65536];
    bool ok = true;
    for (;;) {
        const auto got = readDescriptor(fd, chunk, sizeof chunk);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (bytes.size() + static_cast<std::uint64_t>(got) > maxBytes) {
            ok = false;
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    closeDescriptor(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

std::string assetFolderHint(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::path(path).parent_path(), error))
        return std::string();
    const std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
    return "Looked for " + (error ? path : absolute.string()) +
           ": the demo reads its assets from ../Quarnvale, so it must run from a folder one level below the "
           "asset tree (such as build/)";
}

} // namespace vantor
