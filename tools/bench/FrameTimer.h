#pragma once
// Runs one frame pass by pass, in the order Game::render runs them, and times each with a
// glFinish on either side, so every pass is charged only its own work. (Timer queries
// under-report on llvmpipe when a pass draws into the target it drew into before.)

#include "Stats.h"

#include <vector>

class Game;
struct GLFWwindow;
class Timeline;

class FrameTimer {
public:
    FrameTimer();

    // One whole frame: update, every pass, swap. Records the times when `record` is set.
    void runFrame(Game& game, Timeline& timeline, GLFWwindow* window, bool record);

    std::vector<PassTimes> passes; // update, the passes, swap
    PassTimes frame{"frame", {}};  // wall clock of the whole frame, glFinish overhead included
    int glErrors = 0;
};
