#pragma once
// A child program fed through a pipe to its standard input, its standard error kept for
// reading once it has ended. One implementation per platform behind one interface, so callers
// never branch on the platform.

#include <cstddef>
#include <string>
#include <vector>

namespace vantor {

class ChildProcess {
public:
    // How a child ended.
    struct Ending {
        int exitStatus = -1; // when it exited by itself
        int signal = 0;      // non-zero when a signal (POSIX) ended it
        std::string errorOutput;
    };

    ChildProcess() = default;
    ~ChildProcess(); // kills a child still running and waits for it
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `command` (program first, found on the PATH as the system's shell would, with no
    // shell in between). False with `error` when it cannot start; `notFound` tells a program
    // missing from the PATH from other failures.
    bool start(const std::vector<std::string>& command, std::string& error, bool& notFound);
    // All `size` bytes to the child's standard input. False once the child stops reading (it
    // ended or closed its input); a dead child never ends this process.
    bool write(const void* data, size_t size);
    // Closes the child's input and waits for it to end.
    Ending wait();
    // Ends the child at once, without letting it finish what it was given, and waits for it.
    Ending kill();

private:
    struct Handles;
    Handles* handles = nullptr;
};

// This process's id, as the system numbers processes.
long currentProcessId();
// Whether this process's standard error is a terminal (progress may then redraw its line).
bool standardErrorIsTerminal();
// Whether a process with id `pid` is running now (or cannot be told apart from a running one).
bool processRunning(long pid);

// `command` as one Windows command line, each word quoted so that the C runtime's parser gives
// the child back exactly these words (backslashes doubled only before a quote).
std::string windowsCommandLine(const std::vector<std::string>& command);

// How a user of this system gets a missing program: " (Debian: apt-get install PACKAGE)" where
// the package name is known to fit, empty elsewhere.
std::string installHint(const std::string& debianPackage);

} // namespace vantor
