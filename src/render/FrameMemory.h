#pragma once
// Which window sizes the frame takes on. Every frame allocates several full-size targets (the
// window's own buffers, the G-buffer, the lighting and blur targets), so a size the machine cannot
// hold is refused up front: the windowing library and the X server crash or hang on some huge
// sizes, and the driver would otherwise try to allocate gigabytes before failing. The GL's own
// limits are gpu/WindowSize's.

#include "gpu/WindowSize.h"

#include <cstdint>

namespace vantor {

// No GL implementation this demo meets draws into a larger target, and X itself refuses sides
// beyond 32767; the GL limits are checked again once a context can be asked.
constexpr int maxWindowSide = 16384;

// Roughly what one window pixel costs across the frame's targets: front and back colour and depth
// (12 bytes), the G-buffer (two RGB16F that the driver pads to eight bytes each, RGBA8 colour and
// specular, 32-bit depth: 24), and the lighting and blur targets with their depth (28).
constexpr std::uint64_t frameBytesPerPixel = 64;

// True when a window of this size may be requested: both sides from 1 to maxWindowSide, and the
// frame's targets take at most half of `memoryBytes` (the machine's physical memory).
bool windowSizeFitsMachine(int width, int height, std::uint64_t memoryBytes);

// What a frame does with the framebuffer size it finds (`width` x `height`) when the frame was
// made at `currentWidth` x `currentHeight`: nothing, remake its targets at the new size, skip
// the frame (a minimised or zero-sized window), or keep the current size because the new one
// does not fit the machine's memory or the context's limits.
enum class SizeChange { Same, Resize, Hidden, TooLarge };
SizeChange sizeChange(int currentWidth, int currentHeight, int width, int height, std::uint64_t memoryBytes,
                      const GlSizeLimits& limits);

// The machine's physical memory; UINT64_MAX when it cannot be read.
std::uint64_t physicalMemoryBytes();

} // namespace vantor
