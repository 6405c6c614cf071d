#include "render/LightBodies.h"

#include "gpu/TexelRows.h"
#include "render/LightCount.h"

#include <algorithm>
#include <cstdint>

namespace vantor {

namespace {

constexpr int floatsPerBody = 8;
constexpr GLsizei stride = floatsPerBody * sizeof(float);

} // namespace

LightBodies::~LightBodies() {
    release();
}

void LightBodies::upload(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& colors) {
    bodies = static_cast<int>(std::min(positions.size(), colors.size()));
    staging.assign(static_cast<size_t>(std::max(bodies, 1)) * floatsPerBody, 1.0f);
    for (int i = 0; i < bodies; ++i) {
        float* body = &staging[static_cast<size_t>(i) * floatsPerBody];
        std::copy_n(&positions[i][0], 3, body);
        std::copy_n(&colors[i][0], 3, body + 4);
    }
    if (buffer == 0) {
        glGenBuffers(1, &buffer);
        glGenTextures(1, &dataTexture);
    }
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
        const size_t offset = (static_cast<size_t>(first) * floatsPerBody + 4 * n) * sizeof(float);
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

LightBodies::Batch& LightBodies::batchOf(const vantor::scene::Mesh& mesh) {
    for (Batch& batch : batches)
        if (batch.mesh == &mesh)
            return batch;
    const size_t corners = mesh.vertices.size();
    std::vector<float> vertices;
    std::vector<std::uint32_t> indices;
    vertices.reserve(corners * 4 * lightcount::maxLightCount);
    indices.reserve(mesh.indices.size() * lightcount::maxLightCount);
    for (int body = 0; body < lightcount::maxLightCount; ++body) {
        for (const glm::vec3& v : mesh.vertices)
            vertices.insert(vertices.end(), {v.x, v.y, v.z, static_cast<float>(body)});
        for (const unsigned int index : mesh.indices)
            indices.push_back(static_cast<std::uint32_t>(body * corners + index));
    }
    Batch batch;
    batch.mesh = &mesh;
    batch.indicesPerBody = static_cast<GLsizei>(mesh.indices.size());
    glGenVertexArrays(1, &batch.array);
    glGenBuffers(1, &batch.vertices);
    glGenBuffers(1, &batch.indices);
    glBindVertexArray(batch.array);
    glBindBuffer(GL_ARRAY_BUFFER, batch.vertices);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)), vertices.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, batch.indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    batches.push_back(batch);
    return batches.back();
}

void LightBodies::drawBatch(Shader* shader, const vantor::scene::Mesh& mesh, int first, int count) {
    count = std::min(count, lightcount::maxLightCount - first);
    if (count <= 0 || mesh.indices.empty())
        return;
    const Batch& batch = batchOf(mesh);
    glActiveTexture(GL_TEXTURE0 + bodyDataUnit);
#ifdef __EMSCRIPTEN__ // no buffer textures: the same texels in a 2D texture's rows
    glBindTexture(GL_TEXTURE_2D, dataTexture);
    uploadTexelRows(GL_RGBA32F, GL_RGBA, GL_FLOAT, staging.data(), staging.size() / 4, 4 * sizeof(float));
#else
    glBindTexture(GL_TEXTURE_BUFFER, dataTexture);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, buffer);
#endif
    glUniform1i(glGetUniformLocation(shader->program, "bodyData"), bodyDataUnit);

    // The programs differ in their attribute locations: point this one's at the batch.
    glBindVertexArray(batch.array);
    glBindBuffer(GL_ARRAY_BUFFER, batch.vertices);
    const GLint position = glGetAttribLocation(shader->program, "position");
    const GLint body = glGetAttribLocation(shader->program, "bodyIndex");
    for (GLint location = 0; location < 16; ++location)
        if (location != position && location != body)
            glDisableVertexAttribArray(static_cast<GLuint>(location));
    glEnableVertexAttribArray(static_cast<GLuint>(position));
    glVertexAttribPointer(static_cast<GLuint>(position), 3, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glEnableVertexAttribArray(static_cast<GLuint>(body));
    glVertexAttribPointer(static_cast<GLuint>(body), 1, GL_FLOAT, GL_FALSE, 4 * sizeof(float),
                          reinterpret_cast<const void*>(3 * sizeof(float)));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const size_t firstIndex = static_cast<size_t>(first) * batch.indicesPerBody;
    glDrawElements(GL_TRIANGLES, batch.indicesPerBody * count, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(firstIndex * sizeof(std::uint32_t)));
    glBindVertexArray(0);
}

void LightBodies::release() {
    if (dataTexture != 0)
        glDeleteTextures(1, &dataTexture);
    if (buffer != 0)
        glDeleteBuffers(1, &buffer);
    for (Batch& batch : batches) {
        glDeleteBuffers(1, &batch.vertices);
        glDeleteBuffers(1, &batch.indices);
        glDeleteVertexArrays(1, &batch.array);
    }
    batches.clear();
    buffer = dataTexture = 0;
    bodies = 0;
}

} // namespace vantor
