#include "platform/SpecialFiles.h"

#ifdef _WIN32

namespace vantor {

bool makeFifo(const std::string&) {
    return false;
}

const char* endlessDevice() {
    return "NUL";
}

bool symbolicLinksAllowed() {
    return false;
}

} // namespace vantor

#else
#include <sys/stat.h>

namespace vantor {

bool makeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

const char* endlessDevice() {
    return "/dev/zero";
}

bool symbolicLinksAllowed() {
    return true;
}

} // namespace vantor

#endif
