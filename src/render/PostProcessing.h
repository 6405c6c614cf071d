#pragma once
// The back end of the frame: the lit-scene target (colour 0: the lit image, colour 1: what
// blooms), a separable blur that ping-pongs between two half-size targets, and the composite
// of the lit image and the blur into the window. Owns every GL name it creates.
//
// Why half size: the blur's taps lie four pixels apart, an even number, so blurring the 2 x 2
// block averages of the bright image at half size gives exactly the 2 x 2 block averages of
// the full-size blur (up to 8-bit rounding), at a quarter of the pixels. The first pass
// takes those averages for free with one bilinear look-up at each block's centre; the
// composite spreads the blur back over the window with bilinear filtering.
//
// Drawn at a render scale below 1, every target has the smaller size; the composite then
// goes into one more target of that size, which a pass-through quad stretches over the window
// with bilinear filtering (on a software rasteriser a third cheaper than a linear blit).
// At the window's own size that target does not exist and the composite draws straight in.

#include "gpu/Shader.h"
#include "render/ColorTarget.h"
#include "render/PassObserver.h"

#include <GL/glew.h>

namespace vantor {

// Depth storage for the bound renderbuffer of the targets whose depth is blitted from one to the
// other (the G-buffer's into the lit scene's). WebGL2 blits depth only between DEPTH24_STENCIL8
// buffers, attached as depth and stencil.
void storeBlitDepth(int width, int height);
#ifdef __EMSCRIPTEN__
constexpr GLenum blitDepthAttachment = GL_DEPTH_STENCIL_ATTACHMENT;
#else
constexpr GLenum blitDepthAttachment = GL_DEPTH_ATTACHMENT;
#endif

// The blur, the composite and the passes on the finished picture cover every pixel of their
// target with an opaque quad, so the depth test and blending (the latter the no-op ONE, ZERO)
// can change nothing they draw; on a software rasterizer both still cost a read and a write per
// pixel. They are switched off while one of these lives and restored afterwards, so the GL state
// the rest of the frame sees is unchanged.
class OpaqueQuadState {
public:
    OpaqueQuadState() : depthTest(glIsEnabled(GL_DEPTH_TEST)), blend(glIsEnabled(GL_BLEND)) {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
    }
    ~OpaqueQuadState() {
        if (depthTest)
            glEnable(GL_DEPTH_TEST);
        if (blend)
            glEnable(GL_BLEND);
    }
    OpaqueQuadState(const OpaqueQuadState&) = delete;
    OpaqueQuadState& operator=(const OpaqueQuadState&) = delete;

private:
    GLboolean depthTest;
    GLboolean blend;
};

class PostProcessing {
public:
    PostProcessing(int width, int height);
    ~PostProcessing();
    PostProcessing(const PostProcessing&) = delete;
    PostProcessing& operator=(const PostProcessing&) = delete;

    // Makes every target of the current `width` x `height`; false when the lit-scene target is
    // incomplete. `releaseTargets` deletes them (safe to repeat); `resize` remakes them at a new
    // size. The quad and the sampler do not depend on the size and stay.
    bool createTargets();
    void releaseTargets();
    bool resize(int newWidth, int newHeight);
    // The window the composite fills; the targets' size when never set.
    void setWindowSize(int newWindowWidth, int newWindowHeight);
    bool scaled() const { return width != windowWidth || height != windowHeight; }

    GLuint getFramebuffer() const { return sceneFBO; }
    // The texture holding the last blur's result.
    GLuint blurResult() const { return pingpongColorbuffers[!horizontal]; }

    // Three passes (horizontal, vertical, horizontal); the result ends in
    // pingpongColorbuffers[!horizontal]. Each pass is reported to `observer`, if any, as
    // "blur 1 (h)", "blur 2 (v)", "blur 3 (h)".
    void blur(Shader* shader, PassObserver* observer = nullptr);
    // One blur pass into pingpongFBO[horizontal]; the first reads brightTexture, the others
    // the previous pass's target. Leaves `horizontal` as it found it. Expects the depth test
    // and blending off, as `blur` sets them.
    void blurPass(Shader* shader, bool firstPass);
    // The lit image plus the last blur result into the window (framebuffer 0). When the targets
    // are smaller, into the scaled target first, which `stretch` (a pass-through program
    // reading "screenTexture") then draws over the whole window.
    void composite(Shader* shader, Shader* stretch);
    // The same composite into a picture of the targets' size (`scaledPicture`, made here at any
    // scale), for passes that work on the finished picture before it reaches the window; returns
    // that texture.
    GLuint compositeToPicture(Shader* shader);
    // `picture` over the whole window, bilinearly, with `stretch` (reading "screenTexture").
    void stretchToWindow(Shader* stretch, GLuint picture);
    // The full-screen quad (attribute 0, two triangles), with `screenQuadVAO` bound by the caller.
    void drawQuad();

    int width;
    int height;
    int windowWidth = width;
    int windowHeight = height;
    // Size of the ping-pong targets: half the scene's, rounded up.
    int blurWidth = 0;
    int blurHeight = 0;
    GLuint sceneFBO = 0;
    GLuint renderedTexture = 0;
    GLuint brightTexture = 0;
    GLuint screenQuadVAO = 0;
    GLuint screenQuadVBO = 0;
    GLfloat screenQuadVertices[18];
    GLuint pingpongFBO[2] = {0, 0};
    GLuint pingpongColorbuffers[2] = {0, 0};
    // Depth renderbuffers of sceneFBO and of the two ping-pong targets.
    GLuint rboId = 0;
    GLuint pingpongRboId[2] = {0, 0};
    bool horizontal = true;
    // Bilinear, clamped to the edge: bound to the blur's and the composite's units while they
    // read the bright image and the blur (the textures themselves stay nearest-filtered).
    GLuint linearSampler = 0;
    // The composite at the targets' size, made on the first scaled frame after the targets (or the
    // first frame that works on the finished picture).
    ColorTarget scaledPicture;

private:
    void compositeInto(Shader* shader, GLuint framebuffer);
};

} // namespace vantor
