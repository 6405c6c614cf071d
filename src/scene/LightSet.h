#pragma once
// The coloured lights: made in order as the count first reaches them (light k is always the k-th
// made, so the unseeded generator hands each the same speed and colour whenever it is made),
// kept while the count is lower (a light switched off keeps its place), and advanced together.
// Reads like the list it owns: `size`, `[i]` and a range of Object pointers.

#include "scene/Object.h"

#include <glm/glm.hpp>

#include <vector>

namespace vantor {

namespace scene {

class LightSet {
public:
    // `most`: the most lights there can be, whatever count is asked for.
    explicit LightSet(int most) : most(most) {}
    ~LightSet();
    LightSet(const LightSet&) = delete;
    LightSet& operator=(const LightSet&) = delete;

    // Makes the lights a count of `count` needs that do not exist yet.
    void makeUpTo(int count);
    // Advances the first `count` lights by `dt` seconds of scene time. A light whose state is no
    // longer finite (a huge or infinite step) starts again at the rim, so a sane speed brings a
    // working scene back.
    void advance(int count, float dt);
    // How many of the first `count` lights exist: never past the list or `most`.
    int inUse(int count) const;
    // Positions and colours of the first `count` lights (as many as `inUse`).
    std::vector<glm::vec3> positions(int count) const;
    std::vector<glm::vec3> colors(int count) const;

    size_t size() const { return objects.size(); }
    Object* operator[](size_t i) const { return objects[i]; }
    std::vector<Object*>::const_iterator begin() const { return objects.begin(); }
    std::vector<Object*>::const_iterator end() const { return objects.end(); }

private:
    int most;
    std::vector<Object*> objects;
};

} // namespace scene

} // namespace vantor
