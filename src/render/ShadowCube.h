#pragma once
// The shadow light's depth cube: its texture, framebuffer and sampler, the light's place, the six
// face matrices seen from it, and the level's depth kept between frames. The shadow pass draws
// into it and the lighting pass reads it; both are the Game's.

#include "render/ShadowLevelCache.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

namespace vantor {

class Shader;

struct ShadowCube {
    ShadowCube();
    ~ShadowCube();
    ShadowCube(const ShadowCube&) = delete;
    ShadowCube& operator=(const ShadowCube&) = delete;

    // Makes the cube, its framebuffer and the sampler the lighting pass reads it through.
    void create();
    // Looks up the face matrices' locations in `program`, the shadow program (again whenever
    // that is rebuilt).
    void cacheMatrixLocations(const Shader& program);
    // The six face matrices for the light where it is now.
    void buildTransforms();
    // Deletes the GL names; safe to repeat, and to call without a context when none was made.
    void release();

    int shadowWidth = 1024;
    int shadowHeight = 1024;
    GLuint depthMapFBO = 0;
    GLuint depthCubemap = 0;
    // The lighting pass compares one stored depth per texel: nearest filtering.
    GLuint shadowSampler = 0;
    glm::vec3 lightPos{0.0f};
    float nearPlane = 0.01f;
    float farPlane = 3.0f;
    glm::mat4 shadowProj;
    std::vector<glm::mat4> shadowTransforms;
    std::vector<GLint> shadowMatrixLocations;
    // The shadow program's generation shadowMatrixLocations were looked up in.
    unsigned shadowLocationsGeneration = 0;
    // The level's depth, kept while the light rests; false renders every frame's cube from scratch.
    bool shadowCacheEnabled = true;
    ShadowLevelCache shadowCache{shadowWidth};
};

} // namespace vantor
