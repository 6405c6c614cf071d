#pragma once
// Which coloured lights can reach which part of the scene. The lights fade to zero at a fixed
// reach, so a world-space grid of boxes (x/z cells of the floor plan, stacked in horizontal
// slabs of height) whose entries carry a 64-bit mask of the lights that reach any point of
// the box lets the lighting shader replace fifty distance tests per pixel with one texture
// fetch. The slabs matter because the lights hover in one layer: a wall far above or below
// it sees only the lights straight across. No GL here.

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
    float floorY = 0.0f;    // world y of the bottom of slab 0
    float slabHeight = 1.0f;
    int slabs = 1;
    // Two words per cell (lights 0-31, lights 32-63), row by row starting at `origin`, one
    // floor plan per slab from the bottom up.
    std::vector<std::uint32_t> masks{0u, 0u};
};

// Bins the lights (world positions; light i sets bit i) into boxes of `cellSize` across and
// `slabCount` slabs high covering every point within `reach` of a light, growing the cells
// when more than `maxCellsPerSide` would be needed. A light whose reach touches a box at
// all has its bit set there, so a point outside the grid is reached by no light. Lights past
// `maskBits`, lights with a non-finite position, a reach that is not positive and lights
// spread wider than a float can measure set no bit.
LightGrid buildLightGrid(const std::vector<glm::vec3>& lights, float reach, float cellSize,
                         int maxCellsPerSide, int slabCount);
// The same into `grid`, reusing its mask storage (a frame's grid is a megabyte or so: a fresh
// allocation each frame costs the page faults of fresh memory).
void buildLightGrid(const std::vector<glm::vec3>& lights, float reach, float cellSize, int maxCellsPerSide,
                    int slabCount, LightGrid& grid);

// The mask of the box holding `point`, zero outside the grid (as the shader reads it).
std::uint64_t maskAt(const LightGrid& grid, glm::vec3 point);

// A coloured light's colour as the lighting shader reads it: pushed `saturation` times away
// from its grey (pale random colours should still read as colour; negative channels end at
// 0), then quantised to 8 bits per channel over [0, `colorRange`] and packed into one float
// that holds the integer red + 256 green + 65536 blue exactly. One float per light instead of
// three keeps the shader's per-light reads down to a single vec4.
float packLightColor(glm::vec3 color, float saturation, float colorRange);
// The inverse up to the quantisation, as the shader unpacks it.
glm::vec3 unpackLightColor(float packed, float colorRange);

} // namespace lightgrid
