#include "render/LevelOrder.h"

#include "scene/TriangleOrder.h"

namespace vantor {

int LevelOrder::sort(const vantor::scene::Mesh& level, const glm::vec3& eye,
                     const glm::mat4 (&placements)[2]) {
    if (!enabled)
        return 0;
    if (centres.empty())
        centres = triangleorder::centres(level.vertices, level.indices);
    float nearest[2] = {0.0f, 0.0f};
    for (int i = 0; i < 2; ++i) {
        const glm::vec3 localEye = glm::vec3(glm::inverse(placements[i]) * glm::vec4(eye, 1.0f));
        triangleorder::nearestFirst(centres, localEye, order[i]);
        if (!order[i].empty()) {
            const glm::vec4 centre(centres[order[i][0]], 1.0f);
            nearest[i] = glm::length(glm::vec3(placements[i] * centre) - eye);
        }
    }
    return nearest[1] < nearest[0] ? 1 : 0;
}

void LevelOrder::draw(vantor::scene::Mesh& level, int placement) const {
    if (enabled)
        level.drawInOrder(order[placement]);
    else
        level.draw();
}

} // namespace vantor
