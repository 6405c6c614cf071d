#pragma once
// A cap on the size of the files this process writes: a write past it fails as on a full disk,
// which lets a test see a save cut short part-way without filling a disk.

#include <cstdint>

namespace vantor {

class FileSizeLimit {
public:
    // Caps every file this process writes at `bytes` until the object goes, where the system
    // has such a cap (POSIX's RLIMIT_FSIZE); a write past it fails with EFBIG instead of ending
    // the process.
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Whether the cap is in force: false where the system has none, or it could not be set.
    bool active() const { return isActive; }

    // Whether this system has such a cap (not Windows).
    static bool available();

private:
    bool isActive = false;
    std::uint64_t previousSoft = 0;
    void (*previousHandler)(int) = nullptr;
};

} // namespace vantor
