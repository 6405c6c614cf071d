#include "app/FileChanges.h"

#include <sys/stat.h>

bool FileChanges::State::operator==(const State& o) const {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           modified == o.modified && changed == o.changed;
}

FileChanges::State FileChanges::stateOf(const std::string& path) {
    State state;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return state;
    state.exists = true;
    state.device = info.st_dev;
    state.inode = info.st_ino;
    state.size = static_cast<unsigned long long>(info.st_size);
    state.modified = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    state.changed = info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec;
    return state;
}

void FileChanges::follow(const std::vector<std::string>& paths) {
    std::vector<Entry> followed;
    for (const std::string& path : paths) {
        bool known = false;
        for (const Entry& entry : followed)
            known = known || entry.path == path;
        for (const Entry& entry : entries)
            if (!known && entry.path == path) {
                followed.push_back(entry);
                known = true;
            }
        if (!known) {
            const State now = stateOf(path);
            followed.push_back({path, now, now});
        }
    }
    entries = std::move(followed);
}

std::vector<std::string> FileChanges::poll() {
    std::vector<std::string> changedPaths;
    for (Entry& entry : entries) {
        const State state = stateOf(entry.path);
        if (state.exists && state != entry.reported && state == entry.last) {
            changedPaths.push_back(entry.path);
            entry.reported = state;
        }
        entry.last = state;
    }
    return changedPaths;
}

void FileChanges::markAllSeen() {
    for (Entry& entry : entries)
        entry.reported = entry.last = stateOf(entry.path);
}
