#pragma once
// The frame times of the last few seconds, for the settings panel's graph: each frame's time
// in order, and their least, mean and greatest. Pure: the frame loop adds each frame's time.

#include <deque>
#include <vector>

namespace vantor {

class FrameTimeHistory {
public:
    explicit FrameTimeHistory(double seconds = 5.0) : seconds(seconds) {}

    // One frame that took `ms`; frames older than the window's length (counted in frame time,
    // newest backwards) drop out. Negative or non-finite times are ignored.
    void add(double ms);
    // Forgets every frame, as after a stretch the loop did not draw (a minimised window). The
    // next time added is no frame's either: it runs from the stretch's last wait, not from a
    // frame's start.
    void restart();

    bool empty() const { return frames.empty(); }
    double minMs() const;
    double meanMs() const;
    double maxMs() const;
    // Oldest first, as the graph draws them.
    std::vector<float> values() const;

private:
    double seconds;
    double totalMs = 0;
    std::deque<double> frames;
    bool skipNext = false;
};

} // namespace vantor
