#include "render/Overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vantor {

namespace {

template <typename... Args> std::string format(const char* pattern, Args... args) {
    char text[256];
    std::snprintf(text, sizeof(text), pattern, args...);
    return text;
}

} // namespace

Overlay::Overlay(double windowMs) : windowMs(windowMs) {}

void Overlay::addPass(const char* name, double ms) {
    if (!name || !std::isfinite(ms) || ms < 0)
        return;
    // The same literal can have a different address in each translation unit.
    auto pass = std::find_if(sums.begin(), sums.end(),
                             [&](const PassSum& p) { return std::strcmp(p.name.c_str(), name) == 0; });
    if (pass == sums.end())
        pass = sums.insert(sums.end(), PassSum{name, 0, 0});
    pass->ms += ms;
    ++pass->count;
}

void Overlay::addFrame(double frameMs) {
    if (!std::isfinite(frameMs) || frameMs < 0)
        return;
    sumFrameMs += frameMs;
    ++frames;
    if (sumFrameMs < windowMs)
        return;

    published = true;
    shownFrameMs = sumFrameMs / frames;
    shownFps = sumFrameMs > 0 ? 1000.0 * frames / sumFrameMs : 0;
    shownPasses.clear();
    for (PassSum& pass : sums) {
        shownPasses.push_back({pass.name, pass.count > 0 ? pass.ms / pass.count : 0, pass.count > 0});
        pass.ms = 0;
        pass.count = 0;
    }
    sumFrameMs = 0;
    frames = 0;
}

void Overlay::restart() {
    sumFrameMs = 0;
    frames = 0;
    for (PassSum& pass : sums) {
        pass.ms = 0;
        pass.count = 0;
    }
}

std::vector<std::string> Overlay::lines(const OverlayState& state) const {
    std::vector<std::string> out;
    if (published)
        out.push_back(format("%.1f fps  %.1f ms/frame", shownFps, shownFrameMs));
    else
        out.push_back("-- fps  -- ms/frame");

    if (!sums.empty()) {
        out.push_back("pass ms (" + passTiming + ")");
        size_t nameWidth = 0;
        for (const PassSum& pass : sums)
            nameWidth = std::max(nameWidth, pass.name.size());
        for (size_t i = 0; i < sums.size(); ++i) {
            // Passes first seen in the window still filling have no average yet.
            const bool shown = i < shownPasses.size() && shownPasses[i].measured;
            const std::string time = shown ? format("%6.2f", shownPasses[i].ms) : "    --";
            out.push_back(format("  %-*s %s", int(nameWidth), sums[i].name.c_str(), time.c_str()));
        }
    }

    out.push_back(format("%d x %d  view %s", state.width, state.height, state.viewName.c_str()));
    if (state.frameWidth > 0)
        out.push_back(
            format("render scale %.3g  %d x %d", state.renderScale, state.frameWidth, state.frameHeight));
    out.push_back(format("flight %s  t %.1f s", state.flight ? "on" : "off", state.flightTime));
    if (state.paused)
        out.push_back("paused");
    return out;
}

} // namespace vantor
