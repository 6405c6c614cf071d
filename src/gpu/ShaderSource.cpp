#include "gpu/ShaderSource.h"

#include <algorithm>
#include <regex>
#include <sstream>
#include <vector>

namespace vantor {

namespace {

bool isVersionLine(const std::string& line) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#')
        return false;
    i = line.find_first_not_of(" \t", i + 1);
    return i != std::string::npos && line.compare(i, 7, "version") == 0;
}

} // namespace

std::string insertDefines(const std::string& code, const std::string& defines) {
    if (defines.empty())
        return code;
    const std::string block = defines.back() == '\n' ? defines : defines + '\n';
    size_t start = 0;
    for (int number = 1; start < code.size(); ++number) {
        size_t end = code.find('\n', start);
        const bool last = end == std::string::npos;
        if (isVersionLine(code.substr(start, last ? std::string::npos : end - start))) {
            const std::string head = last ? code + '\n' : code.substr(0, end + 1);
            const std::string tail = last ? std::string() : code.substr(end + 1);
            return head + block + "#line " + std::to_string(number + 1) + '\n' + tail;
        }
        if (last)
            break;
        start = end + 1;
    }
    return block + "#line 1\n" + code;
}

std::string logNamingFile(const std::string& log, const std::string& path) {
    std::istringstream lines(log);
    std::string named;
    for (std::string line; std::getline(lines, line);) {
        for (const std::string prefix : {"", "ERROR: ", "WARNING: "}) {
            const size_t after = prefix.size() + 1;
            if (line.compare(0, after, prefix + "0") == 0 && line.size() > after &&
                (line[after] == ':' || line[after] == '(')) {
                line = prefix + path + line.substr(after);
                break;
            }
        }
        named += line + '\n';
    }
    const size_t end = named.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : named.substr(0, end + 1);
}

bool prepareShaderText(std::string& bytes, int& nulLine) {
    static const std::string byteOrderMark = "\xEF\xBB\xBF";
    if (bytes.compare(0, byteOrderMark.size(), byteOrderMark) == 0)
        bytes.erase(0, byteOrderMark.size());
    const size_t nul = bytes.find('\0');
    if (nul == std::string::npos) {
#ifdef __EMSCRIPTEN__
        // WebGL2 compiles GLSL ES only; the files are written for the desktop's 3.30 core.
        bytes = glslForEs(bytes);
#endif
        return true;
    }
    nulLine = 1 + int(std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(nul), '\n'));
    return false;
}

std::string notTextMessage(const std::string& path, int nulLine) {
    return path + ":" + std::to_string(nulLine) + ": not a text file (a NUL byte)";
}

namespace {

// The end of the call whose opening parenthesis is just before `from`: the index of its ')'.
size_t closingParenthesis(const std::string& code, size_t from) {
    int depth = 1;
    for (size_t i = from; i < code.size(); ++i) {
        if (code[i] == '(')
            ++depth;
        else if (code[i] == ')' && --depth == 0)
            return i;
    }
    return std::string::npos;
}

} // namespace

std::string glslForEs(const std::string& code) {
    std::string text = code;
    // Buffer samplers: the declaration's type, then each fetch's element number.
    static const std::regex bufferSampler(R"(\b([ui]?)samplerBuffer(\s+)(\w+))");
    std::vector<std::string> buffers;
    for (std::sregex_iterator it(text.begin(), text.end(), bufferSampler), end; it != end; ++it)
        buffers.push_back((*it)[3]);
    text = std::regex_replace(text, bufferSampler, "$1sampler2D$2$3");
    for (const std::string& name : buffers) {
        const std::regex fetch("\\btexelFetch\\s*\\(\\s*" + name + "\\s*,");
        std::string done;
        std::smatch match;
        while (std::regex_search(text, match, fetch)) {
            const size_t open = size_t(match.position(0) + match.length(0));
            const size_t close = closingParenthesis(text, open);
            if (close == std::string::npos)
                break; // unbalanced: the compiler will say where
            done += text.substr(0, open) + " demoBufferTexel(" + text.substr(open, close - open) + "), 0)";
            text.erase(0, close + 1);
        }
        text = done + text;
    }
    static const std::regex unplacedOutput(R"((^|\n)([ \t]*)out(\s+\w+\s+fragColor\s*;))");
    text = std::regex_replace(text, unplacedOutput, "$1$2layout(location = 0) out$3");

    std::string prelude = "#version 300 es\nprecision highp float; precision highp int; "
                          "precision highp sampler2D; precision highp usampler2D; precision highp "
                          "isampler2D; precision highp sampler2DArray; precision highp "
                          "usampler2DArray; precision highp samplerCube; precision highp "
                          "samplerCubeShadow; precision highp sampler2DShadow; precision highp sampler3D;";
    if (!buffers.empty())
        prelude += " ivec2 demoBufferTexel(int i) { return ivec2(i % " + std::to_string(bufferTextureWidth) +
                   ", i / " + std::to_string(bufferTextureWidth) + "); }";
    // The version line is replaced in place; the two lines standing for it are renumbered.
    size_t start = 0;
    for (int number = 1; start <= text.size(); ++number) {
        const size_t end = text.find('\n', start);
        const std::string line =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (isVersionLine(line)) {
            const std::string tail = end == std::string::npos ? std::string() : text.substr(end + 1);
            return text.substr(0, start) + prelude + "\n#line " + std::to_string(number + 1) + '\n' + tail;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return prelude + "\n#line 1\n" + text;
}

const char* glslVersionLine() {
#ifdef __EMSCRIPTEN__
    return "#version 300 es";
#else
    return "#version 330 core";
#endif
}

} // namespace vantor
