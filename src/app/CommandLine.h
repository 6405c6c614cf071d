#pragma once
// The command line: program [width height [fullscreen]] [--scene FILE]. Parsing is pure, so the
// entry point only prints what it returns and acts on it.

#include <string>

namespace vantor {

struct CommandLine {
    int screenWidth = 1280;
    int screenHeight = 768;
    bool fullscreen = false;
    // The model shown in place of the hall; empty: the hall.
    std::string scenePath;
    // "you are executing '<argument 0>'", written when a size is given; empty otherwise.
    std::string startLine;
    // The failure line for a bad argument; empty when every argument present was accepted.
    std::string failure;
};

// "--scene FILE" (or "--scene=FILE") may stand anywhere after the program name; it is taken out
// first and everything else is read as the positional arguments, so a bad size fails exactly as
// it would without the option, and before any complaint about the option itself.
// Each number is read the way a stream extracts it: leading white space and a sign are
// allowed and reading stops at the first character that cannot continue it ("1280px" is
// 1280). The full-screen flag is read as a number, so only 0 and 1 are accepted. One
// argument alone, and any beyond the third, are ignored.
CommandLine parseCommandLine(int argc, const char* const* argv);

} // namespace vantor
