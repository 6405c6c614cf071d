#include "platform/ExclusiveCreate.h"

#include <cerrno>
#include <filesystem>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace vantor {

int createExclusive(const std::string& path) {
    // Binary: the runtime would otherwise turn every 0x0A byte into two.
    return ::_wopen(std::filesystem::path(path).c_str(),
                    _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

int closeCreated(int fd) {
    return ::_close(fd);
}

} // namespace vantor

#else
#include <fcntl.h>
#include <unistd.h>

namespace vantor {

int createExclusive(const std::string& path) {
    int fd = -1;
    do
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int closeCreated(int fd) {
    return ::close(fd);
}

} // namespace vantor

#endif
