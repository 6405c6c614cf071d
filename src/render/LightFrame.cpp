#include "render/LightFrame.h"

#include <algorithm>

namespace vantor {

namespace {

// Floor-plan grid: largest number of cells a side (the cell side and the slabs stacked over the
// lights' height range come with the lights' look).
const int maxCellsPerSide = 192;
// The range the packed colour channels cover (colours in [0, 1] pushed 1.4 times from grey stay
// below 1.3; pushed further, they end at the range).
const float colorRange = 1.5f;

} // namespace

void LightFrame::prepare(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& colors,
                         const lightcount::LightLook& lightLook) {
    look = lightLook;
    const size_t lights = std::min({positions.size(), colors.size(), size_t(std::max(capacity, 0))});
    binned.assign(positions.begin(), positions.begin() + lights);
    lightgrid::buildLightGrid(binned, glm::vec2(look.reach, look.heightReach), look.cellSize, maxCellsPerSide,
                              look.slabs, grid, indexCapacity);
    // The shader lights in a space stretched across by the ratio of the reaches (exactly 1 up to
    // fifty lights), where each light reaches as far across as up and down.
    const glm::vec3 stretch(look.heightReach / look.reach, 1.0f, look.heightReach / look.reach);
    lightData.clear();
    for (size_t i = 0; i < lights; ++i)
        lightData.emplace_back(positions[i] * stretch,
                               lightgrid::packLightColor(colors[i], look.colorPush, colorRange));
}

void LightFrame::apply(Shader* shader) {
    textures.upload(grid, lightData, boxUnit, listUnit);
    const GLuint block = glGetUniformBlockIndex(shader->program, "LightBlock");
    if (block != GL_INVALID_INDEX)
        glUniformBlockBinding(shader->program, block, LightGridTextures::lightBlockBinding);
    glUniform1f(glGetUniformLocation(shader->program, "lightColorScale"), colorRange / 255.0f);
    glUniform1f(glGetUniformLocation(shader->program, "lightSquash"), look.heightReach / look.reach);
    glUniform1i(glGetUniformLocation(shader->program, "lightBoxes"), boxUnit);
    glUniform1i(glGetUniformLocation(shader->program, "lightLists"), listUnit);
    glUniform4f(glGetUniformLocation(shader->program, "lightGrid"), grid.origin.x, grid.origin.y,
                1.0f / grid.cellSize, look.heightReach);
    glUniform2f(glGetUniformLocation(shader->program, "lightSlabs"), grid.floorY, 1.0f / grid.slabHeight);
}

void LightFrame::release() {
    textures.release();
}

} // namespace vantor
