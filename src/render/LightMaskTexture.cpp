#include "render/LightMaskTexture.h"

LightMaskTexture::~LightMaskTexture() {
    release();
}

void LightMaskTexture::upload(const lightgrid::LightGrid& grid, int unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    if (texture == 0) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
        // Integer textures are only complete with nearest filtering and no mip chain.
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
    } else {
        glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (grid.columns != columns || grid.rows != rows || grid.slabs != slabs) {
        columns = grid.columns;
        rows = grid.rows;
        slabs = grid.slabs;
        glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RG32UI, columns, rows, slabs, 0, GL_RG_INTEGER,
                     GL_UNSIGNED_INT, grid.masks.data());
    } else {
        glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, 0, columns, rows, slabs, GL_RG_INTEGER, GL_UNSIGNED_INT,
                        grid.masks.data());
    }
}

void LightMaskTexture::bind(int unit) const {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
}

void LightMaskTexture::release() {
    if (texture != 0)
        glDeleteTextures(1, &texture);
    texture = 0;
    columns = rows = slabs = 0;
}
