#include "app/CommandLine.h"

#include <cstring>
#include <sstream>
#include <vector>

namespace vantor {

namespace {

template <typename T> bool extract(const char* text, T& value) {
    std::stringstream stream(std::string{text});
    stream >> value;
    return !stream.fail();
}

const char sceneOption[] = "--scene";

CommandLine parsePositional(int argc, const char* const* argv) {
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

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    std::vector<const char*> positional;
    std::string scenePath;
    std::string sceneFailure;
    int sceneGiven = 0;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        const std::size_t optionLength = sizeof sceneOption - 1;
        if (i == 0 || std::strncmp(argument, sceneOption, optionLength) != 0 ||
            (argument[optionLength] != '\0' && argument[optionLength] != '=')) {
            positional.push_back(argument);
            continue;
        }
        ++sceneGiven;
        if (argument[optionLength] == '=')
            scenePath = argument + optionLength + 1;
        else if (i + 1 < argc)
            scenePath = argv[++i];
        else
            scenePath.clear();
        if (scenePath.empty() && sceneFailure.empty())
            sceneFailure = "--scene needs a model file: --scene FILE";
    }
    if (sceneGiven > 1 && sceneFailure.empty())
        sceneFailure = "--scene given more than once";

    CommandLine line = parsePositional(static_cast<int>(positional.size()), positional.data());
    if (line.failure.empty())
        line.failure = sceneFailure;
    if (line.failure.empty())
        line.scenePath = scenePath;
    return line;
}

} // namespace vantor
