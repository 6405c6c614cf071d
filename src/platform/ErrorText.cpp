#include "platform/ErrorText.h"

#include <cstring>

namespace vantor {

namespace {

#ifndef _WIN32
// strerror_r comes in two forms: POSIX's returns a status and fills the buffer; GNU's returns
// the text, which may or may not be in the buffer. Overloads take whichever this C library has.
[[maybe_unused]] const char* textOf(int status, const char* buffer) {
    return status == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* textOf(const char* text, const char*) {
    return text;
}
#endif

} // namespace

std::string errorText(int error) {
    char buffer[256] = {};
#ifdef _WIN32
    strerror_s(buffer, sizeof buffer, error);
    return buffer;
#else
    return textOf(strerror_r(error, buffer, sizeof buffer), buffer);
#endif
}

} // namespace vantor
