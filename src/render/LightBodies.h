#pragma once
// The lights' bodies as per-instance vertex data: one position and one colour per light in a
// buffer that the sphere meshes read with a divisor of 1, so all bodies of one mesh go in one
// instanced draw (shadow pass and forward pass alike), whatever the light count. Owns the
// buffer's name.

#include "gpu/Shader.h"
#include "scene/Mesh.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

class LightBodies {
public:
    LightBodies() = default;
    ~LightBodies();
    LightBodies(const LightBodies&) = delete;
    LightBodies& operator=(const LightBodies&) = delete;

    // Replaces the buffer's content (fresh storage each time, so a draw still reading the last
    // content never makes this wait): body i at positions[i] in colors[i] (same length).
    void upload(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& colors);
    // Points `mesh`'s vertex array at the bodies from `first` on, as `shader`'s "instancePosition"
    // and (when the program has it) "instanceColor", one per instance.
    void attach(Shader* shader, const vantor::scene::Mesh& mesh, int first);
    // Switches those attributes off again, so a draw that is not instanced reads no buffer.
    void detach(Shader* shader, const vantor::scene::Mesh& mesh);
    // Deletes the buffer; safe to repeat.
    void release();

    GLuint buffer = 0;
    int bodies = 0;

private:
    std::vector<float> staging; // x y z r g b per body
};
