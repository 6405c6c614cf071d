#pragma once
// The light grid and the lights' data on the GPU, for the lighting program:
//  - the boxes: one GL_R32UI texel per box (list offset and count, packed as the grid packs
//    them), one array layer per slab, read with texelFetch through a usampler2DArray;
//  - the lists: one GL_RG16UI buffer texture holding every box's light indices, two a texel;
//  - the lights: a uniform buffer of one vec4 per light (position, packed colour), bound at
//    `lightBlockBinding`, sized for the largest light count, and the padding entry's light
//    after them, far away and black.
// Owns its texture, buffer and buffer-texture names.

#include "render/LightGrid.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// What the context offers for the light path, read once at start-up.
struct LightPathLimits {
    int lights = 0;                 // lights the uniform block can hold (at most the renderer's maximum)
    std::uint32_t indexEntries = 0; // list entries the buffer texture can hold
    std::string shortfall;          // what the context lacks, empty when nothing
};
// Reads GL_MAX_UNIFORM_BLOCK_SIZE, GL_MAX_FRAGMENT_UNIFORM_BLOCKS and GL_MAX_TEXTURE_BUFFER_SIZE.
LightPathLimits queryLightPathLimits();

class LightGridTextures {
public:
    // Bytes of the light block: one vec4 per light, for the largest light count, and the padding
    // entry's (16016 of the 16384 every context offers).
    static constexpr int lightBlockBytes = 16 * 1001;
    static constexpr GLuint lightBlockBinding = 0;

    LightGridTextures() = default;
    ~LightGridTextures();
    LightGridTextures(const LightGridTextures&) = delete;
    LightGridTextures& operator=(const LightGridTextures&) = delete;

    // Creates the names on first use; reallocates the box texture only when the grid's size
    // changes and the list buffer only when it must grow. The boxes go to texture unit
    // `boxUnit`, the lists to `listUnit` (left active), the lights to the block binding.
    void upload(const lightgrid::LightGrid& grid, const std::vector<glm::vec4>& lights, int boxUnit,
                int listUnit);
    // Deletes everything; safe to repeat.
    void release();

    GLuint boxTexture = 0;
    GLuint listBuffer = 0;
    GLuint listTexture = 0;
    GLuint lightBuffer = 0;
    int columns = 0;
    int rows = 0;
    int slabs = 0;
    size_t listCapacity = 0; // entries the list buffer holds
};

} // namespace vantor
