#pragma once
// Which of a set of files changed on disk, by comparing what the file system says of each (size
// and modification time, and where the system has them device, inode and change time) from one
// check to the next: a file written in place and one replaced by a rename both show. The caller decides how
// often to check (a few times a second is plenty; nothing touches the file system between checks).
//
// A change counts once the file has stayed the same from one check to the next, so a file caught
// while it is being written is reported after the writer is done (or again on its next change).
// A file that is missing is not reported until it is back.

#include <string>
#include <vector>

namespace vantor {

class FileChanges {
public:
    // Follows exactly `paths` from now on: a new path's state as it is now counts as seen
    // already; paths no longer listed are forgotten.
    void follow(const std::vector<std::string>& paths);

    // One check: the followed files that changed since they were last reported (or followed)
    // and are the same as at the previous check; each change is reported once.
    std::vector<std::string> poll();

    // Takes every followed file's state as it is now as seen, as after a reload of everything.
    void markAllSeen();

    // What the file system says of a file; `exists` false when it cannot be looked at.
    struct State {
        bool exists = false;
        unsigned long long device = 0, inode = 0, size = 0;
        long long modified = 0, changed = 0; // nanoseconds
        bool operator==(const State& o) const;
        bool operator!=(const State& o) const { return !(*this == o); }
    };
    static State stateOf(const std::string& path);

private:
    struct Entry {
        std::string path;
        State reported; // as last reported (or as first followed)
        State last;     // as the last check found it
    };
    std::vector<Entry> entries;
};

} // namespace vantor
