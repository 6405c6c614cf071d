#include "app/WindowSize.h"

#include <algorithm>

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
