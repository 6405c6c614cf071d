#include "gpu/WindowSize.h"

#include <GL/glew.h>

#include "platform/Memory.h"
#include <algorithm>

#include <cstdint>

namespace vantor {

bool windowSizeFitsMachine(int width, int height, std::uint64_t memoryBytes) {
    if (width < 1 || height < 1 || width > maxWindowSide || height > maxWindowSide)
        return false;
    const std::uint64_t frameBytes = std::uint64_t(width) * std::uint64_t(height) * frameBytesPerPixel;
    return frameBytes <= memoryBytes / 2;
}

bool windowSizeFitsGl(int width, int height, const GlSizeLimits& limits) {
    const int side = std::min(limits.maxTextureSize, limits.maxRenderbufferSize);
    return width >= 1 && height >= 1 && width <= side && height <= side && width <= limits.maxViewportWidth &&
           height <= limits.maxViewportHeight;
}

SizeChange sizeChange(int currentWidth, int currentHeight, int width, int height, std::uint64_t memoryBytes,
                      const GlSizeLimits& limits) {
    if (width <= 0 || height <= 0)
        return SizeChange::Hidden;
    if (width == currentWidth && height == currentHeight)
        return SizeChange::Same;
    if (!windowSizeFitsMachine(width, height, memoryBytes) || !windowSizeFitsGl(width, height, limits))
        return SizeChange::TooLarge;
    return SizeChange::Resize;
}

std::uint64_t physicalMemoryBytes() {
    const std::uint64_t installed = installedMemoryBytes();
    return installed > 0 ? installed : UINT64_MAX; // unknown: only the fixed side limit applies
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
