#include "scene/LightSet.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace scene {

namespace {

bool finite(const Object& light) {
    for (float v : {light.x, light.y, light.z, light.radius, light.angle})
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

LightSet::~LightSet() {
    for (Object* object : objects)
        delete object;
}

void LightSet::makeUpTo(int count) {
    const size_t wanted = size_t(std::clamp(count, 0, most));
    while (objects.size() < wanted)
        objects.push_back(new Object());
}

void LightSet::advance(int count, float dt) {
    for (int i = 0; i < inUse(count); ++i) {
        Object& light = *objects[size_t(i)];
        light.update(dt);
        if (!finite(light))
            light.restart();
    }
}

int LightSet::inUse(int count) const {
    return std::max(0, std::min({count, int(objects.size()), most}));
}

std::vector<glm::vec3> LightSet::positions(int count) const {
    std::vector<glm::vec3> positions;
    for (int i = 0; i < inUse(count); ++i)
        positions.emplace_back(objects[size_t(i)]->x, objects[size_t(i)]->y, objects[size_t(i)]->z);
    return positions;
}

std::vector<glm::vec3> LightSet::colors(int count) const {
    std::vector<glm::vec3> colors;
    for (int i = 0; i < inUse(count); ++i) {
        const std::vector<float>& c = objects[size_t(i)]->color;
        colors.emplace_back(c[0], c[1], c[2]);
    }
    return colors;
}

} // namespace scene

} // namespace vantor
