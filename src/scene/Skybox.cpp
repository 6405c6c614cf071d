#include "scene/Skybox.h"

#include "gpu/Image.h"

namespace vantor {

namespace {

constexpr float halfExtent = 50.0f;

// Six faces, two triangles each.
void fillSkyboxVertices(float (&v)[108]) {
    const float p = halfExtent;
    const float n = -halfExtent;
    const float corners[108] = {
        n, p, n, n, n, n, p, n, n, p, n, n, p, p, n, n, p, n, // z = -50
        n, n, p, n, n, n, n, p, n, n, p, n, n, p, p, n, n, p, // x = -50
        p, n, n, p, n, p, p, p, p, p, p, p, p, p, n, p, n, n, // x = +50
        n, n, p, n, p, p, p, p, p, p, p, p, p, n, p, n, n, p, // z = +50
        n, p, n, p, p, n, p, p, p, p, p, p, n, p, p, n, p, n, // y = +50
        n, n, n, n, n, p, p, n, n, p, n, n, n, n, p, p, n, p, // y = -50
    };
    for (int i = 0; i < 108; ++i)
        v[i] = corners[i];
}

} // namespace

Skybox::Skybox() {
    float skyboxVertices[108];
    fillSkyboxVertices(skyboxVertices);

    glGenVertexArrays(1, &skyboxVAO);
    glBindVertexArray(skyboxVAO);
    glGenBuffers(1, &skyboxVBO);
    glBindBuffer(GL_ARRAY_BUFFER, skyboxVBO);
    glBufferData(GL_ARRAY_BUFFER, sizeof(skyboxVertices), skyboxVertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, skyboxVBO);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);

    std::vector<std::string> faces;
    for (const char* literal :
         {"Quarnvale/Textures/right.png", "Quarnvale/Textures/left.png", "Quarnvale/Textures/top.png",
          "Quarnvale/Textures/bottom.png", "Quarnvale/Textures/front.png", "Quarnvale/Textures/back.png"})
        faces.push_back("../" + std::string(literal));
    cubemapTexture = loadCubemap(faces);

    glBindVertexArray(0);
}

Skybox::~Skybox() {
    // Deleting name 0 is ignored, so releasing twice is harmless.
    glDeleteTextures(1, &cubemapTexture);
    glDeleteBuffers(1, &skyboxVBO);
    glDeleteVertexArrays(1, &skyboxVAO);
    cubemapTexture = 0;
    skyboxVBO = 0;
    skyboxVAO = 0;
}

GLuint Skybox::loadCubemap(std::vector<std::string> faces) {
    GLuint textureID = 0;
    glGenTextures(1, &textureID);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_CUBE_MAP, textureID);

    for (std::size_t i = 0; i < faces.size(); ++i) {
        int width = 0;
        int height = 0;
        const std::vector<unsigned char> pixels = loadFaceImage(faces[i], width, height);
        // A missing face uploads as 0 x 0 from no data; the cube map is then incomplete.
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i), 0, GL_RGBA, width, height, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, pixels.empty() ? nullptr : pixels.data());
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);

    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return textureID;
}

std::vector<unsigned char> Skybox::loadFaceImage(std::string path, int& width, int& height) {
    unsigned w = 0;
    unsigned h = 0;
    std::vector<unsigned char> pixels = loadImageRGBA(path, w, h);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return pixels;
}

} // namespace vantor
