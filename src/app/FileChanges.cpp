#include "app/FileChanges.h"

#include "platform/FileTimes.h"

#include <chrono>
#include <filesystem>

namespace vantor {

bool FileChanges::State::operator==(const State& o) const {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           modified == o.modified && changed == o.changed;
}

FileChanges::State FileChanges::stateOf(const std::string& path) {
    namespace fs = std::filesystem;
    State state;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status))
        return state;
    const fs::file_time_type written = fs::last_write_time(path, error);
    if (error)
        return state;
    state.exists = true;
    if (fs::is_regular_file(status))
        state.size = fs::file_size(path, error);
    state.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(written.time_since_epoch()).count();
    const FileStamp stamp = fileStampOf(path);
    if (stamp.known) {
        state.device = stamp.device;
        state.inode = stamp.inode;
        state.changed = stamp.changed;
        if (stamp.hasModified)
            state.modified = stamp.modified;
    }
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

} // namespace vantor
