#pragma once
// What the lighting pass knows of the coloured lights in one frame: each light's position and
// packed colour in one vec4, and the lights binned into a grid of boxes whose light lists the
// shader walks instead of testing every light at every pixel. Prepared once per frame from
// the lights, then applied to the lighting program. Owns the grid's GL storage.

#include "gpu/Shader.h"
#include "render/LightCount.h"
#include "render/LightGrid.h"
#include "render/LightGridTextures.h"

#include <glm/glm.hpp>

#include <vector>

namespace vantor {

class LightFrame {
public:
    // Takes this frame's lights: `positions` and `colors` of the same length; lights past
    // `capacity` are left out. `look` gives their reach.
    void prepare(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& colors,
                 const lightcount::LightLook& look);
    // Hands the frame's lights to the current program `shader`: the light block "LightBlock",
    // "lightColorScale", "lightSquash", and the grid as "lightBoxes" (texture unit `boxUnit`),
    // "lightLists" (`listUnit`), "lightGrid" and "lightSlabs".
    void apply(Shader* shader);
    // Deletes the grid's GL storage; safe to repeat.
    void release();

    // Lights the shader can be given; the context's limits may lower it (set at start-up).
    int capacity = lightcount::maxLightCount;
    // List entries the context's buffer textures can hold (set at start-up).
    std::uint32_t indexCapacity = lightgrid::maxIndexEntries;

    std::vector<glm::vec3> binned;    // the lights' world positions, as binned
    std::vector<glm::vec4> lightData; // position (stretched across, see prepare), packed and pushed colour
    lightgrid::LightGrid grid;        // its storage kept between frames
    lightcount::LightLook look;
    LightGridTextures textures;
    static constexpr int boxUnit = 4;
    static constexpr int listUnit = 5;
};

} // namespace vantor
