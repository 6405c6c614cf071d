#include "platform/ThreadPriority.h"

#ifdef _WIN32
#include <windows.h>

void lowerThisThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

#else
#include <sys/resource.h>
#include <unistd.h>

void lowerThisThreadPriority() {
    // On Linux a thread's nice value is its own.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

#endif
