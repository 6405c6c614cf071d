#include "render/LightGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace vantor {

namespace lightgrid {

namespace {

bool finite(glm::vec3 p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Cells and slabs are widened by this share of their size when tested, so a point the shader
// rounds into a neighbouring cell or slab is still covered.
constexpr float edgeMargin = 1e-3f;

// Calls visit(first, last) with each run of boxes (consecutive in a row of one slab, first and
// last inclusive) whose margin-widened extent `light`'s reach (x: across, y: up and down) touches.
template <typename Visit>
void forEachTouchedRun(const LightGrid& grid, glm::vec3 light, glm::vec2 reach, Visit&& visit) {
    const float cell = grid.cellSize;
    const float margin = edgeMargin * cell;
    const float slabMargin = edgeMargin * grid.slabHeight;
    const float reach2 = reach.x * reach.x;
    // Height counts this much more than distance across (1 for a round reach).
    const float squash = reach2 / (reach.y * reach.y);
    const size_t slabBoxes = static_cast<size_t>(grid.columns) * grid.rows;
    for (int s = 0; s < grid.slabs; ++s) {
        // What is left of the reach across the floor plan at the slab's nearest height.
        const float slabLow = grid.floorY + static_cast<float>(s) * grid.slabHeight - slabMargin;
        const float slabHigh = slabLow + grid.slabHeight + 2.0f * slabMargin;
        const float dy = std::clamp(light.y, slabLow, slabHigh) - light.y;
        const float across2 = reach2 - dy * dy * squash;
        if (across2 < 0.0f)
            continue;
        const float across = std::sqrt(across2);
        const int r0 =
            std::max(static_cast<int>(std::floor((light.z - across - grid.origin.y) / cell)) - 1, 0);
        const int r1 = std::min(static_cast<int>(std::floor((light.z + across - grid.origin.y) / cell)) + 1,
                                grid.rows - 1);
        for (int r = r0; r <= r1; ++r) {
            // The row's nearest point to the light along z; what is left of the reach along x there
            // picks the columns (a cell meets the disc exactly when its x range meets that span).
            const float rowLow = grid.origin.y + static_cast<float>(r) * cell - margin;
            const float dz = std::clamp(light.z, rowLow, rowLow + cell + 2.0f * margin) - light.z;
            const float along2 = across2 - dz * dz;
            if (along2 < 0.0f)
                continue;
            const float along = std::sqrt(along2) + margin;
            const int c0 =
                std::max(static_cast<int>(std::floor((light.x - along - grid.origin.x) / cell)), 0);
            const int c1 = std::min(static_cast<int>(std::floor((light.x + along - grid.origin.x) / cell)),
                                    grid.columns - 1);
            if (c0 > c1)
                continue;
            const size_t row = slabBoxes * s + static_cast<size_t>(r) * grid.columns;
            visit(row + c0, row + c1);
        }
    }
}

} // namespace

LightGrid buildLightGrid(const std::vector<glm::vec3>& lights, float reach, float cellSize,
                         int maxCellsPerSide, int slabCount, std::uint32_t indexCapacity) {
    LightGrid grid;
    buildLightGrid(lights, glm::vec2(reach), cellSize, maxCellsPerSide, slabCount, grid, indexCapacity);
    return grid;
}

LightGrid buildLightGrid(const std::vector<glm::vec3>& lights, glm::vec2 reach, float cellSize,
                         int maxCellsPerSide, int slabCount, std::uint32_t indexCapacity) {
    LightGrid grid;
    buildLightGrid(lights, reach, cellSize, maxCellsPerSide, slabCount, grid, indexCapacity);
    return grid;
}

void buildLightGrid(const std::vector<glm::vec3>& lights, float reach, float cellSize, int maxCellsPerSide,
                    int slabCount, LightGrid& grid, std::uint32_t indexCapacity) {
    buildLightGrid(lights, glm::vec2(reach), cellSize, maxCellsPerSide, slabCount, grid, indexCapacity);
}

void buildLightGrid(const std::vector<glm::vec3>& lights, glm::vec2 reach, float cellSize,
                    int maxCellsPerSide, int slabCount, LightGrid& grid, std::uint32_t indexCapacity) {
    // Start from the empty grid (one empty box), keeping the storage.
    std::vector<std::uint32_t> boxes = std::move(grid.boxes);
    std::vector<std::uint16_t> indices = std::move(grid.indices);
    grid = LightGrid{};
    boxes.assign(1, 0u);
    indices.clear();
    grid.boxes = std::move(boxes);
    grid.indices = std::move(indices);
    const int count = std::min(static_cast<int>(lights.size()), static_cast<int>(padding));
    if (!(reach.x > 0.0f) || !(reach.y > 0.0f) || !std::isfinite(reach.x) || !std::isfinite(reach.y) ||
        !(cellSize > 0.0f) || maxCellsPerSide < 1 || slabCount < 1)
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
        return; // no usable light: one empty box

    low -= glm::vec3(reach.x, reach.y, reach.x);
    high += glm::vec3(reach.x, reach.y, reach.x);
    const glm::vec3 extent = high - low;
    const float largest = std::max(extent.x, extent.z);
    if (!std::isfinite(largest) || !std::isfinite(extent.y))
        return; // a span beyond float range: no meaningful cell size
    // Far-flung lights make bigger cells rather than more of them.
    if (largest / cellSize > static_cast<float>(maxCellsPerSide))
        cellSize = largest / static_cast<float>(maxCellsPerSide);
    grid.origin = glm::vec2(low.x, low.z);
    grid.floorY = low.y;
    grid.slabHeight = extent.y / static_cast<float>(slabCount);
    grid.slabs = slabCount;
    const std::uint64_t capacity = std::min(indexCapacity, maxIndexEntries);

    // Count each box's lights; lists that would not fit their storage take larger cells. One
    // cell a side always fits: then each light is listed at most once per slab.
    std::uint64_t total = 0;
    for (;;) {
        grid.cellSize = cellSize;
        grid.columns = std::clamp(static_cast<int>(std::ceil(extent.x / cellSize)), 1, maxCellsPerSide);
        grid.rows = std::clamp(static_cast<int>(std::ceil(extent.z / cellSize)), 1, maxCellsPerSide);
        grid.boxes.assign(static_cast<size_t>(grid.columns) * grid.rows * grid.slabs, 0u);
        total = 0;
        for (int i = 0; i < count; ++i) {
            if (!finite(lights[i]))
                continue;
            forEachTouchedRun(grid, lights[i], reach, [&](size_t first, size_t last) {
                for (size_t b = first; b <= last; ++b)
                    ++grid.boxes[b];
                total += last - first + 1;
            });
        }
        for (const std::uint32_t box : grid.boxes)
            total += box & 1u; // each odd list's padding
        if (total <= capacity || (grid.columns == 1 && grid.rows == 1))
            break;
        cellSize *= 2.0f;
    }
    if (total > capacity) {
        // Only a capacity below one entry per light and slab gets here: list nothing.
        std::fill(grid.boxes.begin(), grid.boxes.end(), 0u);
        return;
    }

    // Each box's word becomes the end of its lights (before its padding) and its length;
    // filling the lists from the last light down moves the ends back to the starts and leaves
    // every list in ascending order.
    grid.indices.resize(total);
    std::uint32_t end = 0;
    for (std::uint32_t& box : grid.boxes) {
        const std::uint32_t odd = box & 1u;
        end += box + odd;
        if (odd)
            grid.indices[end - 1] = padding;
        box = ((end - odd) << countBits) | (box + odd);
    }
    for (int i = count - 1; i >= 0; --i) {
        if (!finite(lights[i]))
            continue;
        forEachTouchedRun(grid, lights[i], reach, [&](size_t first, size_t last) {
            for (size_t b = first; b <= last; ++b) {
                grid.boxes[b] -= 1u << countBits;
                grid.indices[grid.boxes[b] >> countBits] = static_cast<std::uint16_t>(i);
            }
        });
    }
}

std::vector<int> lightsAt(const LightGrid& grid, glm::vec3 point) {
    const glm::vec2 cell = glm::floor((glm::vec2(point.x, point.z) - grid.origin) / grid.cellSize);
    const float slab = std::floor((point.y - grid.floorY) / grid.slabHeight);
    if (!(cell.x >= 0.0f && cell.y >= 0.0f && cell.x < grid.columns && cell.y < grid.rows && slab >= 0.0f &&
          slab < grid.slabs))
        return {};
    const size_t index =
        (static_cast<size_t>(slab) * grid.rows + static_cast<size_t>(cell.y)) * grid.columns +
        static_cast<size_t>(cell.x);
    const std::uint32_t box = grid.boxes[index];
    const std::uint32_t first = box >> countBits;
    const std::uint32_t length = box & maxBoxCount;
    std::vector<int> listed(grid.indices.begin() + first, grid.indices.begin() + first + length);
    if (!listed.empty() && listed.back() == padding)
        listed.pop_back();
    return listed;
}

std::uint64_t maskAt(const LightGrid& grid, glm::vec3 point) {
    std::uint64_t mask = 0;
    for (int light : lightsAt(grid, point))
        if (light < 64)
            mask |= std::uint64_t(1) << light;
    return mask;
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

} // namespace vantor
