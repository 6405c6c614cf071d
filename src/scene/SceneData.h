#pragma once
// A model file's content as the renderer needs it, with no importer and no GL behind it: meshes
// already in the file's world space (node transforms applied), materials reduced to what the
// geometry pass reads, and every image decoded to RGBA once, however many materials share it.

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

namespace scene {

// One decoded picture, rows bottom-up like every texture here. Empty pixels: the image could not
// be read (the importer has said so) and the material falls back to its neutral texture.
struct SceneImage {
    std::string name;
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> rgba;
};

struct SceneMaterial {
    // Display-encoded like the texture it multiplies, alpha as given.
    glm::vec4 baseColour{1.0f};
    // Specular intensity as the lighting pass reads it from the G-buffer (0 to 1).
    float specular = 0.15f;
    // Fragments whose alpha is below this are cut away; negative: opaque.
    float alphaCutoff = -1.0f;
    // Indices into SceneData::images, -1 for none.
    int baseColourImage = -1;
    int normalImage = -1;
    int heightImage = -1;
};

struct SceneMesh {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<glm::vec3> tangents;
    std::vector<glm::vec3> bitangents;
    std::vector<std::uint32_t> indices; // triangles
    int material = 0;
};

struct SceneData {
    std::vector<SceneMesh> meshes;
    std::vector<SceneMaterial> materials;
    std::vector<SceneImage> images;
    // Bounds of every position, in the file's space turned Y-up.
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};
    std::uint64_t triangles = 0;
    double loadSeconds = 0.0;
};

} // namespace scene

} // namespace vantor
