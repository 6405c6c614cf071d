#pragma once
// A run of light bodies drawn as copies of one mesh: what the body draws and the kept shadow level
// both need to know of a draw.

#include "scene/Mesh.h"

#include <glm/glm.hpp>

namespace vantor {

// Bodies [first, first + count) as copies of `mesh`, each at `model` (the bead's matrix,
// shrunk when many lights share the hall) with its translation replaced by the body's position.
struct BodySet {
    vantor::scene::Mesh* mesh;
    int first;
    int count;
    glm::mat4 model;
    // Bodies whose centre is nearer the shadow light than this cast nothing (0 for the full
    // spheres): see LightBodyBatches::clearance.
    float clearance;
};

} // namespace vantor
