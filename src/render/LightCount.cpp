#include "render/LightCount.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace lightcount {

namespace {

// Pools that overlap mix towards white; pushed further from grey, small ones stay coloured.
constexpr float manyLightsColorPush = 2.2f;

} // namespace

LightLook lightLook(int count) {
    LightLook look;
    if (count <= designedLightCount)
        return look;
    const float shrink = std::sqrt(static_cast<float>(designedLightCount) / static_cast<float>(count));
    look.reach = designedReach * shrink;
    look.bodyScale = std::sqrt(shrink);
    look.colorPush = manyLightsColorPush;
    look.slabs = std::max(1, static_cast<int>(std::lround(16.0f * shrink)));
    look.cellSize = look.reach / (9.0f * std::sqrt(shrink) - 1.0f);
    return look;
}

} // namespace lightcount

} // namespace vantor
