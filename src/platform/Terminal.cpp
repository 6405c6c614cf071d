#include "platform/Terminal.h"

#ifdef _WIN32
#include <windows.h>

namespace vantor {

bool standardInputIsTerminal() {
    // Only a console answers GetConsoleMode; _isatty would take any character device, the NUL
    // device that scripted runs read from included.
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    return input != nullptr && input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode) != 0;
}

} // namespace vantor

#else
#include <unistd.h>

namespace vantor {

bool standardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) != 0;
}

} // namespace vantor

#endif
