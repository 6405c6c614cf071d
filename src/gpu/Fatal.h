#pragma once
// Start-up failures end the process: one line on standard output, a pause so a console
// user can read it, then exit with a fixed status. Nothing is released first.

#include <string>

// Waits for Enter when standard input is a terminal; returns at once otherwise, so scripted
// runs and tests never block.
void consolePause();

// Writes `message` and a newline, flushes, then `detail` (when given) as a line on standard
// error, pauses (when `pause` is set) and exits with `status`.
[[noreturn]] void fatalExit(const std::string& message, int status, bool pause = true,
                            const std::string& detail = std::string());
