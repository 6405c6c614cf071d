#include "render/PostProcessing.h"

#include "gpu/StartupFailure.h"

namespace vantor {

namespace {

// One name per blur pass; their number is the number of passes.
const char* const blurPassNames[] = {"blur 1 (h)", "blur 2 (v)", "blur 3 (h)"};
const int blurPasses = sizeof(blurPassNames) / sizeof(blurPassNames[0]);

void allocateRGBA8(int width, int height) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

} // namespace

PostProcessing::PostProcessing(int width, int height) : width(width), height(height) {
    const GLfloat quad[18] = {-1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 0.0f, -1.0f, 1.0f, 0.0f,
                              -1.0f, 1.0f,  0.0f, 1.0f, -1.0f, 0.0f, 1.0f,  1.0f, 0.0f};
    for (int i = 0; i < 18; ++i)
        screenQuadVertices[i] = quad[i];

    if (!createTargets())
        throw StartupFailure("Fehler bei FBO anlegen", -1);

    glGenVertexArrays(1, &screenQuadVAO);
    glGenBuffers(1, &screenQuadVBO);
    glBindBuffer(GL_ARRAY_BUFFER, screenQuadVBO);
    glBufferData(GL_ARRAY_BUFFER, sizeof(screenQuadVertices), screenQuadVertices, GL_STATIC_DRAW);

    glGenSamplers(1, &linearSampler);
    glSamplerParameteri(linearSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(linearSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(linearSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(linearSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

PostProcessing::~PostProcessing() {
    releaseTargets();
    glDeleteVertexArrays(1, &screenQuadVAO);
    glDeleteBuffers(1, &screenQuadVBO);
    glDeleteSamplers(1, &linearSampler);
}

bool PostProcessing::createTargets() {
    blurWidth = (width + 1) / 2;
    blurHeight = (height + 1) / 2;

    // The two scene textures: parameters first, then storage.
    for (GLuint* texture : {&renderedTexture, &brightTexture}) {
        glGenTextures(1, texture);
        glBindTexture(GL_TEXTURE_2D, *texture);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        allocateRGBA8(width, height);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    // Same unsized depth format and size as the G-buffer's, so its depth can be blitted here.
    glGenRenderbuffers(1, &rboId);
    glBindRenderbuffer(GL_RENDERBUFFER, rboId);
    storeBlitDepth(width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    glGenFramebuffers(1, &sceneFBO);
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFBO);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, renderedTexture, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, brightTexture, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, blitDepthAttachment, GL_RENDERBUFFER, rboId);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    glGenFramebuffers(2, pingpongFBO);
    glGenTextures(2, pingpongColorbuffers);
    for (int i = 0; i < 2; ++i) {
        glBindFramebuffer(GL_FRAMEBUFFER, pingpongFBO[i]);
        glBindTexture(GL_TEXTURE_2D, pingpongColorbuffers[i]);
        allocateRGBA8(blurWidth, blurHeight);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, pingpongColorbuffers[i],
                               0);
        glGenRenderbuffers(1, &pingpongRboId[i]);
        glBindRenderbuffer(GL_RENDERBUFFER, pingpongRboId[i]);
#ifdef __EMSCRIPTEN__ // WebGL2 takes sized depth formats only
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, blurWidth, blurHeight);
#else
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, blurWidth, blurHeight);
#endif
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, pingpongRboId[i]);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return complete;
}

void PostProcessing::releaseTargets() {
    // Deleting name 0 is ignored, so this is safe to repeat.
    glDeleteFramebuffers(1, &sceneFBO);
    glDeleteFramebuffers(2, pingpongFBO);
    glDeleteTextures(1, &renderedTexture);
    glDeleteTextures(1, &brightTexture);
    glDeleteTextures(2, pingpongColorbuffers);
    glDeleteRenderbuffers(1, &rboId);
    glDeleteRenderbuffers(2, pingpongRboId);
    scaledPicture.release();
    sceneFBO = renderedTexture = brightTexture = rboId = 0;
    pingpongFBO[0] = pingpongFBO[1] = pingpongColorbuffers[0] = pingpongColorbuffers[1] = 0;
    pingpongRboId[0] = pingpongRboId[1] = 0;
}

bool PostProcessing::resize(int newWidth, int newHeight) {
    releaseTargets();
    width = newWidth;
    height = newHeight;
    return createTargets();
}

void PostProcessing::setWindowSize(int newWindowWidth, int newWindowHeight) {
    windowWidth = newWindowWidth;
    windowHeight = newWindowHeight;
}

void PostProcessing::drawQuad() {
    glEnableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, screenQuadVBO);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glDisableVertexAttribArray(0);
}

void PostProcessing::blur(Shader* shader, PassObserver* observer) {
    const OpaqueQuadState opaque;
    horizontal = true;
    for (int pass = 0; pass < blurPasses; ++pass)
        observedPass(observer, blurPassNames[pass], [&] {
            blurPass(shader, pass == 0);
            horizontal = !horizontal;
        });
    glBindSampler(0, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindVertexArray(0);
}

void PostProcessing::blurPass(Shader* shader, bool firstPass) {
    glBindVertexArray(screenQuadVAO);
    shader->use();

    const GLuint target = pingpongFBO[horizontal];
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glViewport(0, 0, blurWidth, blurHeight);
    // No clear: the quad overwrites every pixel, and nothing tests the target's depth.

    const GLint imageLocation = glGetUniformLocation(shader->program, "image");
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, firstPass ? brightTexture : pingpongColorbuffers[!horizontal]);
    // Only the first pass averages blocks; the others read texel centres of an image of
    // their own size, where the texture's own nearest filter returns the same values cheaper.
    glBindSampler(0, firstPass ? linearSampler : 0);
    glUniform1i(imageLocation, 0);
    // From a target pixel's window position to the texture coordinate of its centre in the
    // image read: a texel centre at the same size, the centre of a 2 x 2 block of the
    // full-size bright image in the first pass.
    const float sourceTexels = firstPass ? 2.0f : 1.0f;
    const int sourceWidth = firstPass ? width : blurWidth;
    const int sourceHeight = firstPass ? height : blurHeight;
    glUniform2f(glGetUniformLocation(shader->program, "pixelToUv"), sourceTexels / float(sourceWidth),
                sourceTexels / float(sourceHeight));
    glUniform1i(glGetUniformLocation(shader->program, "horizontal"), horizontal ? 1 : 0);

    const GLenum blurTarget = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &blurTarget);
    drawQuad();
}

void storeBlitDepth(int width, int height) {
#ifdef __EMSCRIPTEN__
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
#else
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
#endif
}

void PostProcessing::composite(Shader* shader, Shader* stretch) {
    const OpaqueQuadState opaque;
    const bool stretched = scaled();
    compositeInto(shader, stretched ? scaledPicture.fit(width, height) : 0);
    if (stretched)
        stretchToWindow(stretch, scaledPicture.texture);
}

GLuint PostProcessing::compositeToPicture(Shader* shader) {
    const OpaqueQuadState opaque;
    compositeInto(shader, scaledPicture.fit(width, height));
    return scaledPicture.texture;
}

void PostProcessing::compositeInto(Shader* shader, GLuint framebuffer) {
    glBindVertexArray(screenQuadVAO);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    // No clear: the opaque quad replaces every pixel of the target, whatever was there.

    shader->use();
    const GLint renderedLocation = glGetUniformLocation(shader->program, "renderedTexture");
    const GLint gaussianLocation = glGetUniformLocation(shader->program, "gaussianTexture");
    shader->use();

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, renderedTexture);
    glUniform1i(renderedLocation, 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, blurResult());
    glBindSampler(1, linearSampler);
    glUniform1i(gaussianLocation, 1);

    drawQuad();
    glBindSampler(1, 0);
    glBindVertexArray(0);
}

void PostProcessing::stretchToWindow(Shader* stretch, GLuint picture) {
    // Bilinear over the whole window; the text and the panel are drawn after this, at the
    // window's own resolution.
    const OpaqueQuadState opaque;
    glBindVertexArray(screenQuadVAO);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, windowWidth, windowHeight);
    stretch->use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, picture);
    glBindSampler(0, linearSampler);
    glUniform1i(glGetUniformLocation(stretch->program, "screenTexture"), 0);
    drawQuad();
    glBindSampler(0, 0);
    glBindVertexArray(0);
}

} // namespace vantor
