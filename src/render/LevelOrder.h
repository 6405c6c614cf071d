#pragma once
// The level's triangles drawn nearest first. llvmpipe tests depth before shading, so drawing
// the near triangles first leaves far fewer fragments shaded and then covered. Each frame both
// placements' triangles are sorted by the distance of their centres from the camera, starting
// from the previous frame's order, so the sort is nearly one pass.

#include "scene/Mesh.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

namespace vantor {

class LevelOrder {
public:
    // Sorts both placements' triangles nearest first as seen from `eye` (world space) and says
    // which placement to draw first: the one holding the nearer triangle. Off, keeps the file's
    // order and draws placement 0 first.
    int sort(const vantor::scene::Mesh& level, const glm::vec3& eye, const glm::mat4 (&placements)[2]);
    // Draws placement 0 or 1 of `level` in this frame's order.
    void draw(vantor::scene::Mesh& level, int placement) const;

    // False draws in the file's order, the slower path the sorted one must match.
    bool enabled = true;
    std::vector<glm::vec3> centres;      // in the level's own space, made on first use
    std::vector<std::uint32_t> order[2]; // per placement, this frame's order
};

} // namespace vantor
