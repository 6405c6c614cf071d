#pragma once
// Times one frame of the demo as its loop runs it: the scene update, Game::render itself and
// the buffer swap. It watches render through the Game's pass observer, with a glFinish and a
// clock reading where each pass begins and ends, so every pass is charged only its own work.
// (Timer queries under-report on llvmpipe when a pass draws into the target it drew into
// before.) The pass table lists what the frame ran, in the order it ran it: a pass added to
// render appears in it without a change here. With a frame-rate target set, each frame's work up
// to the swap also feeds the render-scale controller, as the demo's loop feeds it.

#include "Stats.h"
#include "render/PassClock.h"
#include "render/PassObserver.h"
#include "render/RenderScale.h"

#include <chrono>
#include <vector>
struct GLFWwindow;

namespace vantor {

class Game;
class Timeline;

class FrameTimer : public PassObserver {
public:
    // One whole frame: clear, events, update, every pass of render, swap. Records the times
    // when `record` is set.
    void runFrame(Game& game, Timeline& timeline, GLFWwindow* window, bool record);

    void passBegins(const char* name) override;
    void passEnds(const char* name) override;

    std::vector<PassTimes> passes; // "update", render's passes, "swap", as first seen
    PassTimes frame{"frame", {}};  // wall clock of the whole frame, glFinish overhead included
    double firstFrameMs = 0;       // the first frame run, recorded or not (shader compiles included)
    int framesRun = 0;
    int glErrors = 0; // frames that left the GL error flag set
    // The scale the last frame was drawn at, its internal size, and the controller's changes.
    float renderScale = 1.0f;
    int frameWidth = 0;
    int frameHeight = 0;
    int scaleChanges = 0;
    RenderScaleController scaleController;
    // Times whole frames only, as the demo runs them: no pass observer and no glFinish between
    // passes, so the main thread's work overlaps the rasterizer's; no pass table.
    bool wholeFrames = false;

private:
    FinishingStopwatch stopwatch;
    bool recording = false;
};

} // namespace vantor
