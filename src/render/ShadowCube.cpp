#include "render/ShadowCube.h"

#include "gpu/Shader.h"
#include "render/FrameMath.h"

#include <iostream>
#include <string>

namespace vantor {

ShadowCube::ShadowCube() : shadowProj(framemath::shadowProjection(nearPlane, farPlane)) {}

ShadowCube::~ShadowCube() {
    release();
}

void ShadowCube::create() {
    glGenTextures(1, &depthCubemap);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, depthCubemap);
    allocateDepthCubeFaces(shadowWidth, shadowHeight);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);

    glGenFramebuffers(1, &depthMapFBO);
    glBindFramebuffer(GL_FRAMEBUFFER, depthMapFBO);
    attachDepthCube(depthCubemap);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "Framebuffer not complete!" << std::endl;
    drawDepthOnly();
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    // The lighting pass compares one stored depth per pixel: blending four depths would only
    // blur the comparison, and costs a software rasteriser about a millisecond a frame.
    glGenSamplers(1, &shadowSampler);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
}

void ShadowCube::cacheMatrixLocations(const Shader& program) {
    shadowMatrixLocations.clear();
    glUseProgram(program.program);
    for (int i = 0; i < 6; ++i) {
        const std::string name = "cm_mat[" + std::to_string(i) + "]";
        shadowMatrixLocations.push_back(glGetUniformLocation(program.program, name.c_str()));
    }
    shadowLocationsGeneration = program.generation;
}

void ShadowCube::buildTransforms() {
    shadowTransforms.clear();
    for (const glm::mat4& face : framemath::shadowFaceMatrices(shadowProj, lightPos))
        shadowTransforms.push_back(face);
}

void ShadowCube::release() {
    shadowCache.release();
    // Names 0 are skipped: a cube never made may have no GL context to call.
    if (depthCubemap)
        glDeleteTextures(1, &depthCubemap);
    if (depthMapFBO)
        glDeleteFramebuffers(1, &depthMapFBO);
    if (shadowSampler)
        glDeleteSamplers(1, &shadowSampler);
    depthCubemap = depthMapFBO = shadowSampler = 0;
}

} // namespace vantor
