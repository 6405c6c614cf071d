#include "render/GBuffer.h"

#include "gpu/GlProfile.h"

#include "render/PostProcessing.h"

#include <iostream>

namespace vantor {

GBuffer::~GBuffer() {
    release();
}

void GBuffer::createGBufferTargets(int width, int height) {
    glGenFramebuffers(1, &gBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, gBuffer);

    struct Attachment {
        GLuint* texture;
        GLint internalFormat;
        GLenum format;
        GLenum type;
    };
    // WebGL2 renders into no three-channel float format: four channels there, the fourth unused.
    const GLint vectors = glprofile::webGl ? GL_RGBA16F : GL_RGB16F;
    const GLenum vectorLayout = glprofile::webGl ? GL_RGBA : GL_RGB;
    const Attachment layout[3] = {
        {&gPosition, vectors, vectorLayout, GL_FLOAT},
        {&gNormal, vectors, vectorLayout, GL_FLOAT},
        {&gColorSpec, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE},
    };
    for (int i = 0; i < 3; ++i) {
        glGenTextures(1, layout[i].texture);
        glBindTexture(GL_TEXTURE_2D, *layout[i].texture);
        glTexImage2D(GL_TEXTURE_2D, 0, layout[i].internalFormat, width, height, 0, layout[i].format,
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
    storeBlitDepth(width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, blitDepthAttachment, GL_RENDERBUFFER, rboDepth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "Framebuffer not complete!" << std::endl;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void GBuffer::releaseGBufferTargets() {
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

void GBuffer::createSampler() {
    // The geometry pass reads the level's maps from the nearest mip level, bilinearly: a
    // software rasteriser pays about twice for trilinear fetches, and the bricks look the same.
    glGenSamplers(1, &gBufferSampler);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void GBuffer::release() {
    releaseGBufferTargets();
    if (gBufferSampler)
        glDeleteSamplers(1, &gBufferSampler);
    gBufferSampler = 0;
}

} // namespace vantor
