#pragma once
// The sky: a cube of half-extent 50 and a cube map from six face images
// (right, left, top, bottom, front, back onto +X, -X, +Y, -Y, +Z, -Z).

#include <GL/glew.h>

#include <string>
#include <vector>

class Skybox {
public:
    Skybox();
    ~Skybox();
    Skybox(const Skybox&) = delete;
    Skybox& operator=(const Skybox&) = delete;

    GLuint loadCubemap(std::vector<std::string> faces);

    GLuint cubemapTexture = 0;
    GLuint skyboxVAO = 0;
    GLuint skyboxVBO = 0;
};
