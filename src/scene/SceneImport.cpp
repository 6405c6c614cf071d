#include "scene/SceneImport.h"

#include "gpu/AssetFile.h"
#include "gpu/Image.h"
#include "platform/FileDescriptor.h"
#include "scene/SceneFit.h"
#include "scene/SceneMaterials.h"

#include <assimp/DefaultLogger.hpp>
#include <assimp/GltfMaterial.h>
#include <assimp/Importer.hpp>
#include <assimp/LogStream.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <new>
#include <set>
#include <utility>

namespace vantor {

namespace scene {

namespace {

glm::mat4 toGlm(const aiMatrix4x4& m) {
    // assimp's matrices are row-major, glm's column-major.
    glm::mat4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r[col][row] = m[row][col];
    return r;
}

bool finite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

class Reader {
public:
    Reader(const aiScene& ai, std::string folder, SceneData& out,
           std::function<void(std::size_t, std::size_t)> imagesRead)
        : ai(ai), folder(std::move(folder)), out(out), imagesRead(std::move(imagesRead)) {}

    bool materials(std::string& why) {
        // Names, not distinct images: an upper bound for the progress lines.
        for (unsigned i = 0; i < ai.mNumMaterials; ++i)
            for (aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE, aiTextureType_NORMALS,
                                       aiTextureType_HEIGHT, aiTextureType_OPACITY})
                imageTotal += ai.mMaterials[i]->GetTextureCount(type) > 0 ? 1 : 0;
        if (ai.mNumMaterials == 0) {
            out.materials.emplace_back();
            return true;
        }
        for (unsigned i = 0; i < ai.mNumMaterials; ++i) {
            if (!material(*ai.mMaterials[i], why))
                return false;
        }
        return true;
    }

    bool nodes(std::string& why) {
        // Depth-first without recursion, so a deep or looping hierarchy cannot exhaust the stack.
        struct Visit {
            const aiNode* node;
            glm::mat4 parent;
            unsigned depth;
        };
        const int upAxis = metaInt("UpAxis", 1);
        const int upSign = metaInt("UpAxisSign", 1);
        std::vector<Visit> stack{{ai.mRootNode, scenefit::upAxisRotation(upAxis, upSign), 0}};
        while (!stack.empty()) {
            const Visit visit = stack.back();
            stack.pop_back();
            if (visit.depth > scenelimits::nodeDepth) {
                why = "node hierarchy deeper than " + std::to_string(scenelimits::nodeDepth);
                return false;
            }
            const glm::mat4 world = visit.parent * toGlm(visit.node->mTransformation);
            for (unsigned i = 0; i < visit.node->mNumMeshes; ++i) {
                const unsigned index = visit.node->mMeshes[i];
                if (index >= ai.mNumMeshes) {
                    why = "node names mesh " + std::to_string(index) + " of " + std::to_string(ai.mNumMeshes);
                    return false;
                }
                if (!mesh(*ai.mMeshes[index], world, why))
                    return false;
            }
            for (unsigned i = visit.node->mNumChildren; i-- > 0;)
                stack.push_back({visit.node->mChildren[i], world, visit.depth + 1});
        }
        return true;
    }

private:
    int metaInt(const char* key, int fallback) const {
        int value = fallback;
        if (ai.mMetaData && ai.mMetaData->Get(key, value))
            return value;
        return fallback;
    }

    bool material(const aiMaterial& m, std::string& why) {
        SceneMaterial mat;
        aiColor4D colour(1.0f, 1.0f, 1.0f, 1.0f);
        // A base colour carries its own alpha (glTF's importer repeats it as the opacity, which
        // must not count twice); a diffuse colour's alpha is the separate opacity (MTL's d).
        if (m.Get(AI_MATKEY_BASE_COLOR, colour) != AI_SUCCESS) {
            m.Get(AI_MATKEY_COLOR_DIFFUSE, colour);
            float opacity = 1.0f;
            if (m.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS && std::isfinite(opacity))
                colour.a = opacity;
        }
        mat.baseColour = glm::vec4(scenematerials::encodeColour({colour.r, colour.g, colour.b}),
                                   std::isfinite(colour.a) ? std::clamp(colour.a, 0.0f, 1.0f) : 1.0f);

        float metallic = 0.0f;
        float roughness = 1.0f;
        const bool hasMetallic = m.Get(AI_MATKEY_METALLIC_FACTOR, metallic) == AI_SUCCESS;
        const bool hasRoughness = m.Get(AI_MATKEY_ROUGHNESS_FACTOR, roughness) == AI_SUCCESS;
        aiColor3D specular(0.0f, 0.0f, 0.0f);
        float strength = 1.0f;
        if (hasMetallic || hasRoughness) {
            mat.specular = scenematerials::specularFromMetallicRoughness(metallic, roughness);
        } else if (m.Get(AI_MATKEY_COLOR_SPECULAR, specular) == AI_SUCCESS) {
            m.Get(AI_MATKEY_SHININESS_STRENGTH, strength);
            mat.specular = scenematerials::specularFromColour({specular.r, specular.g, specular.b}, strength);
        }

        aiString alphaMode;
        if (m.Get(AI_MATKEY_GLTF_ALPHAMODE, alphaMode) == AI_SUCCESS &&
            std::string(alphaMode.C_Str()) == "MASK") {
            float cutoff = 0.5f;
            m.Get(AI_MATKEY_GLTF_ALPHACUTOFF, cutoff);
            mat.alphaCutoff = std::isfinite(cutoff) ? std::clamp(cutoff, 0.0f, 1.0f) : 0.5f;
        }

        if (!image(m, aiTextureType_BASE_COLOR, mat.baseColourImage, why) ||
            (mat.baseColourImage < 0 && !image(m, aiTextureType_DIFFUSE, mat.baseColourImage, why)) ||
            !image(m, aiTextureType_NORMALS, mat.normalImage, why) ||
            !image(m, aiTextureType_HEIGHT, mat.heightImage, why))
            return false;
        int opacityImage = -1;
        if (!image(m, aiTextureType_OPACITY, opacityImage, why))
            return false;
        // A separate cut-out mask (MTL's map_d) becomes the colour image's alpha.
        if (opacityImage >= 0) {
            mat.alphaCutoff = 0.5f;
            maskInto(mat.baseColourImage, opacityImage);
        }
        out.materials.push_back(mat);
        return true;
    }

    // The image a material names for `type`, decoded once per distinct name; -1 when it names
    // none. Only the image count can fail the load.
    bool image(const aiMaterial& m, aiTextureType type, int& index, std::string& why) {
        aiString name;
        if (m.GetTextureCount(type) == 0 || m.GetTexture(type, 0, &name) != AI_SUCCESS || name.length == 0)
            return true;
        const std::string key = name.C_Str();
        const auto known = imageIndex.find(key);
        if (known != imageIndex.end()) {
            index = known->second;
            return true;
        }
        if (out.images.size() >= scenelimits::images) {
            why = "more than " + std::to_string(scenelimits::images) + " images";
            return false;
        }
        SceneImage picture;
        picture.name = key;
        if (const aiTexture* embedded = ai.GetEmbeddedTexture(key.c_str()))
            decodeEmbedded(*embedded, picture);
        else
            picture.rgba = loadImageRGBA(imagePath(key), picture.width, picture.height);
        index = static_cast<int>(out.images.size());
        imageIndex.emplace(key, index);
        out.images.push_back(std::move(picture));
        imagesRead(out.images.size(), imageTotal);
        return true;
    }

    // Beside the model, as the file names it; a name that leads elsewhere (an absolute path from
    // the modeller's machine) is looked for by its last part beside the model.
    std::string imagePath(std::string name) const {
        std::replace(name.begin(), name.end(), '\\', '/');
        const bool absolute = !name.empty() && (name[0] == '/' || (name.size() > 1 && name[1] == ':'));
        const std::string named = absolute ? name : folder + name;
        std::error_code error;
        if (std::filesystem::exists(named, error))
            return named;
        const std::string beside = folder + name.substr(name.find_last_of('/') + 1);
        return std::filesystem::exists(beside, error) ? beside : named;
    }

    void decodeEmbedded(const aiTexture& texture, SceneImage& picture) {
        std::string why;
        if (texture.mHeight == 0) {
            // Compressed: mWidth is the byte count.
            picture.rgba = decodeImageRGBA(reinterpret_cast<const unsigned char*>(texture.pcData),
                                           texture.mWidth, picture.width, picture.height, why);
        } else if (texture.mWidth <= 16384 && texture.mHeight <= 16384) {
            picture.width = texture.mWidth;
            picture.height = texture.mHeight;
            picture.rgba.resize(std::size_t(picture.width) * picture.height * 4);
            // Texels arrive top row first; the textures here keep the bottom row first.
            for (unsigned y = 0; y < picture.height; ++y)
                for (unsigned x = 0; x < picture.width; ++x) {
                    const aiTexel& t =
                        texture.pcData[std::size_t(picture.height - 1 - y) * picture.width + x];
                    unsigned char* p = &picture.rgba[(std::size_t(y) * picture.width + x) * 4];
                    p[0] = t.r;
                    p[1] = t.g;
                    p[2] = t.b;
                    p[3] = t.a;
                }
        } else {
            why = "larger than 16384 texels a side";
        }
        if (picture.rgba.empty()) {
            picture.width = picture.height = 0;
            std::cerr << "Image not loaded: " << picture.name << " (embedded): " << why << std::endl;
        }
    }

    void maskInto(int colourImage, int maskImage) {
        const SceneImage& mask = out.images[static_cast<std::size_t>(maskImage)];
        if (colourImage < 0 || mask.rgba.empty())
            return;
        SceneImage& colour = out.images[static_cast<std::size_t>(colourImage)];
        if (colour.width != mask.width || colour.height != mask.height)
            return;
        for (std::size_t i = 0; i + 3 < colour.rgba.size(); i += 4)
            colour.rgba[i + 3] = mask.rgba[i];
    }

    bool mesh(const aiMesh& m, const glm::mat4& world, std::string& why) {
        if (!(m.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) || m.mNumVertices == 0 || !m.mVertices)
            return true;
        corners += m.mNumVertices;
        triangles += m.mNumFaces;
        if (corners > scenelimits::corners || triangles > scenelimits::triangles) {
            why = "more than " + std::to_string(scenelimits::triangles) + " triangles or " +
                  std::to_string(scenelimits::corners) + " corners";
            return false;
        }
        SceneMesh mesh;
        mesh.material = m.mMaterialIndex < out.materials.size() ? static_cast<int>(m.mMaterialIndex) : 0;
        const glm::mat3 frame(world);
        const glm::mat3 normalFrame = glm::transpose(glm::inverse(frame));
        mesh.positions.reserve(m.mNumVertices);
        for (unsigned i = 0; i < m.mNumVertices; ++i) {
            if (!finite(m.mVertices[i])) {
                why = "position " + std::to_string(i) + " of mesh \"" + m.mName.C_Str() + "\" is not finite";
                return false;
            }
            const glm::vec4 p = world * glm::vec4(m.mVertices[i].x, m.mVertices[i].y, m.mVertices[i].z, 1.0f);
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                why = "node transform of mesh \"" + std::string(m.mName.C_Str()) + "\" is not finite";
                return false;
            }
            mesh.positions.emplace_back(p);
            mesh.normals.push_back(direction(normalFrame, m.mNormals, i));
            mesh.uvs.emplace_back(m.mTextureCoords[0]
                                      ? glm::vec2(m.mTextureCoords[0][i].x, m.mTextureCoords[0][i].y)
                                      : glm::vec2(0.0f));
            mesh.tangents.push_back(direction(frame, m.mTangents, i));
            mesh.bitangents.push_back(direction(frame, m.mBitangents, i));
        }
        mesh.indices.reserve(std::size_t(m.mNumFaces) * 3);
        for (unsigned f = 0; f < m.mNumFaces; ++f) {
            const aiFace& face = m.mFaces[f];
            if (face.mNumIndices != 3)
                continue;
            for (unsigned c = 0; c < 3; ++c) {
                if (face.mIndices[c] >= m.mNumVertices) {
                    why = "index " + std::to_string(face.mIndices[c]) + " out of range in mesh \"" +
                          m.mName.C_Str() + "\"";
                    return false;
                }
                mesh.indices.push_back(face.mIndices[c]);
            }
        }
        if (mesh.indices.empty())
            return true;
        faceNormalsWhereMissing(mesh);
        for (const glm::vec3& p : mesh.positions) {
            out.boundsMin = glm::min(out.boundsMin, p);
            out.boundsMax = glm::max(out.boundsMax, p);
        }
        out.triangles += mesh.indices.size() / 3;
        out.meshes.push_back(std::move(mesh));
        return true;
    }

    // A corner whose normal is missing or zero (files carry such, and smoothing a degenerate face
    // gives them) takes the area-weighted normal of the faces around it, or straight up.
    static void faceNormalsWhereMissing(SceneMesh& mesh) {
        std::vector<std::uint32_t> missing;
        for (std::uint32_t i = 0; i < mesh.normals.size(); ++i)
            if (mesh.normals[i] == glm::vec3(0.0f))
                missing.push_back(i);
        if (missing.empty())
            return;
        std::vector<glm::vec3> sums(mesh.positions.size(), glm::vec3(0.0f));
        for (std::size_t f = 0; f + 2 < mesh.indices.size(); f += 3) {
            const std::uint32_t a = mesh.indices[f], b = mesh.indices[f + 1], c = mesh.indices[f + 2];
            const glm::vec3 n =
                glm::cross(mesh.positions[b] - mesh.positions[a], mesh.positions[c] - mesh.positions[a]);
            sums[a] += n;
            sums[b] += n;
            sums[c] += n;
        }
        for (std::uint32_t i : missing) {
            const float length = glm::length(sums[i]);
            mesh.normals[i] =
                length > 0.0f && std::isfinite(length) ? sums[i] / length : glm::vec3(0.0f, 1.0f, 0.0f);
        }
    }

    // A normal, tangent or bitangent into world space; a missing or broken one becomes zero,
    // which the geometry pass replaces with a frame of its own.
    static glm::vec3 direction(const glm::mat3& frame, const aiVector3D* list, unsigned i) {
        if (!list || !finite(list[i]))
            return glm::vec3(0.0f);
        const glm::vec3 d = frame * glm::vec3(list[i].x, list[i].y, list[i].z);
        const float length = glm::length(d);
        return length > 0.0f && std::isfinite(length) ? d / length : glm::vec3(0.0f);
    }

    const aiScene& ai;
    std::string folder;
    SceneData& out;
    std::map<std::string, int> imageIndex;
    std::function<void(std::size_t, std::size_t)> imagesRead;
    std::uint64_t corners = 0;
    std::uint64_t triangles = 0;
    std::size_t imageTotal = 0;
};

// A large scene takes seconds to read: past the first second, its progress goes to standard
// output in steps of a tenth, so a long load is seen to move. A small one prints nothing.
class ConsoleProgress : public Assimp::ProgressHandler {
public:
    explicit ConsoleProgress(std::string path) : path(std::move(path)) {}
    bool Update(float share) override {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const int tenth = std::isfinite(share) ? std::clamp(int(share * 10.0f), 0, 10) : 0;
        if (seconds >= 1.0 && tenth > shown && tenth < 10) {
            shown = tenth;
            std::cout << "Scene: reading " << path << ": " << tenth * 10 << " %" << std::endl;
        }
        return true;
    }
    void images(std::size_t done, std::size_t total) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // `total` counts image names, shared ones too: it only sets the step.
        if (seconds >= 1.0 && total >= 10 && done % (total / 10) == 0)
            std::cout << "Scene: " << done << " images read" << std::endl;
    }

private:
    std::string path;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    int shown = 0;
};

// Why a path is no model file to open, before assimp is asked.
std::string unopenable(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return "no such file";
    if (std::filesystem::is_directory(status))
        return "a folder, not a model file";
    if (!std::filesystem::is_regular_file(status))
        return "not a regular file";
    if (std::filesystem::file_size(path, error) > scenelimits::fileBytes)
        return "larger than 1 GB";
    return "cannot be read";
}

// A binary glTF states its length and its JSON chunk's length up front, and assimp allocates what
// they claim before reading: a few damaged bytes would ask for gigabytes. Both must fit the file.
std::string glbClaimsTooMuch(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char header[20] = {};
    const bool whole = bool(file.read(reinterpret_cast<char*>(header), sizeof header));
    if (std::memcmp(header, "glTF", 4) != 0)
        return std::string();
    // Shorter than its own header, it sends assimp reading past the end of what it read.
    if (!whole)
        return "damaged binary glTF header: the file is shorter than its 20-byte header";
    const auto word = [&](int at) {
        return std::uint64_t(header[at]) | std::uint64_t(header[at + 1]) << 8 |
               std::uint64_t(header[at + 2]) << 16 | std::uint64_t(header[at + 3]) << 24;
    };
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(path, error);
    if (error)
        return std::string();
    if (word(8) > size || word(12) > size - std::min<std::uint64_t>(size, 20))
        return "damaged binary glTF header: it claims " + std::to_string(std::max(word(8), word(12))) +
               " bytes, the file has " + std::to_string(size);
    return std::string();
}

// assimp 5.2 reads an accessor's elements without checking they lie within its bufferView and the
// view within its buffer: a damaged offset reads past the buffer. The glTF JSON is checked first.
std::string gltfAccessorOutsideItsView(std::string json) {
    // assimp's JSON reader takes any bytes inside strings, this one only UTF-8: a name with a stray
    // byte would leave the whole document unchecked. Outside strings JSON is ASCII, so every other
    // byte can stand in for them without changing a number.
    for (char& c : json)
        if (static_cast<unsigned char>(c) >= 0x80)
            c = '?';
    // assimp's reader takes the first of two values under one name in an object, this one the last:
    // the check would read other offsets than assimp does.
    bool nameTwice = false;
    std::vector<std::set<std::string>> names;
    const auto track = [&](int, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
        if (event == nlohmann::json::parse_event_t::object_start)
            names.emplace_back();
        else if (event == nlohmann::json::parse_event_t::object_end && !names.empty())
            names.pop_back();
        else if (event == nlohmann::json::parse_event_t::key && !names.empty())
            nameTwice = !names.back().insert(parsed.get<std::string>()).second || nameTwice;
        return true;
    };
    const nlohmann::json document = nlohmann::json::parse(json, track, false);
    if (document.is_discarded() || !document.is_object())
        return std::string(); // assimp says what is wrong with it
    if (nameTwice)
        return "a JSON object gives one name twice";
    const auto array = [&](const char* name) {
        const auto it = document.find(name);
        return it != document.end() && it->is_array() ? *it : nlohmann::json::array();
    };
    const auto number = [](const nlohmann::json& object, const char* name, std::uint64_t fallback) {
        const auto it = object.find(name);
        return it != object.end() && it->is_number_unsigned() ? it->get<std::uint64_t>() : fallback;
    };
    const nlohmann::json buffers = array("buffers"), views = array("bufferViews"),
                         accessors = array("accessors");
    for (const nlohmann::json& view : views) {
        const std::uint64_t buffer = number(view, "buffer", ~0ull);
        if (!view.is_object() || buffer >= buffers.size() || !buffers[buffer].is_object())
            continue;
        if (number(view, "byteOffset", 0) + number(view, "byteLength", 0) >
            number(buffers[buffer], "byteLength", 0))
            return "a bufferView reaches past its buffer";
    }
    const std::map<std::string, std::uint64_t> components{
        {"SCALAR", 1}, {"VEC2", 2}, {"VEC3", 3}, {"VEC4", 4}, {"MAT2", 4}, {"MAT3", 9}, {"MAT4", 16}};
    for (const nlohmann::json& accessor : accessors) {
        const std::uint64_t view = number(accessor, "bufferView", ~0ull);
        if (!accessor.is_object() || view >= views.size() || !views[view].is_object())
            continue;
        const auto type = accessor.find("type");
        const std::uint64_t type_size =
            number(accessor, "componentType", 0) == 5126 || number(accessor, "componentType", 0) == 5125 ? 4
            : number(accessor, "componentType", 0) >= 5122                                               ? 2
                                                                                                         : 1;
        if (type == accessor.end() || !type->is_string() || !components.count(type->get<std::string>()))
            continue;
        const std::uint64_t element = type_size * components.at(type->get<std::string>());
        const std::uint64_t count = number(accessor, "count", 0);
        const std::uint64_t stride = std::max(number(views[view], "byteStride", 0), element);
        if (count == 0 || count > (1ull << 32))
            continue;
        if (number(accessor, "byteOffset", 0) + (count - 1) * stride + element >
            number(views[view], "byteLength", 0))
            return "an accessor reaches past its bufferView";
    }
    return std::string();
}

// assimp 5.2 reads an embedded image's format from the text after the '/' of its glTF "mimeType"
// and crashes on one without a '/'. glTF's JSON (a .gltf file, a .glb's first chunk) is checked
// for such a value first.
std::string gltfMimeTypeWithoutSlash(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string text;
    char start[20] = {};
    if (!file.read(start, sizeof start))
        return std::string();
    if (std::memcmp(start, "glTF", 4) == 0) {
        const std::uint32_t length =
            std::uint32_t(std::uint8_t(start[12])) | std::uint32_t(std::uint8_t(start[13])) << 8 |
            std::uint32_t(std::uint8_t(start[14])) << 16 | std::uint32_t(std::uint8_t(start[15])) << 24;
        text.resize(length); // within the file: glbClaimsTooMuch has checked
        file.read(text.data(), std::streamsize(length));
        text.resize(std::size_t(file.gcount()));
    } else {
        const std::size_t dot = path.find_last_of('.');
        std::string extension = dot == std::string::npos ? std::string() : path.substr(dot + 1);
        for (char& c : extension)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (extension != "gltf")
            return std::string();
        text.assign(start, sizeof start);
        text.append(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    const std::string outside = gltfAccessorOutsideItsView(text);
    if (!outside.empty())
        return outside;
    const std::string key = "\"mimeType\"";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + key.size())) {
        std::size_t i = at + key.size();
        while (i < text.size() && (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == ':'))
            ++i;
        if (i >= text.size() || text[i] != '"')
            continue;
        const std::size_t end = text.find('"', i + 1);
        const std::string value =
            text.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
        if (value.find('/') == std::string::npos)
            return "an image's mimeType has no '/': not a MIME type";
    }
    return std::string();
}

// assimp drops some faults with a warning only (faces whose indices lie outside the mesh); the
// warnings are caught so such a file fails like any other broken one.
class WarningCatcher : public Assimp::LogStream {
public:
    WarningCatcher() {
        Assimp::DefaultLogger::create(nullptr, Assimp::Logger::NORMAL, 0);
        Assimp::DefaultLogger::get()->attachStream(this, Assimp::Logger::Warn | Assimp::Logger::Err);
    }
    ~WarningCatcher() override {
        Assimp::DefaultLogger::get()->detachStream(this, Assimp::Logger::Warn | Assimp::Logger::Err);
        Assimp::DefaultLogger::kill();
    }
    WarningCatcher(const WarningCatcher&) = delete;
    WarningCatcher& operator=(const WarningCatcher&) = delete;
    void write(const char* message) override {
        if (outOfRange.empty() && std::string(message).find("out-of-range") != std::string::npos)
            outOfRange = message;
    }
    std::string outOfRange;
};

bool importInto(const std::string& path, SceneData& scene, std::string& why) {
    const int fd = openAssetFile(path, scenelimits::fileBytes);
    if (fd < 0) {
        why = unopenable(path);
        return false;
    }
    closeDescriptor(fd);

    why = glbClaimsTooMuch(path);
    if (why.empty())
        why = gltfMimeTypeWithoutSlash(path);
    if (!why.empty())
        return false;

    Assimp::Importer importer;
    // Points and lines are dropped; what remains is triangles.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    const unsigned flags = aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenSmoothNormals |
                           aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                           aiProcess_ValidateDataStructure;
    // The importer owns the handler it is given.
    ConsoleProgress* progress = new ConsoleProgress(path);
    importer.SetProgressHandler(progress);
    WarningCatcher warnings;
    const aiScene* ai = importer.ReadFile(path, flags);
    if (ai && !warnings.outOfRange.empty()) {
        why = "index out of range: faces name corners their mesh does not have";
        return false;
    }
    if (!ai) {
        why = importer.GetErrorString();
        // assimp's messages may span lines; the report is one.
        std::replace(why.begin(), why.end(), '\n', ' ');
        if (why.empty())
            why = "not a model file assimp reads";
        return false;
    }
    if ((ai->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !ai->mRootNode || ai->mNumMeshes == 0) {
        why = "no meshes";
        return false;
    }
    scene.boundsMin = glm::vec3(INFINITY);
    scene.boundsMax = glm::vec3(-INFINITY);
    Reader reader(*ai, folderOf(path), scene,
                  [progress](std::size_t done, std::size_t total) { progress->images(done, total); });
    if (!reader.materials(why) || !reader.nodes(why))
        return false;
    if (scene.meshes.empty()) {
        why = "no triangles";
        return false;
    }
    return true;
}

} // namespace

bool importScene(const std::string& path, SceneData& scene, std::string& why) {
    const auto start = std::chrono::steady_clock::now();
    scene = SceneData();
    bool ok = false;
    try {
        ok = importInto(path, scene, why);
    } catch (const std::bad_alloc&) {
        why = "more than this machine's memory";
    } catch (const std::exception& e) {
        why = e.what();
    }
    if (!ok) {
        scene = SceneData();
        if (why.empty())
            why = "unreadable";
        return false;
    }
    scene.loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return true;
}

std::string sceneSummaryLine(const std::string& path, const SceneData& scene) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", scene.loadSeconds);
    return "Scene loaded: " + path + ": " + std::to_string(scene.meshes.size()) + " meshes, " +
           std::to_string(scene.triangles) + " triangles, " + std::to_string(scene.images.size()) +
           " images in " + seconds + " s";
}

std::string sceneFailureLine(const std::string& path, const std::string& why) {
    return "Scene not loaded: " + path + ": " + why;
}

} // namespace scene

} // namespace vantor
