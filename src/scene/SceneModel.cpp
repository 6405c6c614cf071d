#include "scene/SceneModel.h"

#include <algorithm>
#include <numeric>

namespace vantor {

namespace scene {

namespace {

// position 3, normal 3, uv 2, tangent 3, bitangent 3
constexpr int floatsPerVertex = 14;

GLuint solidTexture(unsigned char r, unsigned char g, unsigned char b) {
    const unsigned char texel[4] = {r, g, b, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

GLuint imageTexture(const SceneImage& image) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(image.width), GLsizei(image.height), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image.rgba.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // Floors and walls seen at a grazing angle stay sharp along their length.
    if (GLEW_EXT_texture_filter_anisotropic) {
        GLfloat most = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &most);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::min(most, 8.0f));
    }
    return name;
}

void attribute(GLuint program, const char* name, GLint size, int offset) {
    const GLint location = glGetAttribLocation(program, name);
    if (location < 0)
        return;
    glEnableVertexAttribArray(GLuint(location));
    glVertexAttribPointer(GLuint(location), size, GL_FLOAT, GL_FALSE, floatsPerVertex * sizeof(float),
                          reinterpret_cast<const void*>(std::uintptr_t(offset) * sizeof(float)));
}

} // namespace

SceneModel::SceneModel(const SceneData& data, const glm::mat4& modelMatrix)
    : modelMatrix(modelMatrix), materials(data.materials), meshCount(data.meshes.size()),
      triangleCount(data.triangles), imageCount(data.images.size()), loadSeconds(data.loadSeconds) {
    if (materials.empty())
        materials.emplace_back();
    white = solidTexture(255, 255, 255);
    flatNormal = solidTexture(128, 128, 255);
    for (const SceneImage& image : data.images) {
        const bool readable = !image.rgba.empty() && image.width > 0 && image.height > 0;
        unreadImages += readable ? 0 : 1;
        textures.push_back(readable ? imageTexture(image) : 0);
    }

    // Meshes in material order: one material's draws follow each other.
    std::vector<std::size_t> order(data.meshes.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return data.meshes[a].material < data.meshes[b].material;
    });

    std::uint64_t vertexTotal = 0;
    for (const SceneMesh& mesh : data.meshes) {
        vertexTotal += mesh.positions.size();
        indexTotal += mesh.indices.size();
    }
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertexTotal * floatsPerVertex * sizeof(float)), nullptr,
                 GL_STATIC_DRAW);
    glGenBuffers(1, &elementBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elementBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indexTotal * sizeof(std::uint32_t)), nullptr,
                 GL_STATIC_DRAW);

    // One mesh at a time, so the staging copies stay the size of the largest mesh.
    std::vector<float> vertices;
    std::vector<std::uint32_t> indices;
    std::uint64_t vertexBase = 0;
    std::uint64_t indexBase = 0;
    for (std::size_t n : order) {
        const SceneMesh& mesh = data.meshes[n];
        vertices.clear();
        vertices.reserve(mesh.positions.size() * floatsPerVertex);
        for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
            const glm::vec3& p = mesh.positions[i];
            const glm::vec3 nrm = i < mesh.normals.size() ? mesh.normals[i] : glm::vec3(0.0f);
            const glm::vec2 uv = i < mesh.uvs.size() ? mesh.uvs[i] : glm::vec2(0.0f);
            const glm::vec3 t = i < mesh.tangents.size() ? mesh.tangents[i] : glm::vec3(0.0f);
            const glm::vec3 b = i < mesh.bitangents.size() ? mesh.bitangents[i] : glm::vec3(0.0f);
            vertices.insert(vertices.end(),
                            {p.x, p.y, p.z, nrm.x, nrm.y, nrm.z, uv.x, uv.y, t.x, t.y, t.z, b.x, b.y, b.z});
        }
        indices.clear();
        for (std::uint32_t index : mesh.indices)
            indices.push_back(static_cast<std::uint32_t>(vertexBase + index));
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(vertexBase * floatsPerVertex * sizeof(float)),
                        GLsizeiptr(vertices.size() * sizeof(float)), vertices.data());
        glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, GLintptr(indexBase * sizeof(std::uint32_t)),
                        GLsizeiptr(indices.size() * sizeof(std::uint32_t)), indices.data());
        const int material =
            mesh.material >= 0 && std::size_t(mesh.material) < materials.size() ? mesh.material : 0;
        draws.push_back({material, indexBase, static_cast<std::uint32_t>(indices.size())});
        maskedDraws += masked(draws.back()) ? 1 : 0;
        vertexBase += mesh.positions.size();
        indexBase += indices.size();
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

SceneModel::~SceneModel() {
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &elementBuffer);
    glDeleteVertexArrays(1, &vao);
    for (GLuint texture : textures)
        if (texture)
            glDeleteTextures(1, &texture);
    glDeleteTextures(1, &white);
    glDeleteTextures(1, &flatNormal);
}

void SceneModel::setupVertexArray(Shader* shader) {
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    attribute(shader->program, "position", 3, 0);
    attribute(shader->program, "normal", 3, 3);
    attribute(shader->program, "uv", 2, 6);
    attribute(shader->program, "tangent", 3, 8);
    attribute(shader->program, "bitangent", 3, 11);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SceneModel::drawDepth() {
    if (indexTotal == 0)
        return;
    glBindVertexArray(vao);
    if (maskedDraws == 0) {
        glDrawElements(GL_TRIANGLES, GLsizei(indexTotal), GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
        return;
    }
    // Draws lie in index order, so each run of solid ones between cut-outs is one call.
    std::size_t i = 0;
    while (i < draws.size()) {
        if (masked(draws[i])) {
            ++i;
            continue;
        }
        const std::uint64_t first = draws[i].firstIndex;
        std::uint64_t count = 0;
        for (; i < draws.size() && !masked(draws[i]); ++i)
            count += draws[i].indexCount;
        glDrawElements(GL_TRIANGLES, GLsizei(count), GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(std::uintptr_t(first * sizeof(std::uint32_t))));
    }
    glBindVertexArray(0);
}

GLuint SceneModel::baseColourTexture(const SceneMaterial& m) const {
    const int image = m.baseColourImage;
    return image >= 0 && std::size_t(image) < textures.size() && textures[std::size_t(image)]
               ? textures[std::size_t(image)]
               : white;
}

void SceneModel::drawDepthMasked(Shader* shader) {
    const GLuint program = shader->program;
    glUniform1i(glGetUniformLocation(program, "DiffuseTextureSampler"), 0);
    const GLint colourLocation = glGetUniformLocation(program, "baseColour");
    const GLint cutoffLocation = glGetUniformLocation(program, "alphaCutoff");
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(vao);
    int current = -1;
    for (const Draw& draw : draws) {
        if (!masked(draw))
            continue;
        if (draw.material != current) {
            current = draw.material;
            const SceneMaterial& m = materials[std::size_t(current)];
            glUniform4f(colourLocation, m.baseColour.r, m.baseColour.g, m.baseColour.b, m.baseColour.a);
            glUniform1f(cutoffLocation, m.alphaCutoff);
            glBindTexture(GL_TEXTURE_2D, baseColourTexture(m));
        }
        glDrawElements(
            GL_TRIANGLES, GLsizei(draw.indexCount), GL_UNSIGNED_INT,
            reinterpret_cast<const void*>(std::uintptr_t(draw.firstIndex * sizeof(std::uint32_t))));
    }
    glBindVertexArray(0);
}

void SceneModel::drawSurfaces(Shader* shader, bool normalMaps, bool parallax) {
    const GLuint program = shader->program;
    glUniform1i(glGetUniformLocation(program, "DiffuseTextureSampler"), 0);
    glUniform1i(glGetUniformLocation(program, "NormalTextureSampler"), 1);
    glUniform1i(glGetUniformLocation(program, "HeightTextureSampler"), 2);
    const auto textureOf = [&](int image, GLuint fallback) {
        return image >= 0 && std::size_t(image) < textures.size() && textures[std::size_t(image)]
                   ? textures[std::size_t(image)]
                   : fallback;
    };
    glBindVertexArray(vao);
    int current = -1;
    for (const Draw& draw : draws) {
        if (draw.material != current) {
            current = draw.material;
            const SceneMaterial& m = materials[std::size_t(current)];
            glUniform4f(glGetUniformLocation(program, "baseColour"), m.baseColour.r, m.baseColour.g,
                        m.baseColour.b, m.baseColour.a);
            glUniform1f(glGetUniformLocation(program, "specular"), m.specular);
            glUniform1f(glGetUniformLocation(program, "alphaCutoff"), m.alphaCutoff);
            const bool normalMap = normalMaps && textureOf(m.normalImage, 0) != 0;
            const bool heightMap = parallax && textureOf(m.heightImage, 0) != 0;
            glUniform1i(glGetUniformLocation(program, "useNormalMap"), normalMap ? 1 : 0);
            glUniform1i(glGetUniformLocation(program, "useParallax"), heightMap ? 1 : 0);
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, textureOf(m.baseColourImage, white));
            glActiveTexture(GL_TEXTURE1);
            glBindTexture(GL_TEXTURE_2D, textureOf(m.normalImage, flatNormal));
            glActiveTexture(GL_TEXTURE2);
            glBindTexture(GL_TEXTURE_2D, textureOf(m.heightImage, white));
        }
        glDrawElements(
            GL_TRIANGLES, GLsizei(draw.indexCount), GL_UNSIGNED_INT,
            reinterpret_cast<const void*>(std::uintptr_t(draw.firstIndex * sizeof(std::uint32_t))));
    }
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
}

} // namespace scene

} // namespace vantor
