#pragma once
// Whether a person may be reading and typing.

namespace vantor {

// True when standard input is a terminal (a console window on Windows); false when it is a
// file, a pipe or the null device, as in scripted runs and tests.
bool standardInputIsTerminal();

} // namespace vantor
