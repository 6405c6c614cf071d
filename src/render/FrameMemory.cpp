#include "render/FrameMemory.h"

#include "platform/Memory.h"

namespace vantor {

bool windowSizeFitsMachine(int width, int height, std::uint64_t memoryBytes) {
    if (width < 1 || height < 1 || width > maxWindowSide || height > maxWindowSide)
        return false;
    const std::uint64_t frameBytes = std::uint64_t(width) * std::uint64_t(height) * frameBytesPerPixel;
    return frameBytes <= memoryBytes / 2;
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

} // namespace vantor
