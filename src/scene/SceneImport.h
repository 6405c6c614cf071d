#pragma once
// Reads a model file (glTF 2.0, OBJ with its MTL, FBX, COLLADA, PLY, STL ...) through assimp into
// SceneData. Needs no GL context. Everything that can be wrong with the file (unreadable, a
// missing buffer, an index out of range, a position that is not finite, no triangles, more than
// the limits below) fails the whole load with one reason; an image that cannot be read is not a
// failure: it is named in one line on standard error and its material gets a neutral texture.

#include "scene/SceneData.h"

#include <cstdint>
#include <string>

namespace vantor {

namespace scene {

namespace scenelimits {
// The model file itself (buffers and images beside it are bounded by the importer's own checks).
constexpr std::uint64_t fileBytes = 1ull << 30;
// What the renderer takes in, corners and triangles over all meshes after node instancing: far
// beyond the largest scenes shown with such renderers, well within memory.
constexpr std::uint64_t corners = 24ull << 20;
constexpr std::uint64_t triangles = 16ull << 20;
constexpr unsigned images = 1024;
constexpr unsigned nodeDepth = 256;
} // namespace scenelimits

// Fills `scene` from `path`. False, with `why` saying what is wrong (one line, without the
// path) and `scene` empty, when the file cannot be used.
bool importScene(const std::string& path, SceneData& scene, std::string& why);

// The line a failed load is reported with: "Scene not loaded: <path>: <why>".
std::string sceneFailureLine(const std::string& path, const std::string& why);

// The line a load is announced with: "Scene loaded: <path>: M meshes, T triangles, I images in S s".
std::string sceneSummaryLine(const std::string& path, const SceneData& scene);

} // namespace scene

} // namespace vantor
