#include "render/LightGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace lightgrid {

namespace {

bool finite(glm::vec3 p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Cells and slabs are widened by this share of their size when tested, so a point the shader
// rounds into a neighbouring cell or slab is still covered.
constexpr float edgeMargin = 1e-3f;

} // namespace

LightGrid buildLightGrid(const std::vector<glm::vec3>& lights, float reach, float cellSize,
                         int maxCellsPerSide, int slabCount) {
    LightGrid grid;
    buildLightGrid(lights, reach, cellSize, maxCellsPerSide, slabCount, grid);
    return grid;
}

void buildLightGrid(const std::vector<glm::vec3>& lights, float reach, float cellSize, int maxCellsPerSide,
                    int slabCount, LightGrid& grid) {
    // Start from the empty grid (one cell, no bits), keeping the storage.
    std::vector<std::uint32_t> storage = std::move(grid.masks);
    grid = LightGrid{};
    storage.assign(2, 0u);
    grid.masks = std::move(storage);
    const int count = std::min(static_cast<int>(lights.size()), maskBits);
    if (!(reach > 0.0f) || !std::isfinite(reach) || !(cellSize > 0.0f) || maxCellsPerSide < 1 ||
        slabCount < 1)
        return;

    glm::vec3 low(std::numeric_limits<float>::max());
    glm::vec3 high(std::numeric_limits<float>::lowest());
    for (int i = 0; i < count; ++i) {
        if (!finite(lights[i]))
            continue;
        low = glm::min(low, lights[i]);
        high = glm::max(high, lights[i]);
    }
    if (low.x > high.x)
        return; // no usable light: one empty cell

    low -= glm::vec3(reach);
    high += glm::vec3(reach);
    const glm::vec3 extent = high - low;
    const float largest = std::max(extent.x, extent.z);
    if (!std::isfinite(largest) || !std::isfinite(extent.y))
        return; // a span beyond float range: no meaningful cell size
    // Far-flung lights make bigger cells rather than a bigger texture.
    if (largest / cellSize > static_cast<float>(maxCellsPerSide))
        cellSize = largest / static_cast<float>(maxCellsPerSide);
    grid.origin = glm::vec2(low.x, low.z);
    grid.cellSize = cellSize;
    grid.columns = std::clamp(static_cast<int>(std::ceil(extent.x / cellSize)), 1, maxCellsPerSide);
    grid.rows = std::clamp(static_cast<int>(std::ceil(extent.z / cellSize)), 1, maxCellsPerSide);
    grid.floorY = low.y;
    grid.slabHeight = extent.y / static_cast<float>(slabCount);
    grid.slabs = slabCount;
    const size_t slabWords = static_cast<size_t>(grid.columns) * grid.rows * 2;
    grid.masks.assign(slabWords * grid.slabs, 0u);

    const float margin = edgeMargin * cellSize;
    const float slabMargin = edgeMargin * grid.slabHeight;
    const float reach2 = reach * reach;
    for (int i = 0; i < count; ++i) {
        const glm::vec3 light = lights[i];
        if (!finite(light))
            continue;
        const glm::vec2 p(light.x, light.z);
        const std::uint32_t bit = 1u << (i & 31);
        const int word = i >> 5;
        for (int s = 0; s < grid.slabs; ++s) {
            // What is left of the reach across the floor plan at the slab's nearest height.
            const float slabLow = grid.floorY + static_cast<float>(s) * grid.slabHeight - slabMargin;
            const float slabHigh = slabLow + grid.slabHeight + 2.0f * slabMargin;
            const float dy = std::clamp(light.y, slabLow, slabHigh) - light.y;
            const float across2 = reach2 - dy * dy;
            if (across2 < 0.0f)
                continue;
            const float across = std::sqrt(across2);
            const glm::vec2 first = glm::floor((p - across - grid.origin) / cellSize);
            const glm::vec2 last = glm::floor((p + across - grid.origin) / cellSize);
            const int c0 = std::max(static_cast<int>(first.x) - 1, 0);
            const int r0 = std::max(static_cast<int>(first.y) - 1, 0);
            const int c1 = std::min(static_cast<int>(last.x) + 1, grid.columns - 1);
            const int r1 = std::min(static_cast<int>(last.y) + 1, grid.rows - 1);
            std::uint32_t* slab = grid.masks.data() + slabWords * s;
            for (int r = r0; r <= r1; ++r) {
                for (int c = c0; c <= c1; ++c) {
                    const glm::vec2 cellLow = grid.origin + glm::vec2(c, r) * cellSize - margin;
                    const glm::vec2 cellHigh = cellLow + cellSize + 2.0f * margin;
                    // Nearest point of the cell to the light.
                    const glm::vec2 d = glm::clamp(p, cellLow, cellHigh) - p;
                    if (glm::dot(d, d) <= across2)
                        slab[(static_cast<size_t>(r) * grid.columns + c) * 2 + word] |= bit;
                }
            }
        }
    }
}

std::uint64_t maskAt(const LightGrid& grid, glm::vec3 point) {
    const glm::vec2 cell = glm::floor((glm::vec2(point.x, point.z) - grid.origin) / grid.cellSize);
    const float slab = std::floor((point.y - grid.floorY) / grid.slabHeight);
    if (!(cell.x >= 0.0f && cell.y >= 0.0f && cell.x < grid.columns && cell.y < grid.rows && slab >= 0.0f &&
          slab < grid.slabs))
        return 0;
    const size_t index =
        ((static_cast<size_t>(slab) * grid.rows + static_cast<size_t>(cell.y)) * grid.columns +
         static_cast<size_t>(cell.x)) *
        2;
    return std::uint64_t(grid.masks[index]) | (std::uint64_t(grid.masks[index + 1]) << 32);
}

float packLightColor(glm::vec3 color, float saturation, float colorRange) {
    const float grey = (color.r + color.g + color.b) / 3.0f;
    const glm::vec3 pushed =
        glm::max(glm::vec3(grey) + saturation * (color - glm::vec3(grey)), glm::vec3(0.0f));
    // NaN compares false everywhere: the clamp below would keep it, so it becomes 0 here.
    std::uint32_t packed = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const float unit = pushed[channel] / colorRange;
        const float level = unit >= 0.0f ? std::round(std::min(unit, 1.0f) * 255.0f) : 0.0f;
        packed |= static_cast<std::uint32_t>(level) << (8 * channel);
    }
    return static_cast<float>(packed);
}

glm::vec3 unpackLightColor(float packed, float colorRange) {
    const std::uint32_t bits = static_cast<std::uint32_t>(packed);
    return glm::vec3(bits & 255u, (bits >> 8) & 255u, (bits >> 16) & 255u) * (colorRange / 255.0f);
}

} // namespace lightgrid
