#include "app/FrameTimeHistory.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vantor {

void FrameTimeHistory::add(double ms) {
    if (std::exchange(skipNext, false) || !std::isfinite(ms) || ms < 0.0)
        return;
    frames.push_back(ms);
    totalMs += ms;
    // The newest frame always stays, however long it took.
    while (frames.size() > 1 && totalMs - frames.front() >= seconds * 1000.0) {
        totalMs -= frames.front();
        frames.pop_front();
    }
}

void FrameTimeHistory::restart() {
    frames.clear();
    totalMs = 0;
    skipNext = true;
}

double FrameTimeHistory::minMs() const {
    return frames.empty() ? 0.0 : *std::min_element(frames.begin(), frames.end());
}

double FrameTimeHistory::meanMs() const {
    return frames.empty() ? 0.0 : totalMs / static_cast<double>(frames.size());
}

double FrameTimeHistory::maxMs() const {
    return frames.empty() ? 0.0 : *std::max_element(frames.begin(), frames.end());
}

std::vector<float> FrameTimeHistory::values() const {
    return std::vector<float>(frames.begin(), frames.end());
}

} // namespace vantor
