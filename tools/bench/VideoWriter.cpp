#include "VideoWriter.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

void onInterrupt(int) {
    interruptRequested = 1;
}

// ".name.<pid>.part" beside `path`: same folder, so the final rename stays on one file system.
std::string temporaryNameFor(const std::string& path) {
    const std::filesystem::path p(path);
    return (p.parent_path() / ("." + p.filename().string() + "." + std::to_string(getpid()) + ".part"))
        .string();
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

const char* installHint = " (Debian: apt-get install ffmpeg)";

} // namespace

bool VideoWriter::interrupted() {
    return interruptRequested != 0;
}

VideoWriter::~VideoWriter() {
    abandon();
}

#ifdef _WIN32

namespace {
std::string quoted(const std::string& arg) {
    return "\"" + arg + "\"";
}
} // namespace

bool VideoWriter::open(const std::string& target, const VideoFormat& format, int width, int height, int fps,
                       std::string& reason) {
    path = target;
    temporaryPath = temporaryNameFor(path);
    if (isFolder(path, reason))
        return false;
    if (FILE* probe = std::fopen(temporaryPath.c_str(), "wb")) {
        std::fclose(probe);
    } else {
        reason = std::strerror(errno);
        return false;
    }
    std::string command = "\"";
    for (const std::string& arg : encoderCommand(format, width, height, fps, temporaryPath))
        command += quoted(arg) + " ";
    command += "\"";
    pipe = _popen(command.c_str(), "wb");
    if (!pipe) {
        std::remove(temporaryPath.c_str());
        reason = std::string("cannot start ffmpeg") + installHint;
        return false;
    }
    active = true;
    catchInterrupts();
    return true;
}

bool VideoWriter::write(const std::vector<unsigned char>& rgb, std::string& reason) {
    if (std::fwrite(rgb.data(), 1, rgb.size(), static_cast<FILE*>(pipe)) == rgb.size())
        return true;
    reason = waitForEncoder();
    if (reason.empty())
        reason = "the encoder stopped taking frames";
    return false;
}

std::string VideoWriter::waitForEncoder() {
    if (!pipe)
        return "";
    const int status = _pclose(static_cast<FILE*>(pipe));
    pipe = nullptr;
    return status == 0 ? "" : "ffmpeg failed with status " + std::to_string(status) + installHint;
}

#else

bool VideoWriter::open(const std::string& target, const VideoFormat& format, int width, int height, int fps,
                       std::string& reason) {
    path = target;
    temporaryPath = temporaryNameFor(path);
    if (isFolder(path, reason))
        return false;
    const int probe = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (probe < 0) {
        reason = std::strerror(errno);
        return false;
    }
    ::close(probe);
    active = true;

    FILE* errors = std::tmpfile();
    int fds[2];
    if (!errors || pipe2(fds, O_CLOEXEC) != 0) {
        reason = std::string("cannot make a pipe to the encoder: ") + std::strerror(errno);
        if (errors)
            std::fclose(errors);
        abandon();
        return false;
    }
    errorFd = fcntl(fileno(errors), F_DUPFD_CLOEXEC, 0);
    std::fclose(errors);
    pipeFd = fds[1];

    std::vector<std::string> command = encoderCommand(format, width, height, fps, temporaryPath);
    std::vector<char*> argv;
    for (std::string& arg : command)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, errorFd, 2);
    pid_t child = -1;
    const int spawnError = posix_spawnp(&child, "ffmpeg", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    if (spawnError != 0) {
        reason = spawnError == ENOENT
                     ? std::string("no ffmpeg program on the PATH to encode it") + installHint
                     : std::string("cannot start ffmpeg: ") + std::strerror(spawnError);
        abandon();
        return false;
    }
    pid = child;
    // A dead encoder must show as a failed write, not end the bench.
    std::signal(SIGPIPE, SIG_IGN);
    catchInterrupts();
    return true;
}

bool VideoWriter::write(const std::vector<unsigned char>& rgb, std::string& reason) {
    size_t written = 0;
    while (written < rgb.size()) {
        const ssize_t n = ::write(pipeFd, rgb.data() + written, rgb.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reason = waitForEncoder();
            if (reason.empty())
                reason = "the encoder stopped taking frames";
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

std::string VideoWriter::waitForEncoder() {
    if (pipeFd >= 0)
        ::close(pipeFd);
    pipeFd = -1;
    if (pid < 0) {
        if (errorFd >= 0)
            ::close(errorFd);
        errorFd = -1;
        return "";
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    pid = -1;
    std::string said;
    if (errorFd >= 0) {
        char buffer[4096];
        lseek(errorFd, 0, SEEK_SET);
        for (ssize_t n; (n = ::read(errorFd, buffer, sizeof buffer)) > 0;)
            said.append(buffer, static_cast<size_t>(n));
        ::close(errorFd);
        errorFd = -1;
    }
    return encoderFailure(WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                          WIFSIGNALED(status) ? WTERMSIG(status) : 0, said);
}

#endif

bool VideoWriter::finish(unsigned long long& bytes, std::string& reason) {
    reason = waitForEncoder();
    std::error_code error;
    if (reason.empty()) {
        bytes = std::filesystem::file_size(temporaryPath, error);
        if (!error)
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
#ifdef _WIN32
    waitForEncoder();
#else
    if (pid > 0)
        kill(pid, SIGKILL);
    waitForEncoder();
#endif
    std::remove(temporaryPath.c_str());
    active = false;
}
