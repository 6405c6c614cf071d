#pragma once
// The light grid's masks on the GPU: one GL_RG32UI texel per cell (lights 0-31 in red,
// 32-63 in green), one array layer per slab, read with texelFetch through a
// usampler2DArray. Owns its texture name.

#include "render/LightGrid.h"

#include <GL/glew.h>

class LightMaskTexture {
public:
    LightMaskTexture() = default;
    ~LightMaskTexture();
    LightMaskTexture(const LightMaskTexture&) = delete;
    LightMaskTexture& operator=(const LightMaskTexture&) = delete;

    // Creates the texture on first use and reallocates it only when the grid's size changes.
    // Works through texture unit `unit`, which is left active with the texture bound.
    void upload(const lightgrid::LightGrid& grid, int unit);
    // Makes `unit` the active texture unit and binds the texture there.
    void bind(int unit) const;
    // Deletes the texture; safe to repeat.
    void release();

    GLuint texture = 0;
    int columns = 0;
    int rows = 0;
    int slabs = 0;
};
