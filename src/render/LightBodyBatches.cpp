#include "render/LightBodyBatches.h"

#include "render/FrameMath.h"
#include "render/LightCount.h"

#include <algorithm>

namespace vantor {

namespace {

void setModel(Shader* shader, const glm::mat4& model) {
    glUniformMatrix4fv(glGetUniformLocation(shader->program, "M"), 1, GL_FALSE, &model[0][0]);
}

} // namespace

float LightBodyBatches::clearance(const glm::mat4& model) {
    // Eight body radii (the designed sphere's radius is half its matrix's scale): nearer, a bead
    // covers over 1 % of the light's surroundings.
    return 8.0f * 0.5f * glm::length(glm::vec3(model[0]));
}

std::vector<BodySet> LightBodyBatches::sets(int lights, bool shadow) const {
    const float scale = lightcount::lightLook(lights).bodyScale;
    glm::mat4 model = full->modelMatrix;
    if (scale != 1.0f)
        for (int column = 0; column < 3; ++column)
            model[column] *= scale;
    std::vector<BodySet> sets;
    sets.push_back({full, 0, std::min(lights, lightcount::fullSphereBodies), model, 0.0f});
    if (lights > lightcount::fullSphereBodies)
        sets.push_back({shadow ? shadowCoarse : coarse, lightcount::fullSphereBodies,
                        lights - lightcount::fullSphereBodies, model, clearance(model)});
    return sets;
}

void LightBodyBatches::draw(LightBodies& bodies, Shader* shader, bool shadow) const {
    const GLint mode = glGetUniformLocation(shader->program, "instanced");
    for (const BodySet& set : sets(bodies.bodies, shadow)) {
        if (set.count == 0)
            continue;
        setModel(shader, set.model);
        if (set.mesh != full) {
            glUniform1f(glGetUniformLocation(shader->program, "bodyClearance"), set.clearance);
            glUniform1i(mode, 2);
            bodies.drawBatch(shader, *set.mesh, set.first, set.count);
            continue;
        }
        glUniform1i(mode, 1);
        set.mesh->setupVertexArray(shader, true, false, false, false, false);
        bodies.attach(shader, *set.mesh, set.first);
        set.mesh->drawInstanced(set.count);
        bodies.detach(shader, *set.mesh);
    }
    glUniform1i(mode, 0);
}

void LightBodyBatches::drawEachIntoShadow(Shader* shader, const std::vector<glm::vec3>& positions,
                                          const glm::vec3& light) const {
    for (const BodySet& set : sets(int(positions.size()), true)) {
        set.mesh->setupVertexArray(shader, true, false, false, false, false);
        for (int i = set.first; i < set.first + set.count; ++i) {
            if (glm::length(positions[size_t(i)] - light) < set.clearance)
                continue;
            setModel(shader, framemath::placedAt(set.model, positions[size_t(i)]));
            set.mesh->draw();
        }
    }
}

} // namespace vantor
