#pragma once
// The geometry pass's targets: world position, normal, colour with specular, and depth, at the
// frame's size (remade when that changes), and the sampler the level's maps are read through.

#include <GL/glew.h>

namespace vantor {

struct GBuffer {
    GBuffer() = default;
    ~GBuffer();
    GBuffer(const GBuffer&) = delete;
    GBuffer& operator=(const GBuffer&) = delete;

    // The three colour targets and the depth at `width` x `height`, in one framebuffer.
    void createGBufferTargets(int width, int height);
    void releaseGBufferTargets();
    void createSampler();
    // Everything, targets and sampler; safe to repeat.
    void release();

    GLuint gBuffer = 0;
    GLuint gPosition = 0;
    GLuint gNormal = 0;
    GLuint gColorSpec = 0;
    GLuint rboDepth = 0;
    // Filtering of the level's maps during the geometry pass.
    GLuint gBufferSampler = 0;
};

} // namespace vantor
