#pragma once
// Live shader editing for the running demo: every Shader alive is rebuilt when one of its files
// changes on disk (checked a few times a second through FileChanges), or all of them on demand.
// A reload that fails keeps the last program that linked; its message is printed once on
// standard output and kept, for the screen, until that program builds again. The Shaders are
// found through Shader::live(), so programs made later (variants, the HUD's) are watched too.

#include "app/FileChanges.h"
#include "gpu/Shader.h"

#include <string>
#include <utility>
#include <vector>

class ShaderWatcher {
public:
    // `checkInterval`: seconds between two looks at the files. Needs the GL context current:
    // the shader compiler's debug messages are muted, as each reload reports its own.
    explicit ShaderWatcher(double checkInterval = 0.2);

    // Once per frame, before the frame is drawn. `now` is any clock in seconds that goes
    // forward; the files are looked at only when a check is due. `reloadAll` rebuilds every
    // Shader whatever changed.
    void update(double now, bool reloadAll);

    // The messages of the failed reloads whose programs have not built since, one entry per
    // text line (a message shared by several programs once), cut to `maxLines` lines of at most
    // `maxColumns` characters. Empty while every reload since the last change worked.
    std::vector<std::string> messageLines(int maxLines, int maxColumns) const;

private:
    // Reloads `shaders`; `changed` names the files that changed (empty for a reload of all).
    void reload(const std::vector<Shader*>& shaders, const std::vector<std::string>& changed);
    void followLiveShaders();

    double checkInterval;
    double nextCheck = 0.0;
    FileChanges files;
    // The last failure of each Shader that has not built since.
    std::vector<std::pair<const Shader*, std::string>> failures;
};
