#pragma once
// The coloured point lights as the passes use them: the lights made so far and how many are on,
// their bodies' per-instance data and draws, and their per-frame data for the lighting pass.

#include "render/LightBodies.h"
#include "render/LightBodyBatches.h"
#include "render/LightCount.h"
#include "render/LightFrame.h"
#include "scene/LightSet.h"

#include <glm/glm.hpp>

#include <vector>

namespace vantor {

struct LightRig {
    // The lights made so far, in the order made; the first `count` of them (at most
    // lightcount::maxLightCount) are on. Raising the count makes the missing ones; the others
    // keep their state while off.
    vantor::scene::LightSet lights{lightcount::maxLightCount};
    int count = 50;
    // The bodies' per-instance data for the shadow and forward passes, and how they are drawn.
    LightBodies lightBodies;
    LightBodyBatches bodyBatches;
    // This frame's lights for the lighting program: the light block and the grid.
    LightFrame lightFrame;

    std::vector<glm::vec3> positions() const { return lights.positions(count); }
    std::vector<glm::vec3> colors() const { return lights.colors(count); }
};

} // namespace vantor
