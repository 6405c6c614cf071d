#include "app/PanelFit.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace panelfit {

namespace {

constexpr float designHeight = 768.0f;

} // namespace

Scale scaleFor(int framebufferHeight, int windowHeight, float contentScale) {
    const int byHeight = int(std::floor(float(std::max(framebufferHeight, 0)) / designHeight + 0.3f));
    const int byContent =
        std::isfinite(contentScale) ? int(std::floor(std::min(contentScale, 16.0f) + 0.5f)) : 1;
    Scale scale;
    scale.pixels = std::max({1, byHeight, byContent});
    const float pixelsPerPoint =
        framebufferHeight > 0 && windowHeight > 0 ? float(framebufferHeight) / float(windowHeight) : 1.0f;
    scale.points = float(scale.pixels) / pixelsPerPoint;
    return scale;
}

float largest(float display, float margin, float least) {
    return std::max(display - 2.0f * margin, least);
}

float keepWithin(float at, float size, float display) {
    return std::max(0.0f, std::min(at, display - size));
}

} // namespace panelfit

} // namespace vantor
