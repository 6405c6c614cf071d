#include "gpu/ShaderSource.h"

#include <algorithm>
#include <sstream>

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
    if (nul == std::string::npos)
        return true;
    nulLine = 1 + int(std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(nul), '\n'));
    return false;
}

std::string notTextMessage(const std::string& path, int nulLine) {
    return path + ":" + std::to_string(nulLine) + ": not a text file (a NUL byte)";
}
