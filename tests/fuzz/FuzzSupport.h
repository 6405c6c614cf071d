#pragma once
// Helpers shared by the fuzz targets: the readers under test take a path, so each input goes
// to a scratch file of this process, rewritten for every run; the OBJ reader's messages are
// caught from standard output; a broken invariant aborts, which both the fuzzer and the
// replay runner report as a crash.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

inline void require(bool condition, const char* what) {
    if (!condition)
        fail(what);
}

// The scratch file for this process and `tag`, holding exactly the given bytes.
class InputFile {
public:
    explicit InputFile(const char* tag)
        : path((std::filesystem::temp_directory_path() /
                ("demo_fuzz_" + std::string(tag) + "_" + std::to_string(::getpid())))
                   .string()) {}
    ~InputFile() { std::remove(path.c_str()); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& write(const std::uint8_t* data, std::size_t size) const {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        require(file != nullptr, "scratch file cannot be written");
        if (size > 0)
            require(std::fwrite(data, 1, size, file) == size, "scratch file write");
        std::fclose(file);
        return path;
    }

private:
    std::string path;
};

// Redirects file descriptor 1 into a scratch file between begin() and end().
class StdoutCapture {
public:
    // In the temporary directory the fuzz script points at memory (TMPDIR), not in /tmp: the
    // capture is rewritten on every input.
    StdoutCapture() {
        std::string name = (std::filesystem::temp_directory_path() / "demo_fuzz_capture_XXXXXX").string();
        const int fd = ::mkstemp(name.data());
        require(fd >= 0, "capture file");
        ::unlink(name.c_str());
        file = ::fdopen(fd, "w+");
        require(file != nullptr, "capture file");
    }
    ~StdoutCapture() { std::fclose(file); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    void begin() {
        std::fflush(stdout);
        saved = ::dup(1);
        require(saved >= 0 && ::ftruncate(::fileno(file), 0) == 0, "capture begin");
        std::rewind(file);
        require(::dup2(::fileno(file), 1) == 1, "capture redirect");
    }

    std::string end() {
        std::fflush(stdout);
        require(::dup2(saved, 1) == 1, "capture restore");
        ::close(saved);
        std::string text;
        std::rewind(file);
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        return text;
    }

private:
    std::FILE* file = nullptr;
    int saved = -1;
};

} // namespace fuzz
