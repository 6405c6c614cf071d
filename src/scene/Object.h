#pragma once
// One coloured point light on an inward spiral around the vertical axis: it starts at
// radius 3, height 0.25, and jumps back to the rim when it reaches the axis. Speed and
// colour come from the unseeded C generator, so every run shows the same lights.

#include <vector>

namespace vantor {

namespace scene {

class Object {
public:
    Object();
    virtual ~Object() = default;

    // dt: seconds since the previous frame.
    void update(float dt);
    // Back at the rim, where the spiral starts (and where a new light stands until its first
    // update, so one made while the scene is paused is not at the centre).
    void restart();

    float startRadius = 3.0f;
    float radius = 3.0f;
    float angularSpeed = 0.01f;
    float angle = 0.0f;
    float shrinkSpeed = 0.001f;
    float x = 0.0f;
    float y = 0.25f;
    float z = 0.0f;
    std::vector<float> color; // red, green, blue
};

} // namespace scene

} // namespace vantor
