// Fuzz target for the OBJ reader and the mesh preparation that follows it in every mesh
// constructor: readObj, computeTangents, indexWithTangents (checked against the linear merge),
// plus the two position-only readers on the same bytes.

#include "FuzzSupport.h"

#include "scene/SceneObject.h"

#include <cmath>
#include <cstring>
#include <vector>

using namespace vantor;

using fuzz::require;

namespace {

class PlainObject : public vantor::scene::SceneObject {
public:
    PlainObject() : SceneObject(glm::mat4(1.0f)) {}
    void update() override {}
    void draw() override {}
};

const char* const unsupportedFaceMessage =
    "File can't be read by our simple parser :-( Try exporting with other options\n";
const char* const indexRangePrefix = "Face index out of range";

// The merge is quadratic in the linear reference; past this the cross-check is skipped.
constexpr std::size_t linearCheckLimit = 20000;

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
bool finite(const glm::vec2& v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}

template <typename T> bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

template <typename T> bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool near(const glm::vec3& a, const glm::vec3& b) {
    using S = vantor::scene::SceneObject;
    return S::isNear(a.x, b.x) && S::isNear(a.y, b.y) && S::isNear(a.z, b.z);
}

bool near(const glm::vec2& a, const glm::vec2& b) {
    using S = vantor::scene::SceneObject;
    return S::isNear(a.x, b.x) && S::isNear(a.y, b.y);
}

void checkTangents(const std::vector<glm::vec3>& vertices, const std::vector<glm::vec2>& uvs,
                   const std::vector<glm::vec3>& normals, const std::vector<glm::vec3>& tangents,
                   const std::vector<glm::vec3>& bitangents) {
    require(tangents.size() == vertices.size() && bitangents.size() == vertices.size(),
            "one tangent and one bitangent per corner");
    for (std::size_t i = 0; i < vertices.size(); i += 3) {
        bool inputsFinite = true;
        for (std::size_t c = i; c < i + 3; ++c)
            inputsFinite = inputsFinite && finite(vertices[c]) && finite(uvs[c]) && finite(normals[c]);
        if (!inputsFinite)
            continue;
        for (std::size_t c = i; c < i + 3; ++c) {
            const glm::vec3& t = tangents[c];
            require(finite(t) && finite(bitangents[c]), "finite corners give finite tangents");
            require(std::fabs(glm::length(t) - 1.0f) < 1e-4f, "tangents are unit length");
            require(!(glm::dot(glm::cross(normals[c], t), bitangents[c]) < 0.0f),
                    "tangent, bitangent and normal form a right-handed frame");
        }
    }
}

void checkMerge(PlainObject& object, const std::vector<glm::vec3>& vertices,
                const std::vector<glm::vec2>& uvs, const std::vector<glm::vec3>& normals,
                const std::vector<glm::vec3>& tangents, const std::vector<glm::vec3>& bitangents) {
    std::vector<unsigned int> indices;
    std::vector<glm::vec3> outVertices, outNormals, outTangents, outBitangents;
    std::vector<glm::vec2> outUvs;
    object.indexWithTangents(vertices, uvs, normals, tangents, bitangents, indices, outVertices, outUvs,
                             outNormals, outTangents, outBitangents);
    const std::size_t kept = outVertices.size();
    require(indices.size() == vertices.size(), "one index per corner");
    require(outUvs.size() == kept && outNormals.size() == kept && outTangents.size() == kept &&
                outBitangents.size() == kept && kept <= vertices.size(),
            "merged lists of one length, no longer than the input");
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const unsigned int k = indices[i];
        require(k < kept, "index within the merged corners");
        const bool itself = sameBits(outVertices[k], vertices[i]) && sameBits(outUvs[k], uvs[i]) &&
                            sameBits(outNormals[k], normals[i]);
        require(itself || (near(outVertices[k], vertices[i]) && near(outUvs[k], uvs[i]) &&
                           near(outNormals[k], normals[i])),
                "a corner merges only into a close corner");
    }

    if (vertices.size() > linearCheckLimit)
        return;
    std::vector<unsigned int> linearIndices;
    std::vector<glm::vec3> linearVertices, linearNormals, linearTangents, linearBitangents;
    std::vector<glm::vec2> linearUvs;
    object.indexWithTangentsLinear(vertices, uvs, normals, tangents, bitangents, linearIndices,
                                   linearVertices, linearUvs, linearNormals, linearTangents,
                                   linearBitangents);
    require(linearIndices == indices, "hashed merge picks the corners the linear scan picks");
    require(sameBits(linearVertices, outVertices) && sameBits(linearUvs, outUvs) &&
                sameBits(linearNormals, outNormals) && sameBits(linearTangents, outTangents) &&
                sameBits(linearBitangents, outBitangents),
            "hashed merge builds the lists the linear scan builds");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile input("obj");
    static fuzz::StdoutCapture capture;
    const std::string& path = input.write(data, size);
    PlainObject object;

    // One sentinel entry each: the reader appends, and on failure leaves the lists alone.
    const glm::vec3 sentinel3(7.0f, -7.0f, 0.5f);
    const glm::vec2 sentinel2(-3.0f, 3.0f);
    std::vector<glm::vec3> vertices{sentinel3}, normals{sentinel3};
    std::vector<glm::vec2> uvs{sentinel2};
    capture.begin();
    const bool ok = object.readObj(path, vertices, uvs, normals);
    const std::string printed = capture.end();

    require(vertices.front() == sentinel3 && uvs.front() == sentinel2 && normals.front() == sentinel3,
            "entries already in the lists are kept");
    if (!ok) {
        require(vertices.size() == 1 && uvs.size() == 1 && normals.size() == 1,
                "a failed read leaves the lists unchanged");
        require(printed == unsupportedFaceMessage || printed.rfind(indexRangePrefix, 0) == 0,
                "a failed read says why");
    } else {
        require(printed.empty(), "a successful read prints nothing");
        require(uvs.size() == vertices.size() && normals.size() == vertices.size(),
                "one position, uv and normal per corner");
        require((vertices.size() - 1) % 3 == 0, "whole triangles");
    }

    std::vector<glm::vec3> positions{sentinel3};
    require(object.readObjPositions(path, positions) && positions.front() == sentinel3,
            "readObjPositions reads an existing file and appends");
    std::vector<glm::vec3> stlPositions{sentinel3};
    require(object.readVertexPositions(path, stlPositions) && stlPositions.front() == sentinel3,
            "readVertexPositions reads an existing file and appends");

    if (!ok)
        return 0;
    // What a mesh constructor does with the lists, starting from empty ones as the meshes do.
    vertices.erase(vertices.begin());
    uvs.erase(uvs.begin());
    normals.erase(normals.begin());
    std::vector<glm::vec3> tangents, bitangents;
    object.computeTangents(vertices, uvs, normals, tangents, bitangents);
    checkTangents(vertices, uvs, normals, tangents, bitangents);
    checkMerge(object, vertices, uvs, normals, tangents, bitangents);
    return 0;
}
