#include "gpu/WindowSize.h"

#include <GL/glew.h>

#include <algorithm>

namespace vantor {

bool windowSizeFitsGl(int width, int height, const GlSizeLimits& limits) {
    const int side = std::min(limits.maxTextureSize, limits.maxRenderbufferSize);
    return width >= 1 && height >= 1 && width <= side && height <= side && width <= limits.maxViewportWidth &&
           height <= limits.maxViewportHeight;
}

GlSizeLimits queryGlSizeLimits() {
    GlSizeLimits limits;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.maxTextureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &limits.maxRenderbufferSize);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    limits.maxViewportWidth = viewport[0];
    limits.maxViewportHeight = viewport[1];
    return limits;
}

} // namespace vantor
