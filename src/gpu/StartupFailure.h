#pragma once
// A failure the program cannot start past: a shader that will not build, a target the driver
// refuses. Library code throws it and goes no further; only a program's entry point reports it
// (reportStartupFailure) and ends with its status, so whatever a caller opened on the way is
// closed by unwinding instead of being left half-done.

#include <iosfwd>
#include <stdexcept>
#include <string>

namespace vantor {

struct StartupFailure : std::runtime_error {
    // `message` is the line for standard output (it may span lines); `detail`, when given, one more
    // for standard error; `pause` asks for the console pause before the program ends.
    StartupFailure(const std::string& message, int status, bool pause = true,
                   std::string detail = std::string())
        : std::runtime_error(message), status(status), pause(pause), detail(std::move(detail)) {}

    int status;
    bool pause;
    std::string detail;
};

// Writes the failure as the program reports it: the message and a newline on `out` (flushed),
// then the detail, if any, as a line on `err`. Returns the exit status.
int printStartupFailure(const StartupFailure& failure, std::ostream& out, std::ostream& err);

// What an entry point does with a failure: prints it on standard output and error, waits at the
// console when the failure asks for it and standard input is a terminal, and returns the status
// for main to end with.
int reportStartupFailure(const StartupFailure& failure);

} // namespace vantor
