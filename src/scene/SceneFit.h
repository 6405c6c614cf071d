#pragma once
// Where a loaded scene stands. The lights' spiral, their reach and bodies, the shadow light's
// path and cube and the free camera's speed are all laid out for the hall's volume; rather than
// re-deriving each of them, the scene is scaled and moved into that volume, so all of them fit it
// as they fit the hall. (The camera's flight, made to be flown inside the hall, is fitted to the
// placed bounds instead: camera::FittedFlight.) Pure maths, no GL.

#include <glm/glm.hpp>

namespace vantor {

namespace scenefit {

// The volume a scene is fitted into, in world units: a cylinder about the vertical axis inside
// the lights' starting radius (3) and the shadow cube's reach (3 from the light), standing on
// the floor the flight glides over and below the height the lighting pass takes for the roof.
constexpr float radius = 2.6f;
constexpr float height = 0.8f;
constexpr float floorHeight = 0.0f;

// The rotation that turns a file's up axis (0 x, 1 y, 2 z) with its sign (+1 or -1) into +y;
// the identity for y-up files and for axes it does not know.
glm::mat4 upAxisRotation(int upAxis, int upSign);

// The model matrix that scales the bounds (already y-up) uniformly into the volume above,
// centred on the vertical axis, its lowest point on the floor. Flat or point-like bounds keep a
// finite scale; bounds that are not finite give the identity.
glm::mat4 fitBounds(const glm::vec3& boundsMin, const glm::vec3& boundsMax);

// The box about the bounds' eight corners once `model` has placed them: where the fitted model
// stands in the world, for the camera's flight about it.
struct Bounds {
    glm::vec3 min;
    glm::vec3 max;
};
Bounds placedBounds(const glm::vec3& boundsMin, const glm::vec3& boundsMax, const glm::mat4& model);

} // namespace scenefit

} // namespace vantor
