#pragma once
// Live shader editing for the running demo: every Shader alive is rebuilt when one of its files
// changes on disk (checked a few times a second through FileChanges), or all of them on demand.
// A reload that fails keeps the last program that linked; its message is printed once on
// standard output and kept, for the screen, until that program builds again. The programs are
// the ones its caller hands each update (the Game's, made so far), so programs made later
// (variants, the passes' built on first use) are watched too; one of them that could not be built when it was
// first needed is reported the same way (its owner draws without it) and built again when one of its files
// changes.

#include "app/FileChanges.h"
#include "gpu/Shader.h"

#include <string>
#include <vector>

namespace vantor {

class ShaderWatcher {
public:
    // `checkInterval`: seconds between two looks at the files. Needs the GL context current:
    // the shader compiler's debug messages are muted, as each reload reports its own.
    explicit ShaderWatcher(double checkInterval = 0.2);

    // Once per frame, before the frame is drawn. `now` is any clock in seconds that goes
    // forward; the files are looked at only when a check is due. `reloadPresses` greater than 0
    // rebuilds every Shader whatever changed, once however many presses the frame saw (a second
    // rebuild of the same files in the same frame would build the same programs); the message
    // says how many presses it stood for.
    // `programs` are the programs alive now: the ones to watch.
    void update(double now, int reloadPresses, const std::vector<Shader*>& programs);

    // The messages of the failed reloads whose programs have not built since, one entry per
    // text line (a message shared by several programs once), cut to `maxLines` lines of at most
    // `maxColumns` characters. Empty while every reload since the last change worked.
    std::vector<std::string> messageLines(int maxLines, int maxColumns) const;

private:
    // Reloads `shaders`; `changed` names the files that changed (empty for a reload of all, asked
    // for by `presses` presses).
    void reload(const std::vector<Shader*>& shaders, const std::vector<std::string>& changed,
                int presses = 0);
    // Keeps `shader`'s failure, printing it unless the same file and log were printed already.
    void fail(const Shader* shader, const std::string& header, const Shader::ReloadResult& result);
    void follow(const std::vector<Shader*>& programs);

    double checkInterval;
    double nextCheck = 0.0;
    FileChanges files;
    // The last failure of each Shader that has not built since: the Shader, its message's first
    // words, and what failed (the file, then the log). Programs sharing a file share the latter.
    struct Failure {
        const Shader* shader;
        std::string header;
        std::string what;
    };
    std::vector<Failure> failures;
};

} // namespace vantor
