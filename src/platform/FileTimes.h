#pragma once
// What the file system says of a file beyond std::filesystem: which file holds the name and when
// it was last written and changed, to the system's own grain.

#include <cstdint>
#include <string>

namespace vantor {

struct FileStamp {
    bool known = false;                  // false when the system could not be asked
    std::uint64_t device = 0, inode = 0; // 0 where the system has no such numbers (Windows)
    bool hasModified = false;            // whether `modified` is finer than std::filesystem's
    long long modified = 0;              // last write, nanoseconds since 1970
    long long changed = 0; // nanoseconds since 1970: the inode's change time, or the creation time
                           // of the file now holding the name where there are no inodes
};

// The stamp of the file at `path` (links followed).
FileStamp fileStampOf(const std::string& path);

// A Windows FILETIME (100 ns ticks since 1601) as nanoseconds since 1970, clamped to what a
// signed 64-bit count holds (the years 1677 to 2262).
long long fileTimeToUnixNanoseconds(std::uint64_t ticks);

} // namespace vantor
