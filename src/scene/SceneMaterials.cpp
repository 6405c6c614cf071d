#include "scene/SceneMaterials.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace scenematerials {

namespace {
float unit(float v) {
    return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f;
}
} // namespace

glm::vec3 encodeColour(const glm::vec3& linear) {
    return {std::sqrt(unit(linear.r)), std::sqrt(unit(linear.g)), std::sqrt(unit(linear.b))};
}

float specularFromMetallicRoughness(float metallic, float roughness) {
    const float gloss = 1.0f - unit(roughness);
    return gloss * gloss * (0.3f + 0.6f * unit(metallic));
}

float specularFromColour(const glm::vec3& colour, float factor) {
    const float brightest = std::max({unit(colour.r), unit(colour.g), unit(colour.b)});
    return std::min(0.6f, brightest * (std::isfinite(factor) ? std::max(factor, 0.0f) : 1.0f));
}

} // namespace scenematerials

} // namespace vantor
