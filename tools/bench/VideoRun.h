#pragma once
// The flight as a video: options.frames frames from options.start, frame n at flight time
// start + n / fps, each rendered exactly as a capture of that time is (the same timeline on the
// same step, then Game::render), read back and fed to the encoder.

#include "Options.h"
struct GLFWwindow;

namespace vantor {

class Game;
class Timeline;
class VideoWriter;

// Writes every frame to `writer` (already open) and finishes the file, with progress and a
// final line on standard error. Returns the bench's exit status: 0, 1 when the video could not
// be written (one line names the file and the reason; no file is left), 130 when interrupted.
int recordVideo(Game& game, Timeline& timeline, GLFWwindow* window, const BenchOptions& options,
                VideoWriter& writer);

} // namespace vantor
