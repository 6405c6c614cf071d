#include "render/LightFrame.h"

#include <algorithm>

namespace {

// Floor-plan grid: cell side, largest number of cells a side, slabs stacked over the lights'
// height range (reach above and below).
const float cellSize = 0.0625f;
const int maxCellsPerSide = 128;
const int slabs = 16;
// How far the colours are pushed away from grey (the random colours are often pale; the pools
// should read as colour), and the range their packed channels cover (pushed channels of
// colours in [0, 1] stay below 1.3).
const float saturation = 1.4f;
const float colorRange = 1.5f;

} // namespace

void LightFrame::prepare(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& colors) {
    const size_t lights = std::min({positions.size(), colors.size(), size_t(shaderCapacity)});
    const std::vector<glm::vec3> binned(positions.begin(), positions.begin() + lights);
    lightgrid::buildLightGrid(binned, reach, cellSize, maxCellsPerSide, slabs, grid);
    lightData.clear();
    for (size_t i = 0; i < lights; ++i)
        lightData.emplace_back(positions[i], lightgrid::packLightColor(colors[i], saturation, colorRange));
}

void LightFrame::apply(Shader* shader) {
    if (!lightData.empty())
        glUniform4fv(glGetUniformLocation(shader->program, "lightData"),
                     static_cast<GLsizei>(lightData.size()), &lightData[0][0]);
    glUniform1f(glGetUniformLocation(shader->program, "lightColorScale"), colorRange / 255.0f);
    masks.upload(grid, maskUnit);
    glUniform1i(glGetUniformLocation(shader->program, "lightMasks"), maskUnit);
    glUniform4f(glGetUniformLocation(shader->program, "lightGrid"), grid.origin.x, grid.origin.y,
                1.0f / grid.cellSize, reach);
    glUniform2f(glGetUniformLocation(shader->program, "lightSlabs"), grid.floorY, 1.0f / grid.slabHeight);
}

void LightFrame::release() {
    masks.release();
}
