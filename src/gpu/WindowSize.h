#pragma once
// The largest targets the current GL context draws into, and whether a window's size fits them.

namespace vantor {

// What the context reports for GL_MAX_TEXTURE_SIZE, GL_MAX_RENDERBUFFER_SIZE and
// GL_MAX_VIEWPORT_DIMS.
struct GlSizeLimits {
    int maxTextureSize = 0;
    int maxRenderbufferSize = 0;
    int maxViewportWidth = 0;
    int maxViewportHeight = 0;
};

// True when every target of the frame can have the window's size in this context.
bool windowSizeFitsGl(int width, int height, const GlSizeLimits& limits);

// The current context's limits.
GlSizeLimits queryGlSizeLimits();

} // namespace vantor
