#pragma once
// How a file's material becomes what the geometry pass stores: a display-encoded colour and one
// specular intensity. Pure maths, shared by the importer and its tests.

#include <glm/glm.hpp>

namespace vantor {

namespace scenematerials {

// The lighting pass decodes stored colours by squaring them (the bricks are stored display-
// encoded); a linear colour factor is stored as its square root so it comes back as itself.
glm::vec3 encodeColour(const glm::vec3& linear);

// Metallic-roughness has no specular term: a smooth surface gets a highlight, a rough one none,
// and a metal a stronger one than a dielectric: (1 - roughness)^2 * (0.3 + 0.6 * metallic).
float specularFromMetallicRoughness(float metallic, float roughness);

// A specular colour (OBJ's Ks, FBX's specular): its brightest channel times the factor, within
// the 0 to 0.6 range the bricks' own specular spans.
float specularFromColour(const glm::vec3& colour, float factor);

} // namespace scenematerials

} // namespace vantor
