#pragma once
// Which coloured lights can reach which part of the scene. The lights fade to zero at a fixed
// reach, so a world-space grid of boxes (x/z cells of the floor plan, stacked in horizontal
// slabs of height), each with the list of the lights that reach any point of it, lets the
// lighting shader visit only those lights instead of testing every light at every pixel. The
// slabs matter because the lights hover in one layer: a wall far above or below it sees only
// the lights straight across. The lists share one index array (per box an offset and a count
// into it, as clustered shading keeps them), so the storage follows the lights a box holds,
// not the lights in the scene. No GL here.

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

namespace vantor {

namespace lightgrid {

// A box entry packs its list's offset (high bits) and length (low `countBits` bits) into one
// word, so the shader reads both with one fetch.
constexpr int countBits = 10;
// Lights one box can list: every light at once.
constexpr int maxBoxCount = (1 << countBits) - 1;
// The shader reads the lists two entries at a time (one texel fetch per pair of lights: on a
// software rasteriser a fetch costs about as much as shading a light), so every list starts at
// an even entry and one of odd length ends in this entry, which names no light (the lighting
// program's light block holds one there that reaches nothing). No light is listed past it.
constexpr std::uint16_t padding = 1000;
// Entries the index array can address; a grid that would need more is rebuilt with larger
// cells (fewer boxes per light) until it fits.
constexpr std::uint32_t maxIndexEntries = 1u << (32 - countBits);

struct LightGrid {
    glm::vec2 origin{0.0f}; // world x/z of the outer corner of cell (0, 0)
    float cellSize = 1.0f;  // world units per cell side
    int columns = 1;        // cells along x
    int rows = 1;           // cells along z
    float floorY = 0.0f;    // world y of the bottom of slab 0
    float slabHeight = 1.0f;
    int slabs = 1;
    // One word per box, offset << countBits | count (padding included), row by row starting at `origin`, one
    // floor plan per slab from the bottom up.
    std::vector<std::uint32_t> boxes{0u};
    // The boxes' lists one after the other, each in ascending light order, then `padding` when
    // that leaves it odd.
    std::vector<std::uint16_t> indices;
};

// Bins the lights (world positions; light i is listed as i) into boxes of `cellSize` across and
// `slabCount` slabs high covering every point within `reach` of a light, growing the cells
// when more than `maxCellsPerSide` would be needed or when the lists would hold more than
// `indexCapacity` entries (at most `maxIndexEntries`). A light whose reach touches a box at all
// is listed there, so a point outside the grid is reached by no light. Lights from `padding`
// on, lights with a non-finite position, a reach that is not positive and lights
// spread wider than a float can measure are listed nowhere.
LightGrid buildLightGrid(const std::vector<glm::vec3>& lights, float reach, float cellSize,
                         int maxCellsPerSide, int slabCount, std::uint32_t indexCapacity = maxIndexEntries);
// The same into `grid`, reusing its storage (a frame's grid is a megabyte or so: a fresh
// allocation each frame costs the page faults of fresh memory).
void buildLightGrid(const std::vector<glm::vec3>& lights, float reach, float cellSize, int maxCellsPerSide,
                    int slabCount, LightGrid& grid, std::uint32_t indexCapacity = maxIndexEntries);

// The same for lights whose reach is an ellipsoid: `reach`.x across the floor plan, `reach`.y
// up and down.
LightGrid buildLightGrid(const std::vector<glm::vec3>& lights, glm::vec2 reach, float cellSize,
                         int maxCellsPerSide, int slabCount, std::uint32_t indexCapacity = maxIndexEntries);
void buildLightGrid(const std::vector<glm::vec3>& lights, glm::vec2 reach, float cellSize,
                    int maxCellsPerSide, int slabCount, LightGrid& grid,
                    std::uint32_t indexCapacity = maxIndexEntries);

// The lights on the list of the box holding `point` (its padding left out), none outside the
// grid (as the shader reads it).
std::vector<int> lightsAt(const LightGrid& grid, glm::vec3 point);
// The same as a mask of lights 0-63 (the lights a 64-bit mask can name).
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

} // namespace vantor
