// Fuzz target for the command-line parser. The input is split at NUL bytes into argv; the
// result is checked against an independent reading of each number with strtol, which accepts
// exactly what stream extraction accepts (leading white space, a sign, decimal digits, a stop
// at the first other character, failure on no digits or on overflow).

#include "FuzzSupport.h"

#include "app/CommandLine.h"

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

using fuzz::require;

namespace {

bool referenceNumber(const char* text, long low, long high, long& value) {
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t maxArguments = 6;
    std::vector<std::string> arguments;
    if (size > 0) {
        const std::string all(reinterpret_cast<const char*>(data), size);
        std::size_t start = 0;
        while (arguments.size() < maxArguments) {
            const std::size_t stop = all.find('\0', start);
            arguments.push_back(
                all.substr(start, stop == std::string::npos ? std::string::npos : stop - start));
            if (stop == std::string::npos)
                break;
            start = stop + 1;
        }
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const int argc = int(arguments.size());

    const CommandLine line = parseCommandLine(argc, argv.data());

    int width = 1280, height = 768;
    bool fullscreen = false;
    std::string failure;
    long value = 0;
    if (argc >= 3) {
        if (!referenceNumber(argv[1], INT_MIN, INT_MAX, value)) {
            failure = "Fail in first command line!";
        } else {
            width = int(value);
            if (!referenceNumber(argv[2], INT_MIN, INT_MAX, value))
                failure = "Fail in second command line!";
            else
                height = int(value);
        }
    }
    if (failure.empty() && argc >= 4) {
        if (referenceNumber(argv[3], 0, 1, value))
            fullscreen = value == 1;
        else
            failure = "Fail in thrid command line!";
    }

    require(line.failure == failure, "failure line as a stream extraction would give");
    require(line.startLine == (argc >= 3 ? "you are executing '" + arguments[0] + "'" : std::string()),
            "start line exactly when a size is given");
    if (failure.empty()) {
        require(line.screenWidth == width && line.screenHeight == height, "size as extracted");
        require(line.fullscreen == fullscreen, "flag as extracted");
    }
    return 0;
}
