#include "scene/SceneFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantor {

namespace scenefit {

glm::mat4 upAxisRotation(int upAxis, int upSign) {
    const float s = upSign < 0 ? -1.0f : 1.0f;
    glm::mat4 m(1.0f);
    if (upAxis == 2) {
        // z up: (x, y, z) -> (x, z, -y), keeping the frame right-handed.
        m[1] = glm::vec4(0.0f, 0.0f, -s, 0.0f);
        m[2] = glm::vec4(0.0f, s, 0.0f, 0.0f);
    } else if (upAxis == 0) {
        // x up: (x, y, z) -> (-y, x, z).
        m[0] = glm::vec4(0.0f, s, 0.0f, 0.0f);
        m[1] = glm::vec4(-s, 0.0f, 0.0f, 0.0f);
    } else if (upAxis == 1 && s < 0.0f) {
        // y down: half a turn about x.
        m[1] = glm::vec4(0.0f, -1.0f, 0.0f, 0.0f);
        m[2] = glm::vec4(0.0f, 0.0f, -1.0f, 0.0f);
    }
    return m;
}

glm::mat4 fitBounds(const glm::vec3& boundsMin, const glm::vec3& boundsMax) {
    const glm::vec3 size = boundsMax - boundsMin;
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(boundsMin[i]) || !std::isfinite(boundsMax[i]) || size[i] < 0.0f)
            return glm::mat4(1.0f);
    const float halfDiagonal = 0.5f * std::sqrt(size.x * size.x + size.z * size.z);
    // A point or a vertical line has no width; a flat floor plan no height: the other measure
    // decides, and a single point keeps its size.
    float scale = 1.0f;
    const float byWidth = halfDiagonal > 0.0f ? radius / halfDiagonal : 0.0f;
    const float byHeight = size.y > 0.0f ? height / size.y : 0.0f;
    if (byWidth > 0.0f && byHeight > 0.0f)
        scale = std::min(byWidth, byHeight);
    else if (byWidth > 0.0f || byHeight > 0.0f)
        scale = std::max(byWidth, byHeight);
    if (!std::isfinite(scale))
        scale = 1.0f;
    const glm::vec3 centre = 0.5f * (boundsMin + boundsMax);
    glm::mat4 m(scale);
    m[3] = glm::vec4(-centre.x * scale, floorHeight - boundsMin.y * scale, -centre.z * scale, 1.0f);
    return m;
}

Bounds placedBounds(const glm::vec3& boundsMin, const glm::vec3& boundsMax, const glm::mat4& model) {
    const float far = std::numeric_limits<float>::infinity();
    Bounds placed{glm::vec3(far), glm::vec3(-far)};
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? boundsMax.x : boundsMin.x, (corner & 2) ? boundsMax.y : boundsMin.y,
                          (corner & 4) ? boundsMax.z : boundsMin.z);
        const glm::vec3 world(model * glm::vec4(p, 1.0f));
        placed.min = glm::min(placed.min, world);
        placed.max = glm::max(placed.max, world);
    }
    return placed;
}

} // namespace scenefit

} // namespace vantor
