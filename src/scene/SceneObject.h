#pragma once
// Base of the meshes read from Wavefront OBJ files. Holds the model matrix and the mesh
// preparation every mesh shares: the OBJ reader (one position, texture coordinate and
// normal per triangle corner), per-corner tangents for normal and parallax mapping, and
// the merging of equal corners into an indexed mesh. None of it needs a GL context.

#include <glm/glm.hpp>

#include <cmath>

#include <string>
#include <vector>

namespace vantor {

namespace scene {

class SceneObject {
public:
    explicit SceneObject(glm::mat4 modelMatrix);
    virtual ~SceneObject() = default;

    virtual void update() = 0;
    virtual void draw() = 0;

    // Reads the v/vt/vn/"f a/b/c a/b/c a/b/c" subset into an unindexed triangle list,
    // appending to the three lists. False, with the lists untouched, when the file cannot
    // be opened or holds something outside the subset.
    virtual bool readObj(std::string path, std::vector<glm::vec3>& outVertices,
                         std::vector<glm::vec2>& outUvs, std::vector<glm::vec3>& outNormals);
    virtual bool readObjPositions(std::string path, std::vector<glm::vec3>& outVertices);
    virtual bool readVertexPositions(std::string path, std::vector<glm::vec3>& outVertices);
    virtual void indexUnmerged(const std::vector<glm::vec3>& inVertices, const std::vector<glm::vec2>& inUvs,
                               const std::vector<glm::vec3>& inNormals, std::vector<unsigned int>& outIndices,
                               std::vector<glm::vec3>& outVertices, std::vector<glm::vec2>& outUvs,
                               std::vector<glm::vec3>& outNormals);

    void computeTangents(const std::vector<glm::vec3>& vertices, const std::vector<glm::vec2>& uvs,
                         const std::vector<glm::vec3>& normals, std::vector<glm::vec3>& tangents,
                         std::vector<glm::vec3>& bitangents);

    // Merges corners whose position, uv and normal all lie within 0.01 per component of an
    // earlier corner (the earliest such corner wins); merged tangents are summed.
    void indexWithTangents(const std::vector<glm::vec3>& inVertices, const std::vector<glm::vec2>& inUvs,
                           const std::vector<glm::vec3>& inNormals, const std::vector<glm::vec3>& inTangents,
                           const std::vector<glm::vec3>& inBitangents, std::vector<unsigned int>& outIndices,
                           std::vector<glm::vec3>& outVertices, std::vector<glm::vec2>& outUvs,
                           std::vector<glm::vec3>& outNormals, std::vector<glm::vec3>& outTangents,
                           std::vector<glm::vec3>& outBitangents);

    // The same merge with the literal linear scan of findSimilarVertex: quadratic, kept as
    // the reference the hashed merge above is checked against.
    void indexWithTangentsLinear(const std::vector<glm::vec3>& inVertices,
                                 const std::vector<glm::vec2>& inUvs, const std::vector<glm::vec3>& inNormals,
                                 const std::vector<glm::vec3>& inTangents,
                                 const std::vector<glm::vec3>& inBitangents,
                                 std::vector<unsigned int>& outIndices, std::vector<glm::vec3>& outVertices,
                                 std::vector<glm::vec2>& outUvs, std::vector<glm::vec3>& outNormals,
                                 std::vector<glm::vec3>& outTangents, std::vector<glm::vec3>& outBitangents);

    // The literal linear scan over the corners merged so far; kept as the reference the
    // fast merge is checked against.
    bool findSimilarVertex(const glm::vec3& vertex, const glm::vec2& uv, const glm::vec3& normal,
                           const std::vector<glm::vec3>& outVertices, const std::vector<glm::vec2>& outUvs,
                           const std::vector<glm::vec3>& outNormals, unsigned int& result);

    // Inline: the merge calls it for every candidate corner.
    static bool isNear(float a, float b) { return std::fabs(a - b) < 0.01f; }

    glm::mat4 modelMatrix;
};

} // namespace scene

} // namespace vantor
