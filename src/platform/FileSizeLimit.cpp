#include "platform/FileSizeLimit.h"

#ifdef _WIN32

namespace vantor {

bool FileSizeLimit::available() {
    return false;
}

FileSizeLimit::FileSizeLimit(std::uint64_t) {}

FileSizeLimit::~FileSizeLimit() {}

} // namespace vantor

#else
#include <csignal>
#include <sys/resource.h>

namespace vantor {

bool FileSizeLimit::available() {
    return true;
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    // Without this, crossing the cap ends the process with SIGXFSZ.
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    previousSoft = std::uint64_t(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    isActive = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!isActive)
        std::signal(SIGXFSZ, previousHandler);
}

FileSizeLimit::~FileSizeLimit() {
    if (!isActive)
        return;
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(previousSoft);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
}

} // namespace vantor

#endif
