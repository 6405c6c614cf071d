#pragma once
// The sky: a cube of half-extent 50 and a cube map from six face images
// (right, left, top, bottom, front, back onto +X, -X, +Y, -Y, +Z, -Z).

#include <GL/glew.h>

#include <string>
#include <vector>

namespace vantor {

class Skybox {
public:
    Skybox();
    ~Skybox();
    Skybox(const Skybox&) = delete;
    Skybox& operator=(const Skybox&) = delete;

    // Cube map from six face paths onto +X, -X, +Y, -Y, +Z, -Z; leaves texture unit 1 active.
    GLuint loadCubemap(std::vector<std::string> faces);
    // One face as RGBA, rows bottom-up; a file that cannot be read gives an empty buffer and 0 x 0.
    std::vector<unsigned char> loadFaceImage(std::string path, int& width, int& height);

    GLuint cubemapTexture = 0;
    GLuint skyboxVAO = 0;
    GLuint skyboxVBO = 0;
};

} // namespace vantor
