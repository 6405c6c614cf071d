#include "render/ColorTarget.h"

namespace vantor {

ColorTarget::~ColorTarget() {
    release();
}

GLuint ColorTarget::fit(int newWidth, int newHeight) {
    if (framebuffer && newWidth == width && newHeight == height)
        return framebuffer;
    release();
    width = newWidth;
    height = newHeight;
    texture = makeTexture();
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (pictures == 2) {
        secondTexture = makeTexture();
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, secondTexture, 0);
        const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        glDrawBuffers(2, both);
    }
    return framebuffer;
}

GLuint ColorTarget::makeTexture() const {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(internalFormat), width, height, 0,
                 internalFormat == GL_R8 ? GL_RED : GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

void ColorTarget::release() {
    // Never made: no GL call, so a target whose owner never drew needs no context.
    if (!framebuffer)
        return;
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &texture);
    glDeleteTextures(1, &secondTexture);
    framebuffer = texture = secondTexture = 0;
    width = height = 0;
}

} // namespace vantor
