#pragma once
// Which coloured lights can reach which part of the floor plan. The lights hover in one
// horizontal layer and fade to zero at a fixed reach, so a world-space x/z grid whose cells
// carry a 64-bit mask of the lights that reach any point of the cell lets the lighting
// shader replace fifty distance tests per pixel with one texture fetch. No GL here.

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

namespace lightgrid {

// Lights a mask can name (two 32-bit words).
constexpr int maskBits = 64;

struct LightGrid {
    glm::vec2 origin{0.0f}; // world x/z of the outer corner of cell (0, 0)
    float cellSize = 1.0f;  // world units per cell side
    int columns = 1;        // cells along x
    int rows = 1;           // cells along z
    // Two words per cell (lights 0-31, lights 32-63), row by row starting at `origin`.
    std::vector<std::uint32_t> masks{0u, 0u};
};

// Bins the lights (world x/z; light i sets bit i) into cells of `cellSize` covering every
// point within `reach` of a light, growing the cells when more than `maxCellsPerSide` would
// be needed. A light whose reach touches a cell at all has its bit set there, so a point
// outside the grid is reached by no light. Lights past `maskBits`, lights with a
// non-finite position, a reach that is not positive and lights spread wider than a float
// can measure set no bit.
LightGrid buildLightGrid(const std::vector<glm::vec2>& lights, float reach, float cellSize,
                         int maxCellsPerSide);

// The mask of the cell holding `point`, zero outside the grid (as the shader reads it).
std::uint64_t maskAt(const LightGrid& grid, glm::vec2 point);

} // namespace lightgrid
