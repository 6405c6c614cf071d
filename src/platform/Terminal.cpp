#include "platform/Terminal.h"

#ifdef _WIN32
#include <cstdio>
#include <io.h>

bool standardInputIsTerminal() {
    return ::_isatty(::_fileno(stdin)) != 0;
}

#else
#include <unistd.h>

bool standardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) != 0;
}

#endif
