#include "render/LightBodies.h"

#include <algorithm>

namespace {

constexpr int floatsPerBody = 6;
constexpr GLsizei stride = floatsPerBody * sizeof(float);

} // namespace

LightBodies::~LightBodies() {
    release();
}

void LightBodies::upload(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& colors) {
    bodies = static_cast<int>(std::min(positions.size(), colors.size()));
    staging.resize(static_cast<size_t>(std::max(bodies, 1)) * floatsPerBody, 0.0f);
    for (int i = 0; i < bodies; ++i) {
        float* body = &staging[static_cast<size_t>(i) * floatsPerBody];
        std::copy_n(&positions[i][0], 3, body);
        std::copy_n(&colors[i][0], 3, body + 3);
    }
    if (buffer == 0)
        glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(staging.size() * sizeof(float)), staging.data(),
                 GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void LightBodies::attach(Shader* shader, const vantor::scene::Mesh& mesh, int first) {
    glBindVertexArray(mesh.vao);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const char* names[2] = {"instancePosition", "instanceColor"};
    for (int n = 0; n < 2; ++n) {
        const GLint location = glGetAttribLocation(shader->program, names[n]);
        if (location < 0)
            continue;
        const size_t offset = (static_cast<size_t>(first) * floatsPerBody + 3 * n) * sizeof(float);
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        glVertexAttribPointer(static_cast<GLuint>(location), 3, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offset));
        glVertexAttribDivisor(static_cast<GLuint>(location), 1);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void LightBodies::detach(Shader* shader, const vantor::scene::Mesh& mesh) {
    glBindVertexArray(mesh.vao);
    for (const char* name : {"instancePosition", "instanceColor"}) {
        const GLint location = glGetAttribLocation(shader->program, name);
        if (location < 0)
            continue;
        glDisableVertexAttribArray(static_cast<GLuint>(location));
        glVertexAttribDivisor(static_cast<GLuint>(location), 0);
    }
    glBindVertexArray(0);
}

void LightBodies::release() {
    if (buffer != 0)
        glDeleteBuffers(1, &buffer);
    buffer = 0;
    bodies = 0;
}
