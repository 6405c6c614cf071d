#include "platform/FileTimes.h"

#include <limits>

namespace vantor {

long long fileTimeToUnixNanoseconds(std::uint64_t ticks) {
    // Today's count is about 1.3e17 ticks: times 100 it is past any 64-bit signed number, so the
    // epoch goes first, and the far ends are clamped.
    constexpr std::uint64_t unixEpoch = 116444736000000000ULL; // 1601 to 1970, in ticks
    constexpr long long most = std::numeric_limits<long long>::max();
    constexpr std::uint64_t limit = std::uint64_t(most / 100);
    if (ticks >= unixEpoch) {
        const std::uint64_t after = ticks - unixEpoch;
        return after > limit ? most : static_cast<long long>(after) * 100;
    }
    const std::uint64_t before = unixEpoch - ticks;
    return before > limit ? std::numeric_limits<long long>::min() : -static_cast<long long>(before) * 100;
}

} // namespace vantor

#ifdef _WIN32
#include <filesystem>
#include <windows.h>

namespace vantor {

FileStamp fileStampOf(const std::string& path) {
    // The C runtime's file times there are whole seconds: the system's own are 100 ns, and a file
    // made anew (a rename over the original, a delete and write) has a creation time of its own.
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(std::filesystem::path(path).c_str(), GetFileExInfoStandard, &data))
        return stamp;
    const auto ticks = [](const FILETIME& t) {
        return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    stamp.known = true;
    stamp.hasModified = true;
    stamp.modified = fileTimeToUnixNanoseconds(ticks(data.ftLastWriteTime));
    stamp.changed = fileTimeToUnixNanoseconds(ticks(data.ftCreationTime));
    return stamp;
}

} // namespace vantor

#else
#include <sys/stat.h>

namespace vantor {

FileStamp fileStampOf(const std::string& path) {
    // Which file holds the name, and when its inode last changed: a rename over the original shows
    // even when the new file has the old one's size and (to the clock's grain) its time.
    FileStamp stamp;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
#ifdef __APPLE__
    const struct timespec& changed = info.st_ctimespec;
#else
    const struct timespec& changed = info.st_ctim;
#endif
    stamp.known = true;
    stamp.device = std::uint64_t(info.st_dev);
    stamp.inode = std::uint64_t(info.st_ino);
    stamp.changed = static_cast<long long>(changed.tv_sec) * 1000000000LL + changed.tv_nsec;
    return stamp;
}

} // namespace vantor

#endif
