#include "gpu/Fatal.h"

#include "platform/ConsoleWait.h"
#include "platform/Terminal.h"

#include <cstdlib>
#include <iostream>

void consolePause() {
    if (!standardInputIsTerminal())
        return;
    waitForConsoleKey();
}

void fatalExit(const std::string& message, int status, bool pause, const std::string& detail) {
    std::cout << message << std::endl;
    if (!detail.empty())
        std::cerr << detail << std::endl;
    if (pause)
        consolePause();
    std::exit(status);
}
