#include "platform/ConsoleWait.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace vantor {

#ifdef _WIN32

void waitForConsoleKey() {
    std::fflush(stdout);
    std::system("PAUSE");
}

#else

void waitForConsoleKey() {
    // The prompt goes to standard error so standard output carries only the program's own lines.
    std::cerr << "Press Enter to continue . . ." << std::flush;
    int c;
    do {
        c = std::getchar();
    } while (c != '\n' && c != EOF);
}

#endif

} // namespace vantor
