// The Game's own GL targets: the shadow cube and the G-buffer made at set-up, the screen-sized
// ones remade when the framebuffer changes size, and everything the Game owns released.

#include "render/Game.h"
#include "render/RenderScale.h"

#include <iostream>
#include <string>

Game::~Game() {
    // A program still in use is only flagged for deletion and outlives its Game. Mesa also
    // keeps, per shader stage, the last program that was current while that stage changed: a
    // program without a geometry stage that follows the shadow program stays referenced from
    // the geometry slot after glUseProgram(0). Making the shadow program (vertex, geometry,
    // fragment) current before none clears every slot.
    if (depthShader) {
        glUseProgram(depthShader->program);
        glUseProgram(0);
    }
    destroy();
    delete depthShader;
    delete finalShader;
    delete defaultShader;
    delete gBufferShader;
    delete lightingShader;
    delete nightSkyShader;
    delete textureShader;
    delete gaussShader;
    delete postProcessing;
    delete ball;
    delete smallBall;
    delete shadowBall;
    lightBodies.release();
    targetView.reset();
    fxaa.reset();
    sharpUpscale.reset();
    ambientOcclusion.reset();
    lightFrame.release();
    shadowCache.release();

    // Names 0 are skipped: a Game whose `init` never ran may have no GL context to call.
    releaseGBufferTargets();
    if (depthCubemap)
        glDeleteTextures(1, &depthCubemap);
    if (depthMapFBO)
        glDeleteFramebuffers(1, &depthMapFBO);
    if (quadVAO)
        glDeleteVertexArrays(1, &quadVAO);
    if (quadVBO)
        glDeleteBuffers(1, &quadVBO);
    for (GLuint sampler : {gBufferSampler, shadowSampler})
        if (sampler)
            glDeleteSamplers(1, &sampler);
}

bool Game::resize(int width, int height) {
    const SizeChange change =
        sizeChange(screenWidth, screenHeight, width, height, physicalMemoryBytes(), sizeLimits);
    if (change == SizeChange::TooLarge && (width != refusedWidth || height != refusedHeight))
        std::cout << "Window size " << width << " x " << height
                  << " is too large for this machine; the frame stays " << screenWidth << " x "
                  << screenHeight << std::endl;
    refusedWidth = change == SizeChange::TooLarge ? width : 0;
    refusedHeight = change == SizeChange::TooLarge ? height : 0;
    if (change != SizeChange::Resize)
        return change == SizeChange::Same;

    screenWidth = width;
    screenHeight = height;
    fitTargetsToScale();
    return true;
}

void Game::fitTargetsToScale() {
    // Remade only when the pixel count changes: the controller moves the scale in whole steps
    // and holds each for many frames, and a manual scale stays put between drags.
    postProcessing->setWindowSize(screenWidth, screenHeight);
    const renderscale::Size size = renderscale::internalSize(screenWidth, screenHeight, settings.renderScale);
    if (size.width == frameWidth && size.height == frameHeight)
        return;
    frameWidth = size.width;
    frameHeight = size.height;
    releaseGBufferTargets();
    createGBufferTargets();
    if (!postProcessing->resize(frameWidth, frameHeight))
        std::cout << "Framebuffer not complete!" << std::endl;
}

void Game::createShadowMap() {
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

void Game::cacheShadowMatrixLocations() {
    glUseProgram(depthShader->program);
    for (int i = 0; i < 6; ++i) {
        const std::string name = "cm_mat[" + std::to_string(i) + "]";
        shadowMatrixLocations.push_back(glGetUniformLocation(depthShader->program, name.c_str()));
    }
    shadowLocationsGeneration = depthShader->generation;
}

void Game::createGBuffer() {
    createGBufferTargets();

    // x, y, z, u, v per corner; drawn as a four-vertex strip.
    const GLfloat quadVertices[20] = {
        -1.0f, 1.0f, 0.0f, 0.0f, 1.0f, -1.0f, -1.0f, 0.0f, 0.0f, 0.0f,
        1.0f,  1.0f, 0.0f, 1.0f, 1.0f, 1.0f,  -1.0f, 0.0f, 1.0f, 0.0f,
    };
    glGenVertexArrays(1, &quadVAO);
    glGenBuffers(1, &quadVBO);
    glBindVertexArray(quadVAO);
    glBindBuffer(GL_ARRAY_BUFFER, quadVBO);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quadVertices), quadVertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(GLfloat), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(GLfloat),
                          reinterpret_cast<const void*>(3 * sizeof(GLfloat)));

    // The geometry pass reads the level's maps from the nearest mip level, bilinearly: a
    // software rasteriser pays about twice for trilinear fetches, and the bricks look the same.
    glGenSamplers(1, &gBufferSampler);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void Game::createGBufferTargets() {
    glGenFramebuffers(1, &gBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, gBuffer);

    struct Attachment {
        GLuint* texture;
        GLint internalFormat;
        GLenum format;
        GLenum type;
    };
#ifdef __EMSCRIPTEN__
    // WebGL2 renders into no three-channel float format: four channels, the fourth unused.
    const GLint vectors = GL_RGBA16F;
    const GLenum vectorLayout = GL_RGBA;
#else
    const GLint vectors = GL_RGB16F;
    const GLenum vectorLayout = GL_RGB;
#endif
    const Attachment layout[3] = {
        {&gPosition, vectors, vectorLayout, GL_FLOAT},
        {&gNormal, vectors, vectorLayout, GL_FLOAT},
        {&gColorSpec, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE},
    };
    for (int i = 0; i < 3; ++i) {
        glGenTextures(1, layout[i].texture);
        glBindTexture(GL_TEXTURE_2D, *layout[i].texture);
        glTexImage2D(GL_TEXTURE_2D, 0, layout[i].internalFormat, frameWidth, frameHeight, 0, layout[i].format,
                     layout[i].type, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, *layout[i].texture,
                               0);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    const GLenum attachments[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, attachments);

    glGenRenderbuffers(1, &rboDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, rboDepth);
    storeBlitDepth(frameWidth, frameHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, blitDepthAttachment, GL_RENDERBUFFER, rboDepth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "Framebuffer not complete!" << std::endl;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Game::releaseGBufferTargets() {
    for (GLuint* texture : {&gPosition, &gNormal, &gColorSpec}) {
        if (*texture)
            glDeleteTextures(1, texture);
        *texture = 0;
    }
    if (rboDepth)
        glDeleteRenderbuffers(1, &rboDepth);
    if (gBuffer)
        glDeleteFramebuffers(1, &gBuffer);
    rboDepth = gBuffer = 0;
}
