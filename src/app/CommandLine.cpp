#include "app/CommandLine.h"

#include <sstream>

namespace {

template <typename T> bool extract(const char* text, T& value) {
    std::stringstream stream(std::string{text});
    stream >> value;
    return !stream.fail();
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    if (argc >= 3) {
        line.startLine = std::string("you are executing '") + argv[0] + "'";
        if (!extract(argv[1], line.screenWidth)) {
            line.failure = "Fail in first command line!";
            return line;
        }
        if (!extract(argv[2], line.screenHeight)) {
            line.failure = "Fail in second command line!";
            return line;
        }
    }
    if (argc >= 4 && !extract(argv[3], line.fullscreen))
        line.failure = "Fail in thrid command line!";
    return line;
}
