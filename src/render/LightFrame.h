#pragma once
// What the lighting pass knows of the coloured lights in one frame: each light's position and
// packed colour in one vec4, and the lights binned into a floor-plan grid whose masks the
// shader reads instead of testing every light at every pixel. Prepared once per frame from
// the lights, then applied to the lighting program. Owns the masks' texture.

#include "gpu/Shader.h"
#include "render/LightGrid.h"
#include "render/LightMaskTexture.h"

#include <glm/glm.hpp>

#include <vector>

class LightFrame {
public:
    // Entries of the lighting shader's light arrays; no mask bit may name a light past it.
    static constexpr int shaderCapacity = 50;
    // The lights' reach: their light fades to exactly zero at this distance (the shader takes it
    // from "lightGrid", so both sides agree).
    static constexpr float reach = 0.5f;

    // Takes this frame's lights: `positions` and `colors` of the same length; lights past
    // `shaderCapacity` are left out.
    void prepare(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& colors);
    // Hands the frame's lights to the current program `shader`: "lightData", "lightColorScale",
    // and the grid as "lightMasks" (on texture unit `maskUnit`), "lightGrid" and "lightSlabs".
    void apply(Shader* shader);
    // Deletes the masks' texture; safe to repeat.
    void release();

    std::vector<glm::vec4> lightData; // position, packed and pushed colour
    lightgrid::LightGrid grid;        // its storage kept between frames
    LightMaskTexture masks;
    static constexpr int maskUnit = 4;
};
