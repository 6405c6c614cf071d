#include "scene/Object.h"

#include "platform/Random.h"

#include <cmath>
#include <cstdlib>

namespace vantor {

namespace scene {

Object::Object() {
    startRadius = 3.0f;
    radius = startRadius;
    angle = 0.0f;
    // Never seeded on purpose: every run, on every system, shows the same lights.
    const float s = static_cast<float>(nextRandom() % 100) / 10000.0f;
    angularSpeed = 0.01f + s;
    shrinkSpeed = s / 10.0f + 0.001f;
    for (int channel = 0; channel < 3; ++channel)
        color.push_back(static_cast<float>(nextRandom() % 100) / 100.0f);
    y = 0.25f;
    restart();
}

void Object::restart() {
    radius = 3.0f;
    angle = 0.0f;
    x = std::cos(angle) * radius;
    z = std::sin(angle) * radius;
}

void Object::update(float dt) {
    angle = angle + angularSpeed * dt * 100.0f;
    radius = radius - shrinkSpeed * dt * 100.0f;
    if (static_cast<double>(radius) < 0.01) {
        radius = 3.0f;
        angle = 0.0f;
    }
    x = std::cos(angle) * radius;
    z = std::sin(angle) * radius;
}

} // namespace scene

} // namespace vantor
