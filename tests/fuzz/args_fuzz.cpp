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

using namespace vantor;

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
    std::vector<const char*> all;
    for (const std::string& argument : arguments)
        all.push_back(argument.c_str());
    all.push_back(nullptr);
    const CommandLine line = parseCommandLine(int(arguments.size()), all.data());

    // The scene option and its file are taken out before the size is read.
    std::vector<const char*> argv;
    std::string scene;
    int scenes = 0;
    bool sceneMissing = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (i > 0 && (a == "--scene" || a.rfind("--scene=", 0) == 0)) {
            ++scenes;
            scene =
                a == "--scene" ? (i + 1 < arguments.size() ? arguments[++i] : std::string()) : a.substr(8);
            sceneMissing = sceneMissing || scene.empty();
            continue;
        }
        argv.push_back(a.c_str());
    }
    argv.push_back(nullptr);
    const int argc = int(argv.size()) - 1;

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

    if (failure.empty() && sceneMissing)
        failure = "--scene needs a model file: --scene FILE";
    else if (failure.empty() && scenes > 1)
        failure = "--scene given more than once";
    require(line.failure == failure, "failure line as a stream extraction would give");
    require(line.startLine == (argc >= 3 ? "you are executing '" + arguments[0] + "'" : std::string()),
            "start line exactly when a size is given");
    if (failure.empty()) {
        require(line.screenWidth == width && line.screenHeight == height, "size as extracted");
        require(line.fullscreen == fullscreen, "flag as extracted");
        require(line.scenePath == scene, "scene file as given");
    }
    return 0;
}
