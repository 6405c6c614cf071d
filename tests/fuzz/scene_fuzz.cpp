// Fuzz target for the scene importer (assimp and everything after it): whatever the bytes, either
// a scene a renderer can draw as it stands (triangles within their meshes, finite positions, every
// image whole or empty) or a refusal with a one-line reason and nothing half-read. The format is
// told from the content, as a user's file would be by its extension, so the real files in
// tests/data/scenes seed it as they are.

#include "FuzzSupport.h"

#include "scene/SceneImport.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

using namespace vantor;

using fuzz::require;

namespace {

const char* extensionFor(const std::uint8_t* data, std::size_t size) {
    const auto startsWith = [&](const char* text) {
        const std::size_t n = std::strlen(text);
        return size >= n && std::memcmp(data, text, n) == 0;
    };
    if (startsWith("glTF"))
        return "glb";
    if (startsWith("{"))
        return "gltf";
    if (startsWith("Kaydara FBX Binary") || startsWith("; FBX"))
        return "fbx";
    if (startsWith("ply"))
        return "ply";
    if (startsWith("solid"))
        return "stl";
    if (startsWith("<?xml") || startsWith("<COLLADA"))
        return "dae";
    return "obj";
}

void check(const vantor::scene::SceneData& scene) {
    require(!scene.meshes.empty() && scene.triangles > 0, "a loaded scene has triangles");
    std::uint64_t triangles = 0;
    for (const vantor::scene::SceneMesh& mesh : scene.meshes) {
        require(mesh.normals.size() == mesh.positions.size() && mesh.uvs.size() == mesh.positions.size() &&
                    mesh.tangents.size() == mesh.positions.size() &&
                    mesh.bitangents.size() == mesh.positions.size(),
                "streams of one length");
        require(mesh.indices.size() % 3 == 0, "whole triangles");
        for (std::uint32_t i : mesh.indices)
            require(i < mesh.positions.size(), "indices within the mesh");
        for (const glm::vec3& p : mesh.positions)
            require(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z), "finite positions");
        require(mesh.material >= 0 && std::size_t(mesh.material) < scene.materials.size(), "material exists");
        triangles += mesh.indices.size() / 3;
    }
    require(triangles == scene.triangles, "triangle count");
    for (const vantor::scene::SceneImage& image : scene.images)
        require(image.rgba.size() == std::size_t(image.width) * image.height * 4, "images whole or empty");
    for (const vantor::scene::SceneMaterial& m : scene.materials)
        require(m.baseColourImage < int(scene.images.size()) && m.normalImage < int(scene.images.size()) &&
                    m.heightImage < int(scene.images.size()),
                "material images exist");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("demo_fuzz_scene_" + std::to_string(::getpid()) + "." + extensionFor(data, size)))
            .string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    require(file != nullptr, "scratch file cannot be written");
    if (size > 0)
        require(std::fwrite(data, 1, size, file) == size, "scratch file write");
    std::fclose(file);

    vantor::scene::SceneData scene;
    std::string why;
    if (vantor::scene::importScene(path, scene, why))
        check(scene);
    else
        require(!why.empty() && why.find('\n') == std::string::npos && scene.meshes.empty(),
                "a refusal has one line and leaves nothing");
    std::remove(path.c_str());
    return 0;
}
