#include "gpu/Fatal.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

void consolePause() {
    if (!isatty(STDIN_FILENO))
        return;
    // The prompt goes to standard error so standard output carries only the program's own lines.
    std::cerr << "Press Enter to continue . . ." << std::flush;
    int c;
    do {
        c = std::getchar();
    } while (c != '\n' && c != EOF);
}

void fatalExit(const std::string& message, int status, bool pause, const std::string& detail) {
    std::cout << message << std::endl;
    if (!detail.empty())
        std::cerr << detail << std::endl;
    if (pause)
        consolePause();
    std::exit(status);
}
