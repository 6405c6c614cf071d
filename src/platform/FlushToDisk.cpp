#include "platform/FlushToDisk.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>

namespace vantor {

int flushToDisk(int fd) {
    return ::_commit(fd) == 0 ? 0 : errno;
}

} // namespace vantor

#else
#include <unistd.h>

namespace vantor {

int flushToDisk(int fd) {
    if (::fsync(fd) != 0 && errno != EINVAL)
        return errno;
    return 0;
}

} // namespace vantor

#endif
