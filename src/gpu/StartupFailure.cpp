#include "gpu/StartupFailure.h"

#include "platform/ConsoleWait.h"
#include "platform/Terminal.h"

#include <iostream>

namespace vantor {

int printStartupFailure(const StartupFailure& failure, std::ostream& out, std::ostream& err) {
    out << failure.what() << std::endl;
    if (!failure.detail.empty())
        err << failure.detail << std::endl;
    return failure.status;
}

int reportStartupFailure(const StartupFailure& failure) {
    const int status = printStartupFailure(failure, std::cout, std::cerr);
    // Scripted runs and tests, whose input is no terminal, never block on the pause.
    if (failure.pause && standardInputIsTerminal())
        waitForConsoleKey();
    return status;
}

} // namespace vantor
