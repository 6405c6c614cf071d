#pragma once
// A textured, normal- and parallax-mapped triangle mesh read from an OBJ file and kept on
// the GPU as five attribute streams ("position", "normal", "uv", "tangent", "bitangent",
// located by name in whichever program draws it) plus an element buffer. Its textures go
// to units 0-2 behind "DiffuseTextureSampler", "NormalTextureSampler", "HeightTextureSampler".
// World and Ball are this mesh with their own texture sets.

#include "gpu/Shader.h"
#include "gpu/Texture.h"
#include "scene/SceneObject.h"

#include <GL/glew.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

namespace scene {

class Mesh : public SceneObject {
public:
    // Reads `name` + ".obj"; the three paths are the diffuse, normal and height maps (an empty
    // path: no such map).
    Mesh(const glm::mat4& modelMatrix, std::string name, const std::string& diffusePath,
         const std::string& normalPath, const std::string& heightPath);
    ~Mesh() override;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Records the chosen attributes of `shader` (which must be in use) into `vao`, sets the
    // three sampler uniforms and binds the three textures to units 0, 1, 2.
    void setupVertexArray(Shader* shader, bool position, bool normal, bool uv, bool tangent, bool bitangent);
    void draw() override;
    // Draws `instances` copies in one call (the program tells them apart by gl_InstanceID).
    void drawInstanced(int instances);
    // Draws the triangles in the order given (triangle numbers, each at most once), through a
    // second element buffer refilled on every call; `elementBuffer` keeps the file's order.
    void drawInOrder(const std::vector<std::uint32_t>& triangleOrder);
    void update() override {}

    GLuint vao = 0;
    GLuint vertexBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint uvBuffer = 0;
    GLuint elementBuffer = 0;
    GLuint orderedElementBuffer = 0; // made by the first drawInOrder
    GLuint tangentBuffer = 0;
    GLuint bitangentBuffer = 0;
    Texture* diffuseTexture = nullptr;
    Texture* normalTexture = nullptr;
    Texture* heightTexture = nullptr;

    std::vector<glm::vec3> vertices;
    std::vector<glm::vec2> uvs;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec3> tangents;
    std::vector<glm::vec3> bitangents;
    std::vector<unsigned int> indices;
    // GL_UNSIGNED_SHORT while the mesh fits 16-bit indices, GL_UNSIGNED_INT beyond that.
    GLenum indexType = GL_UNSIGNED_SHORT;

private:
    std::vector<std::uint16_t> orderedShortIndices;
    std::vector<unsigned int> orderedIndices;
};

// The level, with the brick textures.
class World : public Mesh {
public:
    World(const glm::mat4& modelMatrix, std::string name);
};

// The sphere drawn at every light, with its own textures.
class Ball : public Mesh {
public:
    Ball(const glm::mat4& modelMatrix, std::string name);
};

// A coarse sphere for the bodies of lights past the first fifty: geometry only (the programs
// that draw the bodies read no texture).
class BodySphere : public Mesh {
public:
    BodySphere(const glm::mat4& modelMatrix, std::string name);
};

} // namespace scene

} // namespace vantor
