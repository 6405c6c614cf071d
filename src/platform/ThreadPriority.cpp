#include "platform/ThreadPriority.h"

#if defined(_WIN32)
#include <windows.h>

namespace vantor {

void lowerThisThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

} // namespace vantor

#elif defined(__APPLE__)
#include <pthread.h>

namespace vantor {

void lowerThisThreadPriority() {
    // The scheduler's class for work the user is not waiting on; unlike "background", it keeps
    // full disk speed, so a save still finishes soon.
    pthread_set_qos_class_self_np(QOS_CLASS_UTILITY, 0);
}

} // namespace vantor

#elif defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>

namespace vantor {

void lowerThisThreadPriority() {
    // On Linux a thread's nice value is its own.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

} // namespace vantor

#else

namespace vantor {

// Elsewhere a nice value belongs to the whole process: the frame's threads would slow too.
void lowerThisThreadPriority() {}

} // namespace vantor

#endif
