#pragma once
// The frame's pure matrix and motion maths: no GL, so the unit tests reach it directly.

#include <glm/glm.hpp>

#include <array>

namespace framemath {

// Degrees to radians with the constant the whole renderer uses.
constexpr float degreesToRadians = 0.017453292f;

// Model matrix of the level's second copy: one tenth of its size, turned 45 degrees about
// the vertical axis and upside down about z, its origin lifted to (0, 0.5, 0).
glm::mat4 levelCopyTransform();

// True when `model` turns space inside out (negative determinant): it reverses the winding
// of every triangle it draws, so front faces are then the clockwise ones.
bool mirrors(const glm::mat4& model);

// Perspective for one cube-map face: 90 degrees, square.
glm::mat4 shadowProjection(float nearPlane, float farPlane);

// The six face matrices (+X, -X, +Y, -Y, +Z, -Z) that render the cube map seen from `lightPos`.
std::array<glm::mat4, 6> shadowFaceMatrices(const glm::mat4& shadowProj, const glm::vec3& lightPos);

// `model` moved to `position`: its translation column replaced, rotation and scale kept.
glm::mat4 placedAt(const glm::mat4& model, const glm::vec3& position);

// Height of the shadow light one frame later: it sinks 0.05 units per second and rests at 0.25.
float sunkShadowLightHeight(float y, double deltaTime);

} // namespace framemath
