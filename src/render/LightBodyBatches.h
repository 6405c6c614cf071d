#pragma once
// The lights' bodies as drawn: which mesh carries which lights (the first fifty on the full
// sphere, the rest on a coarse one, in the shadow cube an octahedron), at what size, and the
// draws themselves, all reading the bodies LightBodies holds. The shadow pass without the cache
// draws one body at a time instead, the path the batched one must match.

#include "gpu/Shader.h"
#include "render/BodySet.h"
#include "render/LightBodies.h"
#include "scene/Mesh.h"

#include <glm/glm.hpp>

#include <vector>

namespace vantor {

class LightBodyBatches {
public:
    // The meshes (owned by the renderer); set before the first draw.
    vantor::scene::Mesh* full = nullptr;
    vantor::scene::Mesh* coarse = nullptr;
    vantor::scene::Mesh* shadowCoarse = nullptr;

    // The sets of `lights` bodies: in the shadow cube (`shadow`) or in the picture.
    std::vector<BodySet> sets(int lights, bool shadow) const;
    // How near the shadow light a body of the coarse meshes at `model` may come and still cast a
    // shadow (pointlightdepth1.vert's "bodyClearance").
    static float clearance(const glm::mat4& model);

    // Every body `bodies` holds into the current target through `shader` (in use, its "V", "P"
    // and the like set): the full spheres in one instanced draw, the coarse ones in one batched draw.
    void draw(LightBodies& bodies, Shader* shader, bool shadow) const;
    // The shadow cube's bodies at `positions` one draw each through the shadow program `shader`,
    // leaving out the coarse ones hugging `light` as the batch does.
    void drawEachIntoShadow(Shader* shader, const std::vector<glm::vec3>& positions,
                            const glm::vec3& light) const;
};

} // namespace vantor
