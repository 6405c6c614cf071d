#pragma once
// Pass times for the overlay, measured the way the benchmark measures them: the GL queue is
// finished and the steady clock read where each pass begins and ends, so a pass is charged its
// own rendering and nothing queued before it. (GL timer queries under-report on llvmpipe.)
// The finishes stall the CPU on the renderer at every pass, so a frame watched this way runs a
// little slower than an unwatched one.

#include "render/Overlay.h"
#include "render/PassObserver.h"

#include <chrono>

namespace vantor {

// The clock reading both ends of one measured stretch of GL work.
class FinishingStopwatch {
public:
    // Finishes the GL queue, then starts the count.
    void start();
    // Finishes the GL queue, then returns the milliseconds since `start`.
    double stopMs() const;

private:
    std::chrono::steady_clock::time_point started;
};

// Feeds an Overlay: set it as Game::passObserver, and call frameEnds once per frame.
class PassClock : public PassObserver {
public:
    explicit PassClock(Overlay& overlay) : overlay(overlay) {}

    void passBegins(const char* name) override;
    void passEnds(const char* name) override;

    // Adds the wall time since the previous call as one frame (no finish: the swap has already
    // waited for the frame). The first call only starts the count.
    void frameEnds();
    // The time since the last frame was not frames (the window was hidden): the next
    // `frameEnds` only starts the count again, and the overlay restarts its averages.
    void skip();

private:
    Overlay& overlay;
    FinishingStopwatch stopwatch;
    std::chrono::steady_clock::time_point lastFrameEnd;
    bool counting = false;
};

} // namespace vantor
