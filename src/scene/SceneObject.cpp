#include "scene/SceneObject.h"

#include "gpu/AssetFile.h"
#include "platform/FileDescriptor.h"
#include "scene/CornerIndex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vantor {

namespace scene {

namespace {

const char* const openFailedMessage = "Impossible to open the file !\n";
const char* const unsupportedFaceMessage =
    "File can't be read by our simple parser :-( Try exporting with other options\n";

std::FILE* openForReading(const std::string& path) {
    // Only a regular file of at most 512 MB: a directory would pass as a model without
    // triangles, a FIFO would block and a link to /dev/zero would never end.
    const int fd = openAssetFile(path, assetlimits::modelBytes);
    std::FILE* file = fd >= 0 ? streamOnDescriptor(fd, "r") : nullptr;
    if (fd >= 0 && !file)
        closeDescriptor(fd);
    if (!file) {
        std::printf("%s", openFailedMessage);
        std::printf("%s", path.c_str());
        std::fflush(stdout);
    }
    return file;
}

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Unit length, or false when the vector is zero or not finite. Scaling by the largest
// component first keeps tiny vectors from underflowing to a zero length.
bool normalizeSafely(glm::vec3& v) {
    if (!isFinite(v))
        return false;
    const float largest = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    if (largest == 0.0f)
        return false;
    v /= largest;
    v /= std::sqrt(glm::dot(v, v));
    return true;
}

// Some unit vector perpendicular to n; (1, 0, 0) when n has no direction.
glm::vec3 anyPerpendicular(glm::vec3 n) {
    if (!normalizeSafely(n))
        return glm::vec3(1.0f, 0.0f, 0.0f);
    const glm::vec3 a = std::fabs(n.x) <= std::fabs(n.y) && std::fabs(n.x) <= std::fabs(n.z)
                            ? glm::vec3(1.0f, 0.0f, 0.0f)
                        : std::fabs(n.y) <= std::fabs(n.z) ? glm::vec3(0.0f, 1.0f, 0.0f)
                                                           : glm::vec3(0.0f, 0.0f, 1.0f);
    glm::vec3 t = glm::cross(n, a);
    normalizeSafely(t); // |t| >= sqrt(2/3): n is unit and a is its least aligned axis
    return t;
}

// Reads positions that follow `keyword`, passing over every other token.
bool readPositionsAfter(const std::string& path, const char* keyword, std::vector<glm::vec3>& outVertices) {
    std::FILE* file = openForReading(path);
    if (!file)
        return false;
    char lineHeader[128];
    while (std::fscanf(file, "%127s", lineHeader) == 1) {
        if (std::strcmp(lineHeader, keyword) == 0) {
            glm::vec3 vertex(0.0f);
            std::fscanf(file, "%f %f %f\n", &vertex.x, &vertex.y, &vertex.z);
            outVertices.push_back(vertex);
        }
    }
    std::fclose(file);
    return true;
}

} // namespace

SceneObject::SceneObject(glm::mat4 modelMatrix) : modelMatrix(modelMatrix) {}

bool SceneObject::readObj(std::string path, std::vector<glm::vec3>& outVertices,
                          std::vector<glm::vec2>& outUvs, std::vector<glm::vec3>& outNormals) {
    std::FILE* file = openForReading(path);
    if (!file)
        return false;

    // Signed, so that zero and negative (relative) indices can be recognised and refused.
    std::vector<int> vertexIndices, uvIndices, normalIndices;
    std::vector<glm::vec3> temp_vertices;
    std::vector<glm::vec2> temp_uvs;
    std::vector<glm::vec3> temp_normals;

    char lineHeader[128];
    char stupidBuffer[1000];
    while (std::fscanf(file, "%127s", lineHeader) == 1) {
        if (std::strcmp(lineHeader, "v") == 0) {
            glm::vec3 vertex(0.0f);
            std::fscanf(file, "%f %f %f\n", &vertex.x, &vertex.y, &vertex.z);
            temp_vertices.push_back(vertex);
        } else if (std::strcmp(lineHeader, "vt") == 0) {
            glm::vec2 uv(0.0f);
            std::fscanf(file, "%f %f\n", &uv.x, &uv.y);
            uv.y = -uv.y;
            temp_uvs.push_back(uv);
        } else if (std::strcmp(lineHeader, "vn") == 0) {
            glm::vec3 normal(0.0f);
            std::fscanf(file, "%f %f %f\n", &normal.x, &normal.y, &normal.z);
            temp_normals.push_back(normal);
        } else if (std::strcmp(lineHeader, "f") == 0) {
            int vertexIndex[3], uvIndex[3], normalIndex[3];
            // Nine digits at most keep every conversion inside an int.
            const int matches = std::fscanf(file, "%9d/%9d/%9d %9d/%9d/%9d %9d/%9d/%9d\n", &vertexIndex[0],
                                            &uvIndex[0], &normalIndex[0], &vertexIndex[1], &uvIndex[1],
                                            &normalIndex[1], &vertexIndex[2], &uvIndex[2], &normalIndex[2]);
            if (matches != 9) {
                std::printf("%s", unsupportedFaceMessage);
                std::fflush(stdout);
                std::fclose(file);
                return false;
            }
            for (int corner = 0; corner < 3; ++corner) {
                vertexIndices.push_back(vertexIndex[corner]);
                uvIndices.push_back(uvIndex[corner]);
                normalIndices.push_back(normalIndex[corner]);
            }
        } else {
            // Rest of the line; a longer line goes on as further tokens.
            if (!std::fgets(stupidBuffer, sizeof stupidBuffer, file))
                break;
        }
    }
    std::fclose(file);

    const auto inRange = [](int index, std::size_t size) {
        return index >= 1 && static_cast<std::size_t>(index) <= size;
    };
    for (std::size_t i = 0; i < vertexIndices.size(); ++i) {
        if (!inRange(vertexIndices[i], temp_vertices.size()) || !inRange(uvIndices[i], temp_uvs.size()) ||
            !inRange(normalIndices[i], temp_normals.size())) {
            std::printf("Face index out of range (zero, negative or past the last v, vt or vn line) in %s\n",
                        path.c_str());
            std::fflush(stdout);
            return false;
        }
    }

    outVertices.reserve(outVertices.size() + vertexIndices.size());
    outUvs.reserve(outUvs.size() + vertexIndices.size());
    outNormals.reserve(outNormals.size() + vertexIndices.size());
    for (std::size_t i = 0; i < vertexIndices.size(); ++i) {
        outVertices.push_back(temp_vertices[vertexIndices[i] - 1]);
        outUvs.push_back(temp_uvs[uvIndices[i] - 1]);
        outNormals.push_back(temp_normals[normalIndices[i] - 1]);
    }
    return true;
}

bool SceneObject::readObjPositions(std::string path, std::vector<glm::vec3>& outVertices) {
    return readPositionsAfter(path, "v", outVertices);
}

bool SceneObject::readVertexPositions(std::string path, std::vector<glm::vec3>& outVertices) {
    return readPositionsAfter(path, "vertex", outVertices);
}

void SceneObject::indexUnmerged(const std::vector<glm::vec3>& inVertices, const std::vector<glm::vec2>& inUvs,
                                const std::vector<glm::vec3>& inNormals,
                                std::vector<unsigned int>& outIndices, std::vector<glm::vec3>& outVertices,
                                std::vector<glm::vec2>& outUvs, std::vector<glm::vec3>& outNormals) {
    const std::size_t count = std::min({inVertices.size(), inUvs.size(), inNormals.size()});
    for (std::size_t i = 0; i < count; ++i) {
        outVertices.push_back(inVertices[i]);
        outUvs.push_back(inUvs[i]);
        outNormals.push_back(inNormals[i]);
        outIndices.push_back(static_cast<unsigned int>(outVertices.size() - 1));
    }
}

void SceneObject::computeTangents(const std::vector<glm::vec3>& vertices, const std::vector<glm::vec2>& uvs,
                                  const std::vector<glm::vec3>& normals, std::vector<glm::vec3>& tangents,
                                  std::vector<glm::vec3>& bitangents) {
    const std::size_t firstTangent = tangents.size();
    const std::size_t firstBitangent = bitangents.size();
    for (std::size_t i = 0; i + 2 < vertices.size(); i += 3) {
        const glm::vec3& v0 = vertices[i];
        const glm::vec3& v1 = vertices[i + 1];
        const glm::vec3& v2 = vertices[i + 2];
        const bool haveUvs = i + 2 < uvs.size();
        const glm::vec2 uv0 = haveUvs ? uvs[i] : glm::vec2(0.0f);
        const glm::vec2 uv1 = haveUvs ? uvs[i + 1] : glm::vec2(0.0f);
        const glm::vec2 uv2 = haveUvs ? uvs[i + 2] : glm::vec2(0.0f);

        const glm::vec3 deltaPos1 = v1 - v0;
        const glm::vec3 deltaPos2 = v2 - v0;
        const glm::vec2 deltaUV1 = uv1 - uv0;
        const glm::vec2 deltaUV2 = uv2 - uv0;

        const float determinant = deltaUV1.x * deltaUV2.y - deltaUV1.y * deltaUV2.x;
        const float r = 1.0f / determinant;
        glm::vec3 tangent = (deltaPos1 * deltaUV2.y - deltaPos2 * deltaUV1.y) * r;
        glm::vec3 bitangent = (deltaPos2 * deltaUV1.x - deltaPos1 * deltaUV2.x) * r;

        if (determinant == 0.0f || !isFinite(tangent) || !isFinite(bitangent)) {
            // The uvs do not span the triangle, so no direction follows from them: any
            // frame around the triangle's normal keeps the merged sums finite.
            glm::vec3 normal(0.0f);
            if (i + 2 < normals.size())
                normal = normals[i] + normals[i + 1] + normals[i + 2];
            if (!normalizeSafely(normal)) {
                normal = glm::cross(deltaPos1, deltaPos2);
                if (!normalizeSafely(normal))
                    normal = glm::vec3(0.0f, 0.0f, 1.0f);
            }
            tangent = anyPerpendicular(normal);
            bitangent = glm::cross(normal, tangent);
        }

        for (int corner = 0; corner < 3; ++corner) {
            tangents.push_back(tangent);
            bitangents.push_back(bitangent);
        }
    }

    for (std::size_t corner = 0; firstTangent + corner < tangents.size(); ++corner) {
        const glm::vec3 n = corner < normals.size() ? normals[corner] : glm::vec3(0.0f);
        glm::vec3& t = tangents[firstTangent + corner];
        const glm::vec3& b = bitangents[firstBitangent + corner];

        glm::vec3 orthogonal = t - n * glm::dot(n, t);
        // A tangent parallel to the normal (or a normal that is not finite) leaves nothing
        // to normalise; take any direction across the normal instead.
        if (!normalizeSafely(orthogonal))
            orthogonal = anyPerpendicular(n);
        t = orthogonal;

        if (glm::dot(glm::cross(n, t), b) < 0.0f)
            t = t * -1.0f;
    }
}

void SceneObject::indexWithTangents(
    const std::vector<glm::vec3>& inVertices, const std::vector<glm::vec2>& inUvs,
    const std::vector<glm::vec3>& inNormals, const std::vector<glm::vec3>& inTangents,
    const std::vector<glm::vec3>& inBitangents, std::vector<unsigned int>& outIndices,
    std::vector<glm::vec3>& outVertices, std::vector<glm::vec2>& outUvs, std::vector<glm::vec3>& outNormals,
    std::vector<glm::vec3>& outTangents, std::vector<glm::vec3>& outBitangents) {
    CornerIndex index(outVertices, outUvs, outNormals);
    const std::size_t existing = std::min(
        {outVertices.size(), outUvs.size(), outNormals.size(), outTangents.size(), outBitangents.size()});
    for (std::size_t k = 0; k < existing; ++k)
        index.add(static_cast<unsigned int>(k));

    const std::size_t count =
        std::min({inVertices.size(), inUvs.size(), inNormals.size(), inTangents.size(), inBitangents.size()});
    for (std::size_t i = 0; i < count; ++i) {
        unsigned int k = 0;
        if (index.find(inVertices[i], inUvs[i], inNormals[i], k)) {
            outIndices.push_back(k);
            outTangents[k] += inTangents[i];
            outBitangents[k] += inBitangents[i];
        } else {
            outVertices.push_back(inVertices[i]);
            outUvs.push_back(inUvs[i]);
            outNormals.push_back(inNormals[i]);
            outTangents.push_back(inTangents[i]);
            outBitangents.push_back(inBitangents[i]);
            const auto added = static_cast<unsigned int>(outVertices.size() - 1);
            outIndices.push_back(added);
            index.add(added);
        }
    }
}

void SceneObject::indexWithTangentsLinear(
    const std::vector<glm::vec3>& inVertices, const std::vector<glm::vec2>& inUvs,
    const std::vector<glm::vec3>& inNormals, const std::vector<glm::vec3>& inTangents,
    const std::vector<glm::vec3>& inBitangents, std::vector<unsigned int>& outIndices,
    std::vector<glm::vec3>& outVertices, std::vector<glm::vec2>& outUvs, std::vector<glm::vec3>& outNormals,
    std::vector<glm::vec3>& outTangents, std::vector<glm::vec3>& outBitangents) {
    const std::size_t count =
        std::min({inVertices.size(), inUvs.size(), inNormals.size(), inTangents.size(), inBitangents.size()});
    for (std::size_t i = 0; i < count; ++i) {
        unsigned int k = 0;
        if (findSimilarVertex(inVertices[i], inUvs[i], inNormals[i], outVertices, outUvs, outNormals, k) &&
            k < outTangents.size() && k < outBitangents.size()) {
            outIndices.push_back(k);
            outTangents[k] += inTangents[i];
            outBitangents[k] += inBitangents[i];
        } else {
            outVertices.push_back(inVertices[i]);
            outUvs.push_back(inUvs[i]);
            outNormals.push_back(inNormals[i]);
            outTangents.push_back(inTangents[i]);
            outBitangents.push_back(inBitangents[i]);
            outIndices.push_back(static_cast<unsigned int>(outVertices.size() - 1));
        }
    }
}

bool SceneObject::findSimilarVertex(const glm::vec3& vertex, const glm::vec2& uv, const glm::vec3& normal,
                                    const std::vector<glm::vec3>& outVertices,
                                    const std::vector<glm::vec2>& outUvs,
                                    const std::vector<glm::vec3>& outNormals, unsigned int& result) {
    const std::size_t count = std::min({outVertices.size(), outUvs.size(), outNormals.size()});
    for (std::size_t k = 0; k < count; ++k) {
        if (isNear(vertex.x, outVertices[k].x) && isNear(vertex.y, outVertices[k].y) &&
            isNear(vertex.z, outVertices[k].z) && isNear(uv.x, outUvs[k].x) && isNear(uv.y, outUvs[k].y) &&
            isNear(normal.x, outNormals[k].x) && isNear(normal.y, outNormals[k].y) &&
            isNear(normal.z, outNormals[k].z)) {
            result = static_cast<unsigned int>(k);
            return true;
        }
    }
    return false;
}

} // namespace scene

} // namespace vantor
