#pragma once
// A spatial hash over the merged corners, so that merging does not rescan every corner
// kept so far. It answers exactly what the linear scan answers: the earliest-added corner
// whose position, uv and normal all lie within 0.01 of the query, component by component.
//
// Corners are hashed by position into cubic cells of 0.02. For floats a and b with
// |a - b| < 0.01 (even after single-precision rounding of the difference) the real
// difference is below 0.0100001, so floor(50a) and floor(50b) differ by at most one;
// 50a is exact in double precision (a 24-bit mantissa times the 6-bit constant 50), so
// no rounding can push a close corner two cells away. Searching the 27 cells around the
// query therefore sees every candidate the scan would accept.

#include <glm/glm.hpp>

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace vantor::scene {

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
    struct Cell {
        std::int64_t x, y, z;
        bool operator==(const Cell& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct CellHash {
        std::size_t operator()(const Cell& c) const;
    };

    static std::int64_t cellCoordinate(float v);
    static Cell cellOf(const glm::vec3& p);
    bool matches(unsigned int index, const glm::vec3& vertex, const glm::vec2& uv,
                 const glm::vec3& normal) const;

    const std::vector<glm::vec3>& vertices;
    const std::vector<glm::vec2>& uvs;
    const std::vector<glm::vec3>& normals;
    // Indices in each cell are kept in increasing order, as they were added.
    std::unordered_map<Cell, std::vector<unsigned int>, CellHash> cells;
};

} // namespace vantor::scene
