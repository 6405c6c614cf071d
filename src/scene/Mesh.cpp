#include "scene/Mesh.h"

#include "scene/TriangleOrder.h"

#include <cstdint>
#include <utility>

namespace vantor {

namespace scene {

namespace {

// 16-bit indices address corners 0 to 65535.
constexpr std::size_t maxShortIndexedCorners = 65536;

// An empty list uploads a buffer of size zero from no data.
template <typename T> void uploadArrayBuffer(GLuint& buffer, const std::vector<T>& list) {
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(list.size() * sizeof(T)),
                 list.empty() ? nullptr : list.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void enableAttribute(GLuint program, GLuint buffer, const char* name, GLint size, GLboolean normalize) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLint location = glGetAttribLocation(program, name);
    // A variant of a program that does not read this stream (flat shading needs no tangents)
    // has no location for it.
    if (location < 0)
        return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), size, GL_FLOAT, normalize, 0, nullptr);
}

void bindSampler(GLuint program, const char* name, int unit, Texture* texture) {
    if (!texture)
        return;
    glUniform1i(glGetUniformLocation(program, name), unit);
    texture->bind(unit);
}

} // namespace

Mesh::Mesh(const glm::mat4& modelMatrix, std::string name, const std::string& diffusePath,
           const std::string& normalPath, const std::string& heightPath)
    : SceneObject(modelMatrix) {
    {
        std::vector<glm::vec3> in_vertices;
        std::vector<glm::vec2> in_uvs;
        std::vector<glm::vec3> in_normals;
        std::vector<glm::vec3> in_tangents;
        std::vector<glm::vec3> in_bitangents;
        // A failed read has reported itself and leaves the lists empty: the mesh draws nothing.
        readObj(name + ".obj", in_vertices, in_uvs, in_normals);
        computeTangents(in_vertices, in_uvs, in_normals, in_tangents, in_bitangents);
        indexWithTangents(in_vertices, in_uvs, in_normals, in_tangents, in_bitangents, indices, vertices, uvs,
                          normals, tangents, bitangents);
    }
    indexType = vertices.size() > maxShortIndexedCorners ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;

    // An empty path: a mesh whose programs read no texture has none.
    diffuseTexture = diffusePath.empty() ? nullptr : new Texture(diffusePath);
    normalTexture = normalPath.empty() ? nullptr : new Texture(normalPath);
    heightTexture = heightPath.empty() ? nullptr : new Texture(heightPath);

    uploadArrayBuffer(vertexBuffer, vertices);
    uploadArrayBuffer(normalBuffer, normals);
    uploadArrayBuffer(uvBuffer, uvs);
    uploadArrayBuffer(tangentBuffer, tangents);
    uploadArrayBuffer(bitangentBuffer, bitangents);

    glGenBuffers(1, &elementBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elementBuffer);
    if (indexType == GL_UNSIGNED_SHORT) {
        const std::vector<std::uint16_t> shortIndices(indices.begin(), indices.end());
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(shortIndices.size() * sizeof(std::uint16_t)),
                     shortIndices.empty() ? nullptr : shortIndices.data(), GL_STATIC_DRAW);
    } else {
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned int)),
                     indices.data(), GL_STATIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glGenVertexArrays(1, &vao);
}

Mesh::~Mesh() {
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &elementBuffer);
    glDeleteBuffers(1, &orderedElementBuffer);
    glDeleteBuffers(1, &normalBuffer);
    glDeleteBuffers(1, &tangentBuffer);
    glDeleteBuffers(1, &bitangentBuffer);
    glDeleteBuffers(1, &uvBuffer);
    glDeleteVertexArrays(1, &vao);
    vertexBuffer = elementBuffer = orderedElementBuffer = normalBuffer = tangentBuffer = bitangentBuffer =
        uvBuffer = vao = 0;
    delete diffuseTexture;
    diffuseTexture = nullptr;
    delete normalTexture;
    normalTexture = nullptr;
    delete heightTexture;
    heightTexture = nullptr;
}

void Mesh::setupVertexArray(Shader* shader, bool position, bool normal, bool uv, bool tangent,
                            bool bitangent) {
    const GLuint program = shader->program;
    glBindVertexArray(vao);
    if (position)
        enableAttribute(program, vertexBuffer, "position", 3, GL_FALSE);
    if (normal)
        enableAttribute(program, normalBuffer, "normal", 3, GL_FALSE);
    if (uv)
        enableAttribute(program, uvBuffer, "uv", 2, GL_FALSE);
    if (tangent)
        enableAttribute(program, tangentBuffer, "tangent", 3, GL_TRUE);
    if (bitangent)
        enableAttribute(program, bitangentBuffer, "bitangent", 3, GL_TRUE);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elementBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    bindSampler(program, "DiffuseTextureSampler", 0, diffuseTexture);
    bindSampler(program, "NormalTextureSampler", 1, normalTexture);
    bindSampler(program, "HeightTextureSampler", 2, heightTexture);
}

void Mesh::draw() {
    // A mesh whose model could not be read has nothing to draw.
    if (indices.empty())
        return;
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), indexType, nullptr);
    glBindVertexArray(0);
}

void Mesh::drawInstanced(int instances) {
    if (indices.empty() || instances <= 0)
        return;
    glBindVertexArray(vao);
    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), indexType, nullptr,
                            instances);
    glBindVertexArray(0);
}

void Mesh::drawInOrder(const std::vector<std::uint32_t>& triangleOrder) {
    if (indices.empty() || triangleOrder.empty())
        return;
    if (orderedElementBuffer == 0)
        glGenBuffers(1, &orderedElementBuffer);
    glBindVertexArray(vao);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, orderedElementBuffer);
    const void* data = nullptr;
    std::size_t bytes = 0;
    if (indexType == GL_UNSIGNED_SHORT) {
        triangleorder::reorder(indices, triangleOrder, orderedShortIndices);
        data = orderedShortIndices.data();
        bytes = orderedShortIndices.size() * sizeof(std::uint16_t);
    } else {
        triangleorder::reorder(indices, triangleOrder, orderedIndices);
        data = orderedIndices.data();
        bytes = orderedIndices.size() * sizeof(unsigned int);
    }
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(triangleOrder.size() * 3), indexType, nullptr);
    // The vertex array goes back to the file's order for every other draw.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elementBuffer);
    glBindVertexArray(0);
}

World::World(const glm::mat4& modelMatrix, std::string name)
    : Mesh(modelMatrix, std::move(name), "../" + std::string("Quarnvale/Textures/bricks3.png"),
           "../" + std::string("Quarnvale/Textures/bricks_normal.png"),
           "../" + std::string("Quarnvale/Textures/bricks_height.png")) {}

BodySphere::BodySphere(const glm::mat4& modelMatrix, std::string name)
    : Mesh(modelMatrix, std::move(name), "", "", "") {}

Ball::Ball(const glm::mat4& modelMatrix, std::string name)
    : Mesh(modelMatrix, std::move(name), "../" + std::string("Quarnvale/Textures/sphere_diff.jpg"),
           "../" + std::string("Quarnvale/Textures/sphere_normal.jpg"),
           "../" + std::string("Quarnvale/Textures/sphere$_height.jpg")) {}

} // namespace scene

} // namespace vantor
