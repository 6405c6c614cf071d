#pragma once
// The timing overlay's content: frame and per-pass times averaged over about half a second,
// and the lines that show them with the window size, the view, the flight and its time.
// Pure arithmetic and text, no GL: the user interface draws the lines, PassClock measures the passes.

#include <string>
#include <utility>
#include <vector>

namespace vantor {

// What the overlay shows besides the times, filled in by the frame loop.
struct OverlayState {
    int width = 0;
    int height = 0;
    std::string viewName;
    bool flight = false;
    double flightTime = 0; // seconds
    bool paused = false;
    // The render scale and the size the scene is drawn at; no line for them while frameWidth is 0.
    float renderScale = 1.0f;
    int frameWidth = 0;
    int frameHeight = 0;
};

class Overlay {
public:
    // Times are averaged over windows of at least `windowMs` of frames; the shown numbers
    // change once per window, slowly enough to read.
    explicit Overlay(double windowMs = 500.0);

    // One pass of the frame now running; `name` is compared by content, not by pointer.
    void addPass(const char* name, double ms);
    // Ends a frame that took `frameMs`; its passes are those added since the previous frame.
    // When the window is full its averages replace the shown ones. Negative or non-finite
    // times are ignored.
    void addFrame(double frameMs);

    // How the pass times are taken, shown in the passes' heading ("glFinish-timed" until set).
    void setPassTiming(std::string how) { passTiming = std::move(how); }
    const std::string& passTimingName() const { return passTiming; }

    // Drops the frames and passes of the window still filling: after a stretch no frame saw
    // (a minimised window), the averages start afresh instead of taking it for one long frame.
    // The numbers shown stay until the next window is full.
    void restart();

    // The overlay's text, one string per line:
    //   "<fps> fps  <ms> ms/frame"
    //   "pass ms (<pass timing>)" and one line per pass, in the order first seen
    //   "<width> x <height>  view <name>"
    //   "render scale <scale>  <frameWidth> x <frameHeight>" (when frameWidth is set)
    //   "flight on|off  t <seconds> s"
    //   "paused" (only when paused)
    // Before the first window is full the times read "--".
    std::vector<std::string> lines(const OverlayState& state) const;

    struct PassAverage {
        std::string name;
        double ms = 0;
        bool measured = false; // false when the pass did not run in the last window
    };
    bool hasAverages() const { return published; }
    double framesPerSecond() const { return shownFps; }
    double frameMs() const { return shownFrameMs; }
    const std::vector<PassAverage>& passes() const { return shownPasses; }

private:
    struct PassSum {
        std::string name;
        double ms = 0;
        int count = 0;
    };
    double windowMs;
    std::string passTiming = "glFinish-timed";
    double sumFrameMs = 0;
    int frames = 0;
    std::vector<PassSum> sums; // every pass ever seen, in first-seen order

    bool published = false;
    double shownFps = 0;
    double shownFrameMs = 0;
    std::vector<PassAverage> shownPasses;
};

} // namespace vantor
