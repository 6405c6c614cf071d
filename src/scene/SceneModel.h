#pragma once
// A loaded scene on the GPU: every mesh in one set of interleaved vertex streams and one 32-bit
// element buffer, its images as mip-mapped, anisotropically filtered textures, and one draw per
// mesh, sorted by material so each material's uniforms and textures are set once. The shadow
// pass draws all of it in a single call.

#include "gpu/Shader.h"
#include "scene/SceneData.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

namespace vantor {

namespace scene {

class SceneModel {
public:
    // Uploads `data`; `modelMatrix` places it (see SceneFit). Needs a GL context.
    SceneModel(const SceneData& data, const glm::mat4& modelMatrix);
    ~SceneModel();
    SceneModel(const SceneModel&) = delete;
    SceneModel& operator=(const SceneModel&) = delete;

    // Points the attributes `shader` reads ("position", "normal", "uv", "tangent", "bitangent")
    // at the streams; the program must be in use.
    void setupVertexArray(Shader* shader);
    // Every triangle, for the depth of the shadow cube; when some materials are cut out, every
    // triangle of the others (drawDepthMasked draws the rest).
    void drawDepth();
    // Whether any material cuts fragments away ("alphaCutoff" above 0).
    bool hasMaskedMaterials() const { return maskedDraws > 0; }
    // The cut-out materials' triangles with "baseColour", "alphaCutoff" and the base colour map on
    // unit 0, for a shadow program that discards where the geometry pass does.
    void drawDepthMasked(Shader* shader);
    // Every draw with its material: "baseColour", "specular", "alphaCutoff", "useNormalMap",
    // "useParallax", the maps on units 0-2.
    void drawSurfaces(Shader* shader, bool normalMaps, bool parallax);

    glm::mat4 modelMatrix;

    struct Draw {
        int material;
        std::uint64_t firstIndex;
        std::uint32_t indexCount;
    };
    std::vector<Draw> draws;
    std::vector<SceneMaterial> materials;
    // One texture per image; an image that could not be read has the neutral one of its kind.
    std::vector<GLuint> textures;
    GLuint white = 0;      // a base colour of 1: the factor alone
    GLuint flatNormal = 0; // a normal map that bends nothing

    // What was loaded, for the panel.
    std::size_t meshCount = 0;
    std::uint64_t triangleCount = 0;
    std::size_t imageCount = 0;
    std::size_t unreadImages = 0;
    double loadSeconds = 0.0;

private:
    GLuint vao = 0;
    GLuint vertexBuffer = 0;
    GLuint elementBuffer = 0;
    std::uint64_t indexTotal = 0;
    std::size_t maskedDraws = 0;
    bool masked(const Draw& draw) const { return materials[std::size_t(draw.material)].alphaCutoff > 0.0f; }
    GLuint baseColourTexture(const SceneMaterial& m) const;
};

} // namespace scene

} // namespace vantor
