#include "scene/CornerIndex.h"

#include "scene/SceneObject.h"

#include <algorithm>
#include <cmath>

namespace vantor::scene {

namespace {

// isNear is false whenever either side is NaN or infinite (the difference is then NaN or
// infinite), so a corner with such a component can neither match nor be matched.
bool allFinite(const glm::vec3& p, const glm::vec2& uv, const glm::vec3& n) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(uv.x) &&
           std::isfinite(uv.y) && std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z);
}

} // namespace

CornerIndex::CornerIndex(const std::vector<glm::vec3>& vertices, const std::vector<glm::vec2>& uvs,
                         const std::vector<glm::vec3>& normals)
    : vertices(vertices), uvs(uvs), normals(normals) {}

std::size_t CornerIndex::CellHash::operator()(const Cell& c) const {
    std::uint64_t h = static_cast<std::uint64_t>(c.x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(c.y) + 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= static_cast<std::uint64_t>(c.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h ^ (h >> 29));
}

std::int64_t CornerIndex::cellCoordinate(float v) {
    // Exact product (see the header); clamping is monotone and keeps neighbours within
    // one cell of each other, and it keeps the conversion to an integer defined.
    const double scaled = std::floor(static_cast<double>(v) * 50.0);
    return static_cast<std::int64_t>(std::clamp(scaled, -1e15, 1e15));
}

CornerIndex::Cell CornerIndex::cellOf(const glm::vec3& p) {
    return Cell{cellCoordinate(p.x), cellCoordinate(p.y), cellCoordinate(p.z)};
}

bool CornerIndex::matches(unsigned int index, const glm::vec3& vertex, const glm::vec2& uv,
                          const glm::vec3& normal) const {
    const glm::vec3& v = vertices[index];
    const glm::vec2& t = uvs[index];
    const glm::vec3& n = normals[index];
    return SceneObject::isNear(vertex.x, v.x) && SceneObject::isNear(vertex.y, v.y) &&
           SceneObject::isNear(vertex.z, v.z) && SceneObject::isNear(uv.x, t.x) &&
           SceneObject::isNear(uv.y, t.y) && SceneObject::isNear(normal.x, n.x) &&
           SceneObject::isNear(normal.y, n.y) && SceneObject::isNear(normal.z, n.z);
}

void CornerIndex::add(unsigned int index) {
    if (index >= vertices.size() || index >= uvs.size() || index >= normals.size())
        return;
    if (!allFinite(vertices[index], uvs[index], normals[index]))
        return;
    cells[cellOf(vertices[index])].push_back(index);
}

bool CornerIndex::find(const glm::vec3& vertex, const glm::vec2& uv, const glm::vec3& normal,
                       unsigned int& result) const {
    if (!allFinite(vertex, uv, normal))
        return false;
    const Cell centre = cellOf(vertex);
    bool found = false;
    unsigned int best = 0;
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            for (std::int64_t dz = -1; dz <= 1; ++dz) {
                const auto it = cells.find(Cell{centre.x + dx, centre.y + dy, centre.z + dz});
                if (it == cells.end())
                    continue;
                // Ascending order: the first match in a cell is its earliest, and nothing
                // past the best found so far can win.
                for (unsigned int index : it->second) {
                    if (found && index >= best)
                        break;
                    if (matches(index, vertex, uv, normal)) {
                        best = index;
                        found = true;
                        break;
                    }
                }
            }
        }
    }
    if (found)
        result = best;
    return found;
}

} // namespace vantor::scene
