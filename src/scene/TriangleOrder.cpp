#include "scene/TriangleOrder.h"

#include <algorithm>
#include <utility>

namespace triangleorder {

std::vector<glm::vec3> centres(const std::vector<glm::vec3>& vertices,
                               const std::vector<unsigned int>& indices) {
    std::vector<glm::vec3> result;
    result.reserve(indices.size() / 3);
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
        glm::vec3 sum(0.0f);
        for (std::size_t corner = 0; corner < 3; ++corner)
            if (indices[i + corner] < vertices.size())
                sum += vertices[indices[i + corner]];
        result.push_back(sum / 3.0f);
    }
    return result;
}

void nearestFirst(const std::vector<glm::vec3>& centres, const glm::vec3& eye,
                  std::vector<std::uint32_t>& order) {
    std::vector<std::pair<float, std::uint32_t>> keyed(centres.size());
    for (std::size_t i = 0; i < centres.size(); ++i) {
        const glm::vec3 d = centres[i] - eye;
        keyed[i] = {glm::dot(d, d), static_cast<std::uint32_t>(i)};
    }
    std::sort(keyed.begin(), keyed.end());
    order.resize(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        order[i] = keyed[i].second;
}

} // namespace triangleorder
