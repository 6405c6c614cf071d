#include "platform/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <filesystem>
#include <io.h>

namespace vantor {

// There are no FIFOs or devices under a path a user gives, so opening cannot block; the type and
// size are still checked. Binary: no line-end translation.
int openRegularFileForReading(const std::string& path, std::uint64_t maxBytes) {
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

// The runtime counts bytes in an unsigned int.
long long readDescriptor(int fd, void* into, std::size_t count) {
    return ::_read(fd, into, unsigned(std::min<std::size_t>(count, INT_MAX)));
}

long long writeDescriptor(int fd, const void* from, std::size_t count) {
    return ::_write(fd, from, unsigned(std::min<std::size_t>(count, INT_MAX)));
}

int closeDescriptor(int fd) {
    return ::_close(fd);
}

std::FILE* streamOnDescriptor(int fd, const char* mode) {
    return ::_fdopen(fd, mode);
}

} // namespace vantor

#else
#include <unistd.h>

namespace vantor {

int openRegularFileForReading(const std::string& path, std::uint64_t maxBytes) {
    // Without O_NONBLOCK, opening a FIFO for reading waits for a writer that never comes.
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

long long readDescriptor(int fd, void* into, std::size_t count) {
    return ::read(fd, into, count);
}

long long writeDescriptor(int fd, const void* from, std::size_t count) {
    return ::write(fd, from, count);
}

int closeDescriptor(int fd) {
    return ::close(fd);
}

std::FILE* streamOnDescriptor(int fd, const char* mode) {
    return ::fdopen(fd, mode);
}

} // namespace vantor

#endif
