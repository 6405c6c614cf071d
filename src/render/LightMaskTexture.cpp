#include "render/LightMaskTexture.h"

LightMaskTexture::~LightMaskTexture() {
    release();
}

void LightMaskTexture::upload(const lightgrid::LightGrid& grid, int unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    if (texture == 0) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        // Integer textures are only complete with nearest filtering and no mip chain.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    } else {
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (grid.columns != columns || grid.rows != rows) {
        columns = grid.columns;
        rows = grid.rows;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RG32UI, columns, rows, 0, GL_RG_INTEGER, GL_UNSIGNED_INT,
                     grid.masks.data());
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, columns, rows, GL_RG_INTEGER, GL_UNSIGNED_INT,
                        grid.masks.data());
    }
}

void LightMaskTexture::bind(int unit) const {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void LightMaskTexture::release() {
    if (texture != 0)
        glDeleteTextures(1, &texture);
    texture = 0;
    columns = rows = 0;
}
