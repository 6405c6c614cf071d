#include "app/ShaderWatcher.h"

#include "app/DebugOutput.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace vantor {

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

void ShaderWatcher::follow(const std::vector<Shader*>& programs) {
    std::vector<std::string> paths;
    for (const Shader* shader : programs)
        for (const std::string& file : shader->files())
            if (std::find(paths.begin(), paths.end(), file) == paths.end())
                paths.push_back(file);
    files.follow(paths);
}

void ShaderWatcher::update(double now, int reloadPresses, const std::vector<Shader*>& live) {
    // A Shader deleted since (the sky box's at teardown) has nothing more to say.
    failures.erase(std::remove_if(failures.begin(), failures.end(),
                                  [&live](const Failure& failure) {
                                      return std::find(live.begin(), live.end(), failure.shader) ==
                                             live.end();
                                  }),
                   failures.end());
    // Programs built since the last frame that could not be built: their owners draw without them.
    for (Shader* shader : live)
        if (shader->unreportedFailure) {
            fail(shader, "Shader build failed, left out until it builds", *shader->unreportedFailure);
            shader->unreportedFailure.reset();
        }
    if (reloadPresses > 0) {
        follow(live);
        files.markAllSeen();
        reload(live, {}, reloadPresses);
    }
    if (now < nextCheck)
        return;
    nextCheck = now + checkInterval;
    follow(live);
    const std::vector<std::string> changed = files.poll();
    if (changed.empty())
        return;
    std::vector<Shader*> affected;
    for (Shader* shader : live)
        if (builtFrom(*shader, changed))
            affected.push_back(shader);
    reload(affected, changed);
}

void ShaderWatcher::fail(const Shader* shader, const std::string& header,
                         const Shader::ReloadResult& result) {
    std::string what = result.file;
    if (!result.log.empty())
        what += "\n" + result.log;
    // Printed once: not again for another program sharing the file, nor for the same failure on
    // a later attempt.
    const bool said = std::any_of(failures.begin(), failures.end(),
                                  [&what](const Failure& failure) { return failure.what == what; });
    if (!said)
        std::cout << header << ": " << what << std::endl;
    auto previous = std::find_if(failures.begin(), failures.end(),
                                 [shader](const Failure& failure) { return failure.shader == shader; });
    if (previous != failures.end())
        *previous = {shader, header, what};
    else
        failures.push_back({shader, header, what});
}

void ShaderWatcher::reload(const std::vector<Shader*>& shaders, const std::vector<std::string>& changed,
                           int presses) {
    int linked = 0;
    for (Shader* shader : shaders) {
        const Shader::ReloadResult result = shader->reload();
        if (!result.linked) {
            // A program that never built keeps its own words: nothing good stays in its place.
            auto previous = std::find_if(failures.begin(), failures.end(), [shader](const Failure& failure) {
                return failure.shader == shader;
            });
            const bool neverBuilt = !shader->linked() && previous != failures.end();
            fail(shader, neverBuilt ? previous->header : "Shader reload failed, the last good program stays",
                 result);
            continue;
        }
        ++linked;
        failures.erase(std::remove_if(failures.begin(), failures.end(),
                                      [shader](const Failure& failure) { return failure.shader == shader; }),
                       failures.end());
    }
    if (linked == 0)
        return;
    const std::string programs = std::to_string(linked) + (linked == 1 ? " program" : " programs");
    if (!changed.empty())
        std::cout << "Shaders reloaded: " << joined(changed, ", ") << " (" << programs << ")" << std::endl;
    else if (presses > 1)
        std::cout << "Shaders reloaded: " << programs << " (F5 pressed " << presses
                  << " times in one frame: rebuilt once)" << std::endl;
    else
        std::cout << "Shaders reloaded: " << programs << std::endl;
}

std::vector<std::string> ShaderWatcher::messageLines(int maxLines, int maxColumns) const {
    std::vector<std::string> shown;
    std::vector<std::string> lines;
    for (const Failure& failure : failures) {
        if (std::find(shown.begin(), shown.end(), failure.what) != shown.end())
            continue;
        shown.push_back(failure.what);
        std::istringstream text(failure.header + ": " + failure.what);
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

} // namespace vantor
