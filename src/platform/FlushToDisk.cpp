#include "platform/FlushToDisk.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>

int flushToDisk(int fd) {
    return ::_commit(fd) == 0 ? 0 : errno;
}

#else
#include <unistd.h>

int flushToDisk(int fd) {
    if (::fsync(fd) != 0 && errno != EINVAL)
        return errno;
    return 0;
}

#endif
