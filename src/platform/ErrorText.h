#pragma once
// The system's words for an errno value.

#include <string>

namespace vantor {

// What the C library says of `error` ("No such file or directory"), safe to call from any
// thread (std::strerror is not).
std::string errorText(int error);

} // namespace vantor
