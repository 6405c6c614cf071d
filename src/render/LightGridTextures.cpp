#include "render/LightGridTextures.h"

#include "gpu/ShaderSource.h"
#include "gpu/TexelRows.h"
#include "render/LightCount.h"

#include <algorithm>

namespace vantor {

static_assert(LightGridTextures::lightBlockBytes == 16 * (lightcount::maxLightCount + 1),
              "the light block holds one vec4 per light and the padding entry's");
static_assert(lightcount::maxLightCount == lightgrid::padding, "the padding entry follows the lights");
static_assert(lightcount::maxLightCount + 1 <= lightgrid::maxBoxCount, "a box can list every light");

LightPathLimits queryLightPathLimits() {
    GLint blockBytes = 0, fragmentBlocks = 0, bufferTexels = 0;
    glGetIntegerv(GL_MAX_UNIFORM_BLOCK_SIZE, &blockBytes);
    glGetIntegerv(GL_MAX_FRAGMENT_UNIFORM_BLOCKS, &fragmentBlocks);
#ifdef __EMSCRIPTEN__
    // No buffer textures: the lists' rows of a 2D texture (uploadTexelRows) bound them.
    GLint rows = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &rows);
    bufferTexels = GLint(std::min<std::int64_t>(std::int64_t(bufferTextureWidth) * rows, INT32_MAX));
#else
    glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &bufferTexels);
#endif
    LightPathLimits limits;
    limits.lights = fragmentBlocks >= 1 && blockBytes >= LightGridTextures::lightBlockBytes
                        ? lightcount::maxLightCount
                        : 0;
    limits.indexEntries = static_cast<std::uint32_t>(
        std::min<std::int64_t>(std::max(bufferTexels, 0), lightgrid::maxIndexEntries));
    if (limits.lights < lightcount::maxLightCount)
        limits.shortfall = "uniform blocks of " + std::to_string(blockBytes) + " bytes cannot hold " +
                           std::to_string(lightcount::maxLightCount) + " lights";
    return limits;
}

LightGridTextures::~LightGridTextures() {
    release();
}

void LightGridTextures::upload(const lightgrid::LightGrid& grid, const std::vector<glm::vec4>& lights,
                               int boxUnit, int listUnit) {
    if (lightBuffer == 0) {
        glGenBuffers(1, &lightBuffer);
        glBindBuffer(GL_UNIFORM_BUFFER, lightBuffer);
        glBufferData(GL_UNIFORM_BUFFER, lightBlockBytes, nullptr, GL_DYNAMIC_DRAW);
        // The padding entry's light: far enough that it reaches nothing, black, and finite, so
        // what it adds is exactly zero.
        const glm::vec4 nowhere(1e4f, 1e4f, 1e4f, 0.0f);
        glBufferSubData(GL_UNIFORM_BUFFER, lightBlockBytes - 16, 16, &nowhere[0]);
    } else {
        glBindBuffer(GL_UNIFORM_BUFFER, lightBuffer);
    }
    const size_t lightBytes = std::min(lights.size() * sizeof(glm::vec4), size_t(lightBlockBytes - 16));
    if (lightBytes > 0)
        glBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(lightBytes), lights.data());
    glBindBufferBase(GL_UNIFORM_BUFFER, lightBlockBinding, lightBuffer);

    glActiveTexture(GL_TEXTURE0 + boxUnit);
    if (boxTexture == 0) {
        glGenTextures(1, &boxTexture);
        glBindTexture(GL_TEXTURE_2D_ARRAY, boxTexture);
        // Integer textures are only complete with nearest filtering and no mip chain.
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
    } else {
        glBindTexture(GL_TEXTURE_2D_ARRAY, boxTexture);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (grid.columns != columns || grid.rows != rows || grid.slabs != slabs) {
        columns = grid.columns;
        rows = grid.rows;
        slabs = grid.slabs;
        glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_R32UI, columns, rows, slabs, 0, GL_RED_INTEGER,
                     GL_UNSIGNED_INT, grid.boxes.data());
    } else {
        glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, 0, columns, rows, slabs, GL_RED_INTEGER,
                        GL_UNSIGNED_INT, grid.boxes.data());
    }

#ifdef __EMSCRIPTEN__
    // No buffer textures: the same pairs go into a 2D texture's rows.
    if (listTexture == 0)
        glGenTextures(1, &listTexture);
    const std::uint16_t none[2] = {0, 0};
    glActiveTexture(GL_TEXTURE0 + listUnit);
    glBindTexture(GL_TEXTURE_2D, listTexture);
    uploadTexelRows(GL_RG16UI, GL_RG_INTEGER, GL_UNSIGNED_SHORT,
                    grid.indices.empty() ? none : grid.indices.data(),
                    std::max<size_t>(grid.indices.size() / 2, 1), 2 * sizeof(std::uint16_t));
#else
    // The list buffer only grows (by half again, so a count rising frame by frame does not
    // reallocate every frame); never empty, so the buffer texture always has storage.
    if (listBuffer == 0) {
        glGenBuffers(1, &listBuffer);
        glGenTextures(1, &listTexture);
    }
    glBindBuffer(GL_TEXTURE_BUFFER, listBuffer);
    const size_t entries = std::max<size_t>(grid.indices.size(), 2);
    if (entries > listCapacity) {
        listCapacity = std::max(entries, listCapacity + listCapacity / 2);
        glBufferData(GL_TEXTURE_BUFFER, static_cast<GLsizeiptr>(listCapacity * sizeof(std::uint16_t)),
                     nullptr, GL_STREAM_DRAW);
    }
    if (!grid.indices.empty())
        glBufferSubData(GL_TEXTURE_BUFFER, 0,
                        static_cast<GLsizeiptr>(grid.indices.size() * sizeof(std::uint16_t)),
                        grid.indices.data());
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0 + listUnit);
    glBindTexture(GL_TEXTURE_BUFFER, listTexture);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RG16UI, listBuffer);
#endif
}

void LightGridTextures::release() {
    if (boxTexture != 0)
        glDeleteTextures(1, &boxTexture);
    if (listTexture != 0)
        glDeleteTextures(1, &listTexture);
    if (listBuffer != 0)
        glDeleteBuffers(1, &listBuffer);
    if (lightBuffer != 0)
        glDeleteBuffers(1, &lightBuffer);
    boxTexture = listTexture = listBuffer = lightBuffer = 0;
    columns = rows = slabs = 0;
    listCapacity = 0;
}

} // namespace vantor
