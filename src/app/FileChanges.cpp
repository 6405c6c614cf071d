#include "app/FileChanges.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

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
#ifdef _WIN32
    // The runtime's file times there are whole seconds: the system's own are 100 ns, and a file
    // made anew (a rename over the original, a delete and write) has a creation time of its own.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(fs::path(path).c_str(), GetFileExInfoStandard, &data)) {
        const auto ticks = [](const FILETIME& t) {
            return static_cast<long long>((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime);
        };
        state.modified = ticks(data.ftLastWriteTime) * 100;
        state.changed = ticks(data.ftCreationTime) * 100;
    }
#else
    // Which file holds the name, and when its inode last changed: a rename over the original shows
    // even when the new file has the old one's size and (to the clock's grain) its time.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        state.device = info.st_dev;
        state.inode = info.st_ino;
        state.changed = info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec;
    }
#endif
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
