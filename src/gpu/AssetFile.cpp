#include "gpu/AssetFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#ifdef _WIN32
// Windows has no FIFOs or devices under a path a user gives, so opening cannot block; the type
// and size are still checked on the open descriptor. Binary: no line-end translation.
int openAssetFile(const std::string& path, std::uint64_t maxBytes) {
    const int fd = ::_wopen(std::filesystem::path(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        return -1;
    struct _stat64 info {};
    if (::_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG || info.st_size < 0 ||
        static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::_close(fd);
        return -1;
    }
    return fd;
}
#else
int openAssetFile(const std::string& path, std::uint64_t maxBytes) {
    // Without O_NONBLOCK, opening a FIFO for reading waits for a writer that never comes. The
    // type is checked on the open descriptor, so a file swapped after a path check cannot pass.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}
#endif

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
        const auto got = ::read(fd, chunk, sizeof chunk);
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
    ::close(fd);
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
