#include "render/FrameMath.h"

#include <glm/gtc/matrix_transform.hpp>

namespace framemath {

glm::mat4 levelCopyTransform() {
    glm::mat4 m(1.0f);
    m = glm::scale(m, glm::vec3(0.1f, 0.1f, 0.1f));
    m = glm::rotate(m, 180.0f * degreesToRadians, glm::vec3(0.0f, 0.0f, 1.0f));
    m = glm::rotate(m, 45.0f * degreesToRadians, glm::vec3(0.0f, 1.0f, 0.0f));
    m = glm::translate(m, glm::vec3(0.0f, -5.0f, 0.0f));
    return m;
}

glm::mat4 shadowProjection(float nearPlane, float farPlane) {
    return glm::perspective(90.0f * degreesToRadians, 1.0f, nearPlane, farPlane);
}

std::array<glm::mat4, 6> shadowFaceMatrices(const glm::mat4& shadowProj, const glm::vec3& lightPos) {
    struct Face {
        glm::vec3 direction;
        glm::vec3 up;
    };
    // The cube-map face order and the up vectors GL's face orientation expects.
    static const Face faces[6] = {
        {{1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}}, {{-1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}},
        {{0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},  {{0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}},
        {{0.0f, 0.0f, 1.0f}, {0.0f, -1.0f, 0.0f}}, {{0.0f, 0.0f, -1.0f}, {0.0f, -1.0f, 0.0f}},
    };
    std::array<glm::mat4, 6> result;
    for (int i = 0; i < 6; ++i)
        result[i] = shadowProj * glm::lookAt(lightPos, lightPos + faces[i].direction, faces[i].up);
    return result;
}

glm::mat4 placedAt(const glm::mat4& model, const glm::vec3& position) {
    glm::mat4 placed = model;
    placed[3][0] = position.x;
    placed[3][1] = position.y;
    placed[3][2] = position.z;
    return placed;
}

bool mirrors(const glm::mat4& model) {
    return glm::determinant(glm::mat3(model)) < 0.0f;
}

float sunkShadowLightHeight(float y, double deltaTime) {
    // The step is taken in double so long frames lose no precision before rounding.
    float sunk = static_cast<float>(static_cast<double>(y) - deltaTime * static_cast<double>(0.05f));
    if (sunk < 0.25f)
        sunk = 0.25f;
    return sunk;
}

} // namespace framemath
