#include "scene/CornerIndex.h"

#include "scene/SceneObject.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace scene {

namespace {

// Cells of 1 / cellsPerUnit = 0.08: a float times 12.5 (five significant bits) is exact in double.
constexpr double cellsPerUnit = 12.5;
// Half the side of the search box in cell units: 0.0101 * 12.5. It covers the real difference
// of any pair isNear accepts (below 0.0100001), with room to spare for rounding of the sum.
constexpr double searchReach = 0.12625;
// Beyond 2^30 cells (about 8.6e7 units) floats lie at least 8 apart, so only equal values are
// near each other there; clamping is monotone and keeps those in one cell.
constexpr double coordinateLimit = 1073741824.0;

std::int32_t toCell(double scaled) {
    return static_cast<std::int32_t>(std::clamp(std::floor(scaled), -coordinateLimit, coordinateLimit));
}

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

std::int32_t CornerIndex::cellCoordinate(float v) {
    return toCell(static_cast<double>(v) * cellsPerUnit);
}

void CornerIndex::cellRange(float v, std::int32_t& first, std::int32_t& last) {
    const double scaled = static_cast<double>(v) * cellsPerUnit;
    first = toCell(scaled - searchReach);
    last = toCell(scaled + searchReach);
}

std::size_t CornerIndex::hash(std::int32_t x, std::int32_t y, std::int32_t z) {
    std::uint64_t h = static_cast<std::uint32_t>(x) * 0x9E3779B97F4A7C15ull;
    h = (h ^ (h >> 32) ^ static_cast<std::uint32_t>(y)) * 0xC2B2AE3D27D4EB4Full;
    h = (h ^ (h >> 29) ^ static_cast<std::uint32_t>(z)) * 0x165667B19E3779F9ull;
    return static_cast<std::size_t>(h ^ (h >> 32));
}

std::size_t CornerIndex::slotFor(std::int32_t x, std::int32_t y, std::int32_t z) const {
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = hash(x, y, z) & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots[i];
        if (slot.newest == none || (slot.x == x && slot.y == y && slot.z == z))
            return i;
    }
}

void CornerIndex::grow() {
    std::vector<Slot> old;
    old.swap(slots);
    slots.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    for (const Slot& slot : old)
        if (slot.newest != none)
            slots[slotFor(slot.x, slot.y, slot.z)] = slot;
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
    if (2 * (occupied + 1) > slots.size())
        grow();
    if (next.size() <= index)
        next.resize(std::max<std::size_t>(index + 1, 2 * next.size()), none);

    const glm::vec3& p = vertices[index];
    Slot& slot = slots[slotFor(cellCoordinate(p.x), cellCoordinate(p.y), cellCoordinate(p.z))];
    if (slot.newest == none) {
        slot = Slot{cellCoordinate(p.x), cellCoordinate(p.y), cellCoordinate(p.z), index};
        next[index] = index;
        ++occupied;
    } else {
        next[index] = next[slot.newest];
        next[slot.newest] = index;
        slot.newest = index;
    }
}

bool CornerIndex::find(const glm::vec3& vertex, const glm::vec2& uv, const glm::vec3& normal,
                       unsigned int& result) const {
    if (slots.empty() || !allFinite(vertex, uv, normal))
        return false;
    std::int32_t first[3], last[3];
    for (int axis = 0; axis < 3; ++axis)
        cellRange(vertex[axis], first[axis], last[axis]);
    bool found = false;
    unsigned int best = 0;
    for (std::int32_t x = first[0]; x <= last[0]; ++x) {
        for (std::int32_t y = first[1]; y <= last[1]; ++y) {
            for (std::int32_t z = first[2]; z <= last[2]; ++z) {
                const unsigned int newest = slots[slotFor(x, y, z)].newest;
                if (newest == none)
                    continue;
                // Oldest first: the first match in a cell is its earliest, and nothing past
                // the best found so far can win.
                unsigned int index = next[newest];
                while (!(found && index >= best)) {
                    if (matches(index, vertex, uv, normal)) {
                        best = index;
                        found = true;
                        break;
                    }
                    if (index == newest)
                        break;
                    index = next[index];
                }
            }
        }
    }
    if (found)
        result = best;
    return found;
}

} // namespace scene

} // namespace vantor
