#include "app/ShaderWatcher.h"

#include "app/DebugOutput.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace {

bool builtFrom(const Shader& shader, const std::vector<std::string>& changed) {
    for (const std::string& file : shader.files())
        if (std::find(changed.begin(), changed.end(), file) != changed.end())
            return true;
    return false;
}

std::string joined(const std::vector<std::string>& texts, const std::string& separator) {
    std::string all;
    for (const std::string& text : texts)
        all += (all.empty() ? "" : separator) + text;
    return all;
}

} // namespace

ShaderWatcher::ShaderWatcher(double checkInterval) : checkInterval(checkInterval) {
    muteShaderCompilerMessages();
}

void ShaderWatcher::followLiveShaders() {
    std::vector<std::string> paths;
    for (const Shader* shader : Shader::live())
        for (const std::string& file : shader->files())
            if (std::find(paths.begin(), paths.end(), file) == paths.end())
                paths.push_back(file);
    files.follow(paths);
}

void ShaderWatcher::update(double now, bool reloadAll) {
    // A Shader deleted since (the sky box's at teardown) has nothing more to say.
    const std::vector<Shader*>& live = Shader::live();
    failures.erase(std::remove_if(failures.begin(), failures.end(),
                                  [&live](const auto& failure) {
                                      return std::find(live.begin(), live.end(), failure.first) == live.end();
                                  }),
                   failures.end());
    if (reloadAll) {
        followLiveShaders();
        files.markAllSeen();
        reload(live, {});
    }
    if (now < nextCheck)
        return;
    nextCheck = now + checkInterval;
    followLiveShaders();
    const std::vector<std::string> changed = files.poll();
    if (changed.empty())
        return;
    std::vector<Shader*> affected;
    for (Shader* shader : live)
        if (builtFrom(*shader, changed))
            affected.push_back(shader);
    reload(affected, changed);
}

void ShaderWatcher::reload(const std::vector<Shader*>& shaders, const std::vector<std::string>& changed) {
    int linked = 0;
    for (Shader* shader : shaders) {
        const Shader::ReloadResult result = shader->reload();
        auto previous = std::find_if(failures.begin(), failures.end(),
                                     [shader](const auto& failure) { return failure.first == shader; });
        if (result.linked) {
            ++linked;
            if (previous != failures.end())
                failures.erase(previous);
            continue;
        }
        std::string message = "Shader reload failed, the last good program stays: " + result.file;
        if (!result.log.empty())
            message += "\n" + result.log;
        // Printed once: not again for another program sharing the file, nor for the same
        // failure on a later attempt.
        const bool said = std::any_of(failures.begin(), failures.end(),
                                      [&message](const auto& failure) { return failure.second == message; });
        if (!said)
            std::cout << message << std::endl;
        if (previous != failures.end())
            previous->second = message;
        else
            failures.emplace_back(shader, message);
    }
    if (linked == 0)
        return;
    const std::string programs = std::to_string(linked) + (linked == 1 ? " program" : " programs");
    if (changed.empty())
        std::cout << "Shaders reloaded: " << programs << std::endl;
    else
        std::cout << "Shaders reloaded: " << joined(changed, ", ") << " (" << programs << ")" << std::endl;
}

std::vector<std::string> ShaderWatcher::messageLines(int maxLines, int maxColumns) const {
    std::vector<std::string> shown;
    std::vector<std::string> lines;
    for (const auto& failure : failures) {
        if (std::find(shown.begin(), shown.end(), failure.second) != shown.end())
            continue;
        shown.push_back(failure.second);
        std::istringstream text(failure.second);
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
    }
    const size_t columns = size_t(std::max(maxColumns, 4));
    for (std::string& line : lines)
        if (line.size() > columns)
            line = line.substr(0, columns - 3) + "...";
    const size_t rows = size_t(std::max(maxLines, 1));
    if (lines.size() > rows) {
        lines.resize(rows);
        lines.back() = "...";
    }
    return lines;
}
