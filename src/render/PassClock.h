#pragma once
// Pass times for the overlay. On the desktop they are measured the way the benchmark measures
// them: the GL queue is finished and the steady clock read where each pass begins and ends, so a
// pass is charged its own rendering and nothing queued before it. (GL timer queries under-report
// on llvmpipe.) The finishes stall the CPU on the renderer at every pass, so a frame watched this
// way runs a little slower than an unwatched one.
// In a web page the wait is a pixel read back (glprofile::waitForGpu), which also waits for the
// browser's own work on the frame: there the GPU's timer (EXT_disjoint_timer_query_webgl2) times
// the passes where the browser offers it, and the overlay's heading says which clock it reads.

#include "render/Overlay.h"
#include "render/PassObserver.h"

#include <GL/glew.h>

#include <chrono>
#include <deque>
#include <vector>

namespace vantor {

// The clock reading both ends of one measured stretch of GL work.
class FinishingStopwatch {
public:
    // Waits for the GL's work so far, then starts the count.
    void start();
    // Waits for the GL's work so far, then returns the milliseconds since `start`.
    double stopMs() const;

private:
    std::chrono::steady_clock::time_point started;
};

// Feeds an Overlay: set it as Game::passObserver, and call frameEnds once per frame.
class PassClock : public PassObserver {
public:
    enum class Timing {
        FinishedClock, // the steady clock, the GL's work waited for at both ends
        GpuTimer,      // GL_TIME_ELAPSED queries, read back once the GPU has their results
    };
    // The desktop's finished clock; in a page, the GPU timer where the browser offers it.
    // Needs a current context.
    static Timing chosenTiming();

    // The context stays current until the clock is destroyed.
    explicit PassClock(Overlay& overlay, Timing timing = chosenTiming());
    ~PassClock() override;
    PassClock(const PassClock&) = delete;
    PassClock& operator=(const PassClock&) = delete;

    void passBegins(const char* name) override;
    void passEnds(const char* name) override;

    // Adds the wall time since the previous call as one frame (no finish: the swap has already
    // waited for the frame). The first call only starts the count. With the GPU timer, the passes
    // of earlier frames whose results have come in are added first: they arrive a frame or more
    // late, and never within the frame that asked.
    void frameEnds();
    // The time since the last frame was not frames (the window was hidden): the next
    // `frameEnds` only starts the count again, and the overlay restarts its averages. Timer
    // results still on their way are dropped with it.
    void skip();

private:
    struct TimedPass {
        const char* name;
        GLuint query;
    };
    struct QueryFrame {
        std::vector<TimedPass> passes;
        bool counted = true;
    };
    GLuint takeQuery();
    void collectResults();

    Overlay& overlay;
    Timing timing;
    FinishingStopwatch stopwatch;
    std::chrono::steady_clock::time_point lastFrameEnd;
    bool counting = false;

    // The GPU timer: GL times one query of a kind at a time, so a pass inside another is left
    // to the outer one's.
    const char* timedPass = nullptr;
    std::vector<TimedPass> running; // this frame's passes
    std::deque<QueryFrame> waiting; // earlier frames', oldest first
    std::vector<GLuint> spareQueries;
};

} // namespace vantor
