#pragma once
// A spatial hash over the merged corners, so that merging does not rescan every corner
// kept so far. It answers exactly what the linear scan answers: the earliest-added corner
// whose position, uv and normal all lie within 0.01 of the query, component by component.
//
// Corners are hashed by position into cubic cells of 0.08. For floats a and b that isNear
// accepts, the real difference is below 0.0100001 (the single-precision difference is below
// 0.01 and carries at most half an ulp of error), so 12.5b lies within 0.1250002 of 12.5a;
// 12.5a is exact in double precision (a 24-bit mantissa times the 5-bit constant 12.5).
// Searching the cells that meet [12.5a - 0.12625, 12.5a + 0.12625] on each axis (one, or two
// near a border) therefore sees every candidate the scan would accept.

#include <glm/glm.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantor {

namespace scene {

class CornerIndex {
public:
    // The index reads the corners from these lists; they must outlive it, and only corners
    // handed to `add` are searched.
    CornerIndex(const std::vector<glm::vec3>& vertices, const std::vector<glm::vec2>& uvs,
                const std::vector<glm::vec3>& normals);

    // Makes corner `index` of the lists findable. Corners must be added in increasing order.
    void add(unsigned int index);

    // The smallest added index whose corner is close to the query in all eight components.
    bool find(const glm::vec3& vertex, const glm::vec2& uv, const glm::vec3& normal,
              unsigned int& result) const;

private:
    static constexpr unsigned int none = ~0u;

    // One cell of the open-addressing table. Its corners form a ring through `next`:
    // `newest` is the last added, and next[newest] the oldest, where a search starts.
    struct Slot {
        std::int32_t x = 0, y = 0, z = 0;
        unsigned int newest = none;
    };

    static std::int32_t cellCoordinate(float v);
    // The cells a close value can lie in, along one axis.
    static void cellRange(float v, std::int32_t& first, std::int32_t& last);
    static std::size_t hash(std::int32_t x, std::int32_t y, std::int32_t z);
    // The slot holding the cell, or the empty slot where it would go.
    std::size_t slotFor(std::int32_t x, std::int32_t y, std::int32_t z) const;
    void grow();
    bool matches(unsigned int index, const glm::vec3& vertex, const glm::vec2& uv,
                 const glm::vec3& normal) const;

    const std::vector<glm::vec3>& vertices;
    const std::vector<glm::vec2>& uvs;
    const std::vector<glm::vec3>& normals;
    std::vector<Slot> slots; // a power of two in size, at most half full
    std::size_t occupied = 0;
    std::vector<unsigned int>
        next; // per corner: the next newer corner of its cell, the newest back to the oldest
};

} // namespace scene

} // namespace vantor
