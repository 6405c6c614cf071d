#include "render/PassClock.h"

#include <GL/glew.h>

namespace vantor {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

void FinishingStopwatch::start() {
    glFinish();
    started = Clock::now();
}

double FinishingStopwatch::stopMs() const {
    glFinish();
    return millisecondsBetween(started, Clock::now());
}

void PassClock::passBegins(const char*) {
    stopwatch.start();
}

void PassClock::passEnds(const char* name) {
    overlay.addPass(name, stopwatch.stopMs());
}

void PassClock::frameEnds() {
    const Clock::time_point now = Clock::now();
    if (counting)
        overlay.addFrame(millisecondsBetween(lastFrameEnd, now));
    lastFrameEnd = now;
    counting = true;
}

void PassClock::skip() {
    counting = false;
    overlay.restart();
}

} // namespace vantor
