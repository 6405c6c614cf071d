#pragma once
// A long run of the demo's frames that fails on what only shows over time: a GL error, a NaN
// in the G-buffer, resident memory that keeps growing.

#include "Options.h"
struct GLFWwindow;

namespace vantor {

class Game;
class Timeline;

// Renders options.soakFrames frames from flight time options.start (after options.warmup
// frames that are not judged) and prints what it checked. Every frame: glGetError and the GL
// debug messages (installs its own counting callback). Every nanCheckInterval-th frame: the
// whole G-buffer position and normal targets read back and checked for NaN and infinity (the
// lit image is 8-bit and cannot hold one). Resident memory is read every frame; the run fails
// if the peak over its last tenth exceeds the peak over its first tenth by more than 5 %.
// Returns true when all of it passed.
bool runSoak(Game& game, Timeline& timeline, GLFWwindow* window, const BenchOptions& options);

constexpr int nanCheckInterval = 10;

} // namespace vantor
