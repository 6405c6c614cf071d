#include "render/LightFrame.h"

#include <algorithm>

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
    const std::vector<glm::vec3> binned(positions.begin(), positions.begin() + lights);
    lightgrid::buildLightGrid(binned, glm::vec2(look.reach, look.heightReach), look.cellSize, maxCellsPerSide,
                              look.slabs, grid, indexCapacity);
    lightData.clear();
    for (size_t i = 0; i < lights; ++i)
        lightData.emplace_back(positions[i], lightgrid::packLightColor(colors[i], look.colorPush, colorRange));
}

void LightFrame::apply(Shader* shader) {
    textures.upload(grid, lightData, boxUnit, listUnit);
    const GLuint block = glGetUniformBlockIndex(shader->program, "LightBlock");
    if (block != GL_INVALID_INDEX)
        glUniformBlockBinding(shader->program, block, LightGridTextures::lightBlockBinding);
    glUniform1f(glGetUniformLocation(shader->program, "lightColorScale"), colorRange / 255.0f);
    // The reach as the shader measures it: distances across scaled up to the height's reach.
    const float squash = (look.heightReach * look.heightReach) / (look.reach * look.reach);
    glUniform2f(glGetUniformLocation(shader->program, "lightSquash"), squash, 1.0f - squash);
    glUniform1i(glGetUniformLocation(shader->program, "lightBoxes"), boxUnit);
    glUniform1i(glGetUniformLocation(shader->program, "lightLists"), listUnit);
    glUniform4f(glGetUniformLocation(shader->program, "lightGrid"), grid.origin.x, grid.origin.y,
                1.0f / grid.cellSize, look.heightReach);
    glUniform2f(glGetUniformLocation(shader->program, "lightSlabs"), grid.floorY, 1.0f / grid.slabHeight);
}

void LightFrame::release() {
    textures.release();
}
