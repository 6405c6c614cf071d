#pragma once
// Command line of the benchmark and capture tool. Pure: no GL, no windowing.

#include "render/RenderSettings.h"

#include <string>
#include <vector>

namespace vantor {

struct BenchOptions {
    int width = 1280;
    int height = 768;
    double start = 20.0;              // flight time (s) of the first measured frame
    int frames = 60;                  // measured frames; 0 = captures only
    int warmup = 5;                   // frames rendered and discarded before measuring (shader compiles)
    double step = 1.0 / 60.0;         // simulated seconds per frame, also the fast-forward step
    std::vector<double> captureTimes; // flight times to capture the final image at
    bool intermediates = false;       // also capture G-buffer, shadow faces, lit, bright and blur images
    std::string captureDir = "captures";
    std::string jsonPath;            // machine-readable results; empty = none
    std::string compareDir;          // reference captures to compare against; empty = none
    double maxMeanDiff = 1.5;        // mean absolute channel difference allowed, 0-255 scale
    double maxBadPixelShare = 0.002; // share of pixels allowed to differ by more than badPixelDiff
    int badPixelDiff = 48;
    RenderSettings settings; // --set name=value,...; --view N is settings.view
    int soakFrames = 0;      // > 0: a soak of this many frames from `start` instead of the timing
    std::string videoPath;   // non-empty: `frames` frames from `start` at 1/fps s each into this file
    int fps = 60;
    bool wholeFrames = false; // time whole frames only, without a glFinish between passes
    bool help = false;        // --help: print the usage and do nothing else
    bool overlay = false;     // captures show the timing overlay (F1), its times from one watched frame
};

// Fills `options` from argv. On a bad argument returns false with a one-line `error`; with
// --help returns true at once with `help` set.
bool parseBenchOptions(int argc, const char* const* argv, BenchOptions& options, std::string& error);

const char* benchUsage();
// One line per setting --set takes, with its range.
std::string benchSettingsUsage();

} // namespace vantor
