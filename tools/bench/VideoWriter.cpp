#include "VideoWriter.h"

#include "platform/ExclusiveCreate.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vantor {

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

void onInterrupt(int) {
    interruptRequested = 1;
}

// Ctrl+C and termination requests, unless the bench was started to ignore them (a background
// job of a script).
void catchInterrupts() {
    for (int signal : {SIGINT, SIGTERM})
        if (std::signal(signal, onInterrupt) == SIG_IGN)
            std::signal(signal, SIG_IGN);
}

// A folder at the video's own path would take the rename, or refuse it after the whole render.
bool isFolder(const std::string& path, std::string& reason) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        return false;
    reason = "it is a folder";
    return true;
}

} // namespace

std::string temporaryVideoName(const std::string& path, long pid) {
    const std::filesystem::path p(path);
    return (p.parent_path() / ("." + p.filename().string() + "." + std::to_string(pid) + ".part")).string();
}

int removeAbandonedVideos(const std::string& path) {
    const std::filesystem::path p(path);
    const std::string prefix = "." + p.filename().string() + ".", suffix = ".part";
    const std::filesystem::path folder = p.parent_path().empty() ? "." : p.parent_path();
    int removed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const long pid = std::stol(digits);
        std::error_code ignored;
        if (pid != currentProcessId() && !processRunning(pid) &&
            std::filesystem::remove(entry.path(), ignored))
            ++removed;
    }
    return removed;
}

bool VideoWriter::interrupted() {
    return interruptRequested != 0;
}

VideoWriter::~VideoWriter() {
    abandon();
}

bool VideoWriter::open(const std::string& target, const VideoFormat& format, int width, int height, int fps,
                       std::string& reason) {
    path = target;
    temporaryPath = temporaryVideoName(path, currentProcessId());
    if (isFolder(path, reason))
        return false;
    removeAbandonedVideos(path);
    const int probe = createExclusive(temporaryPath);
    if (probe < 0) {
        reason = std::strerror(errno);
        return false;
    }
    closeCreated(probe);
    active = true;

    std::string error;
    bool notFound = false;
    if (!encoder.start(encoderCommand(format, width, height, fps, temporaryPath), error, notFound)) {
        reason = notFound ? "no ffmpeg program on the PATH to encode it" + installHint("ffmpeg")
                          : "cannot start ffmpeg: " + error;
        abandon();
        return false;
    }
    catchInterrupts();
    return true;
}

bool VideoWriter::write(const std::vector<unsigned char>& rgb, std::string& reason) {
    if (encoder.write(rgb.data(), rgb.size()))
        return true;
    reason = waitForEncoder();
    if (reason.empty())
        reason = "the encoder stopped taking frames";
    return false;
}

std::string VideoWriter::waitForEncoder() {
    const ChildProcess::Ending ending = encoder.wait();
    return encoderFailure(ending.exitStatus, ending.signal, ending.errorOutput);
}

bool VideoWriter::finish(unsigned long long& bytes, std::string& reason) {
    reason = waitForEncoder();
    std::error_code error;
    if (reason.empty()) {
        bytes = std::filesystem::file_size(temporaryPath, error);
        if (!error && bytes == 0)
            reason = "the encoder (ffmpeg) ended with status 0 but wrote nothing";
        else if (!error)
            std::filesystem::rename(temporaryPath, path, error);
        if (error)
            reason = error.message();
    }
    if (!reason.empty()) {
        abandon();
        return false;
    }
    active = false;
    return true;
}

void VideoWriter::abandon() {
    if (!active)
        return;
    encoder.kill();
    std::remove(temporaryPath.c_str());
    active = false;
}

} // namespace vantor
