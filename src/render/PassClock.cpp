#include "render/PassClock.h"

#include "gpu/GlProfile.h"

#include <iostream>

namespace vantor {

namespace {

using Clock = std::chrono::steady_clock;

// GL_TIME_ELAPSED, named GL_TIME_ELAPSED_EXT in WebGL2's extension.
constexpr GLenum timeElapsed = 0x88BF;
// GL_GPU_DISJOINT_EXT: set when the GPU's clock jumped (the page's extension alone has it).
constexpr GLenum gpuDisjoint = 0x8FBB;
// Results that have not come in after this many frames will not: their frames are dropped.
constexpr size_t maxWaitingFrames = 8;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

bool available(GLuint query) {
    GLuint ready = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT_AVAILABLE, &ready);
    return ready != 0;
}

} // namespace

void FinishingStopwatch::start() {
    glprofile::waitForGpu();
    started = Clock::now();
}

double FinishingStopwatch::stopMs() const {
    glprofile::waitForGpu();
    return millisecondsBetween(started, Clock::now());
}

PassClock::Timing PassClock::chosenTiming() {
    if (!glprofile::webGl)
        return Timing::FinishedClock;
    const bool offered = glprofile::gpuTimerOffered();
    // Said once in the page's log: what the overlay's heading names, and why.
    static bool told = false;
    if (!told)
        std::cout << (offered ? "Pass times: the GPU timer (EXT_disjoint_timer_query_webgl2)"
                              : "Pass times: the CPU clock, waiting for the GPU at every pass (this "
                                "browser offers no EXT_disjoint_timer_query_webgl2)")
                  << std::endl;
    told = true;
    return offered ? Timing::GpuTimer : Timing::FinishedClock;
}

PassClock::PassClock(Overlay& overlay, Timing timing) : overlay(overlay), timing(timing) {
    if (timing == Timing::GpuTimer)
        overlay.setPassTiming("GPU timer");
    else if (glprofile::webGl)
        overlay.setPassTiming("CPU clock, no GPU timer");
}

PassClock::~PassClock() {
    if (timedPass)
        glEndQuery(timeElapsed);
    for (const QueryFrame& frame : waiting)
        for (const TimedPass& pass : frame.passes)
            spareQueries.push_back(pass.query);
    for (const TimedPass& pass : running)
        spareQueries.push_back(pass.query);
    if (!spareQueries.empty())
        glDeleteQueries(GLsizei(spareQueries.size()), spareQueries.data());
}

GLuint PassClock::takeQuery() {
    if (spareQueries.empty()) {
        GLuint query = 0;
        glGenQueries(1, &query);
        return query;
    }
    const GLuint query = spareQueries.back();
    spareQueries.pop_back();
    return query;
}

void PassClock::passBegins(const char* name) {
    if (timing == Timing::FinishedClock) {
        stopwatch.start();
        return;
    }
    if (timedPass)
        return;
    timedPass = name;
    running.push_back({name, takeQuery()});
    glBeginQuery(timeElapsed, running.back().query);
}

void PassClock::passEnds(const char* name) {
    if (timing == Timing::FinishedClock) {
        overlay.addPass(name, stopwatch.stopMs());
        return;
    }
    if (name != timedPass)
        return;
    glEndQuery(timeElapsed);
    timedPass = nullptr;
}

void PassClock::collectResults() {
    waiting.push_back({std::move(running), true});
    running.clear();
    // A jump of the GPU's clock spoils every result still to be read.
    if (glprofile::webGl) {
        GLint jumped = 0;
        glGetIntegerv(gpuDisjoint, &jumped);
        if (jumped)
            for (QueryFrame& frame : waiting)
                frame.counted = false;
    }
    while (!waiting.empty()) {
        QueryFrame& oldest = waiting.front();
        bool complete = true;
        for (const TimedPass& pass : oldest.passes)
            complete = complete && available(pass.query);
        if (!complete && waiting.size() <= maxWaitingFrames)
            break;
        for (const TimedPass& pass : oldest.passes) {
            if (complete && oldest.counted) {
                GLuint nanoseconds = 0;
                glGetQueryObjectuiv(pass.query, GL_QUERY_RESULT, &nanoseconds);
                overlay.addPass(pass.name, nanoseconds / 1e6);
            }
            spareQueries.push_back(pass.query);
        }
        waiting.pop_front();
    }
}

void PassClock::frameEnds() {
    if (timing == Timing::GpuTimer)
        collectResults();
    const Clock::time_point now = Clock::now();
    if (counting)
        overlay.addFrame(millisecondsBetween(lastFrameEnd, now));
    lastFrameEnd = now;
    counting = true;
}

void PassClock::skip() {
    counting = false;
    for (QueryFrame& frame : waiting)
        frame.counted = false;
    overlay.restart();
}

} // namespace vantor
