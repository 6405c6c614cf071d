#pragma once
// Front-to-back drawing order for a static mesh. A software rasteriser tests depth before it
// shades, so a fragment behind one already drawn costs little while one drawn first and
// covered later is shaded for nothing. Sorting the triangles by the distance of their
// centres from the camera each frame is a cheap approximation of that order; the depth test
// still decides what shows, so only exact depth ties could come out differently.

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

namespace vantor {

namespace triangleorder {

// The centre of each whole triangle of `indices` (three corners each, indexing `vertices`;
// a trailing partial triangle and out-of-range corners give no centre / the origin).
std::vector<glm::vec3> centres(const std::vector<glm::vec3>& vertices,
                               const std::vector<unsigned int>& indices);

// Triangle numbers in order of their centres' distance from `eye`, nearest first; equal
// distances keep the mesh's order. `order` may hold the previous result: sorting starts from
// it, which is quick when the eye has moved little (the result does not depend on it).
void nearestFirst(const std::vector<glm::vec3>& centres, const glm::vec3& eye,
                  std::vector<std::uint32_t>& order);

// `indices` rewritten triangle by triangle in `order` (triangle numbers into `indices`).
template <typename Index>
void reorder(const std::vector<unsigned int>& indices, const std::vector<std::uint32_t>& order,
             std::vector<Index>& out) {
    out.clear();
    out.reserve(order.size() * 3);
    for (std::uint32_t triangle : order)
        for (std::size_t corner = 0; corner < 3; ++corner)
            out.push_back(static_cast<Index>(indices[std::size_t(triangle) * 3 + corner]));
}

} // namespace triangleorder

} // namespace vantor
