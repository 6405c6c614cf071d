#include "platform/Process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vantor {

std::string windowsCommandLine(const std::vector<std::string>& command) {
    std::string line;
    for (const std::string& word : command) {
        if (!line.empty())
            line += ' ';
        line += '"';
        size_t backslashes = 0;
        for (char c : word) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes count as escapes only before a quote: there they and the quote are escaped.
            line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(2 * backslashes, '\\'); // the closing quote follows
        line += '"';
    }
    return line;
}

std::string installHint(const std::string& debianPackage) {
#ifdef __linux__
    return " (Debian: apt-get install " + debianPackage + ")";
#else
    (void)debianPackage;
    return "";
#endif
}

} // namespace vantor

#ifdef _WIN32
#include <windows.h>

namespace vantor {

namespace {

std::wstring wide(const std::string& text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string systemMessage(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = text ? text : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

} // namespace

struct ChildProcess::Handles {
    HANDLE process = nullptr;
    HANDLE input = nullptr;  // our end of the child's standard input
    HANDLE errors = nullptr; // the child's standard error: a temporary file deleted on close
};

bool ChildProcess::start(const std::vector<std::string>& command, std::string& error, bool& notFound) {
    notFound = false;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"err", 0, name)) {
        error = "cannot make a temporary file: " + systemMessage(GetLastError());
        return false;
    }
    HANDLE errors = CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (errors == INVALID_HANDLE_VALUE) {
        error = "cannot make a temporary file: " + systemMessage(GetLastError());
        DeleteFileW(name);
        return false;
    }
    HANDLE childInput = nullptr, input = nullptr;
    if (!CreatePipe(&childInput, &input, &inherit, 1 << 20) ||
        !SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0)) {
        error = "cannot make a pipe: " + systemMessage(GetLastError());
        CloseHandle(errors);
        if (childInput) {
            CloseHandle(childInput);
            CloseHandle(input);
        }
        return false;
    }
    // Only these two handles reach the child, however many others are inheritable.
    HANDLE inherited[] = {childInput, errors};
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> attributeSpace(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeSpace.data());
    InitializeProcThreadAttributeList(attributes, 1, 0, &size);
    UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited,
                              nullptr, nullptr);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = childInput;
    startup.StartupInfo.hStdOutput = errors;
    startup.StartupInfo.hStdError = errors;
    startup.lpAttributeList = attributes;
    std::wstring line = wide(windowsCommandLine(command));
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        EXTENDED_STARTUPINFO_PRESENT | CREATE_NO_WINDOW, nullptr, nullptr,
                                        &startup.StartupInfo, &info);
    const DWORD startError = GetLastError();
    DeleteProcThreadAttributeList(attributes);
    CloseHandle(childInput);
    if (!started) {
        CloseHandle(input);
        CloseHandle(errors);
        notFound = startError == ERROR_FILE_NOT_FOUND || startError == ERROR_PATH_NOT_FOUND;
        error = systemMessage(startError);
        return false;
    }
    CloseHandle(info.hThread);
    handles = new Handles{info.hProcess, input, errors};
    return true;
}

bool ChildProcess::write(const void* data, size_t size) {
    if (!handles || !handles->input)
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        if (!WriteFile(handles->input, bytes, chunk, &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

ChildProcess::Ending ChildProcess::wait() {
    Ending ending;
    if (!handles)
        return ending;
    if (handles->input)
        CloseHandle(handles->input);
    WaitForSingleObject(handles->process, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(handles->process, &status);
    ending.exitStatus = static_cast<int>(status);
    CloseHandle(handles->process);
    char buffer[4096];
    SetFilePointer(handles->errors, 0, nullptr, FILE_BEGIN);
    for (DWORD n = 0; ReadFile(handles->errors, buffer, sizeof buffer, &n, nullptr) && n > 0;)
        ending.errorOutput.append(buffer, n);
    CloseHandle(handles->errors);
    delete handles;
    handles = nullptr;
    return ending;
}

ChildProcess::Ending ChildProcess::kill() {
    if (handles)
        TerminateProcess(handles->process, 1);
    return wait();
}

long currentProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

bool standardErrorIsTerminal() {
    // _isatty counts the NUL device as a character device too; only a console has a mode.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool processRunning(long pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD status = 0;
    const bool running = GetExitCodeProcess(process, &status) && status == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

} // namespace vantor

#else
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vantor {

namespace {

int closeOnExec(int fd) {
    if (fd >= 0)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

} // namespace

struct ChildProcess::Handles {
    pid_t pid = -1;
    int input = -1;  // our end of the child's standard input
    int errors = -1; // the child's standard error: an unlinked temporary file
};

bool ChildProcess::start(const std::vector<std::string>& command, std::string& error, bool& notFound) {
    notFound = false;
    // Kept in a file rather than a pipe, so a child that says much never blocks on it.
    FILE* errorFile = std::tmpfile();
    const int errors = errorFile ? closeOnExec(fcntl(fileno(errorFile), F_DUPFD, 0)) : -1;
    if (errorFile)
        std::fclose(errorFile);
    int fds[2] = {-1, -1};
    if (errors < 0 || pipe(fds) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        if (errors >= 0)
            ::close(errors);
        return false;
    }
    closeOnExec(fds[0]);
    closeOnExec(fds[1]);
    std::vector<std::string> words = command;
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, errors, 1);
    posix_spawn_file_actions_adddup2(&actions, errors, 2);
    pid_t pid = -1;
    const int spawnError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    if (spawnError != 0) {
        ::close(fds[1]);
        ::close(errors);
        notFound = spawnError == ENOENT;
        error = std::strerror(spawnError);
        return false;
    }
    // A child that stops reading must show as a failed write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    handles = new Handles{pid, fds[1], errors};
    return true;
}

bool ChildProcess::write(const void* data, size_t size) {
    if (!handles || handles->input < 0)
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(handles->input, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

ChildProcess::Ending ChildProcess::wait() {
    Ending ending;
    if (!handles)
        return ending;
    if (handles->input >= 0)
        ::close(handles->input);
    int status = 0;
    while (waitpid(handles->pid, &status, 0) < 0 && errno == EINTR) {
    }
    ending.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    char buffer[4096];
    lseek(handles->errors, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(handles->errors, buffer, sizeof buffer)) > 0;)
        ending.errorOutput.append(buffer, static_cast<size_t>(n));
    ::close(handles->errors);
    delete handles;
    handles = nullptr;
    return ending;
}

ChildProcess::Ending ChildProcess::kill() {
    if (handles)
        ::kill(handles->pid, SIGKILL);
    return wait();
}

long currentProcessId() {
    return static_cast<long>(getpid());
}

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

bool processRunning(long pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

} // namespace vantor

#endif

namespace vantor {

ChildProcess::~ChildProcess() {
    if (handles)
        kill();
}

} // namespace vantor
