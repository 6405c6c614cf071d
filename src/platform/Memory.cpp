#include "platform/Memory.h"

#ifdef _WIN32
#include <windows.h>
// psapi.h's GetProcessMemoryInfo is K32GetProcessMemoryInfo in kernel32, which needs no psapi.lib.
#ifndef PSAPI_VERSION
#define PSAPI_VERSION 2
#endif
#include <psapi.h>

namespace vantor {

std::uint64_t installedMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? std::uint64_t(status.ullTotalPhys) : 0;
}

std::uint64_t residentMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return std::uint64_t(counters.WorkingSetSize);
}

std::uint64_t peakResidentMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return std::uint64_t(counters.PeakWorkingSetSize);
}

} // namespace vantor

#else
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace vantor {

std::uint64_t installedMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return std::uint64_t(pages) * std::uint64_t(pageSize);
}

std::uint64_t residentMemoryBytes() {
    // The second field of /proc/self/statm, in pages (Linux; elsewhere the file is absent).
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pageSize > 0 ? std::uint64_t(resident) * std::uint64_t(pageSize) : 0;
}

std::uint64_t peakResidentMemoryBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
#ifdef __APPLE__
    return std::uint64_t(usage.ru_maxrss); // bytes there
#else
    return std::uint64_t(usage.ru_maxrss) * 1024; // kilobytes
#endif
}

} // namespace vantor

#endif
