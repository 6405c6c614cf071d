#include "scene/TriangleOrder.h"

#include <algorithm>
#include <utility>

namespace vantor {

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
    const std::size_t n = centres.size();
    // Start from the order given when it is one of these triangles (the previous frame's,
    // nearly sorted still when the eye moved a little), else from the mesh's order. The
    // result is the same either way: distance, then triangle number, orders every pair.
    bool permutation = order.size() == n;
    if (permutation) {
        std::vector<bool> seen(n, false);
        for (std::uint32_t t : order) {
            if (t >= n || seen[t]) {
                permutation = false;
                break;
            }
            seen[t] = true;
        }
    }
    if (!permutation) {
        order.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            order[i] = static_cast<std::uint32_t>(i);
    }
    thread_local std::vector<std::pair<float, std::uint32_t>> keyed;
    keyed.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const glm::vec3 d = centres[order[i]] - eye;
        keyed[i] = {glm::dot(d, d), order[i]};
    }
    // Insertion sort finishes a nearly sorted list in about one pass; a list far from sorted
    // (the first frame, a jump of the camera) goes to the general sort once it has cost that.
    std::size_t moves = 0;
    const std::size_t moveBudget = 8 * n + 64;
    for (std::size_t i = 1; i < n && moves <= moveBudget; ++i) {
        const std::pair<float, std::uint32_t> item = keyed[i];
        std::size_t j = i;
        for (; j > 0 && item < keyed[j - 1]; --j)
            keyed[j] = keyed[j - 1];
        keyed[j] = item;
        moves += i - j;
    }
    if (moves > moveBudget)
        std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < n; ++i)
        order[i] = keyed[i].second;
}

} // namespace triangleorder

} // namespace vantor
