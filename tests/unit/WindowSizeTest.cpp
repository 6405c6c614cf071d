#include "render/FrameMemory.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vantor;

namespace {

constexpr std::uint64_t gigabyte = 1ull << 30;

TEST(WindowSize, MachineCheckRefusesSidesBeyondTheLimitAndFramesBeyondHalfTheMemory) {
    const std::uint64_t plenty = 1024 * gigabyte;
    EXPECT_TRUE(windowSizeFitsMachine(1280, 768, plenty));
    EXPECT_TRUE(windowSizeFitsMachine(1, 1, plenty));
    EXPECT_TRUE(windowSizeFitsMachine(16384, 16384, plenty));
    EXPECT_TRUE(windowSizeFitsMachine(16384, 1, plenty));
    // Sizes that crashed or hung the windowing library or the driver.
    for (int side : {16385, 32767, 40000, 65535, INT_MAX}) {
        EXPECT_FALSE(windowSizeFitsMachine(side, side, plenty)) << side;
        EXPECT_FALSE(windowSizeFitsMachine(side, 1, plenty)) << side;
        EXPECT_FALSE(windowSizeFitsMachine(1, side, plenty)) << side;
    }
    for (int side : {0, -1, -5, INT_MIN}) {
        EXPECT_FALSE(windowSizeFitsMachine(side, 600, plenty)) << side;
        EXPECT_FALSE(windowSizeFitsMachine(800, side, plenty)) << side;
    }
    // 8192 x 8192 needs 4 GB of targets: it fits a machine of 8 GB, not one of a byte less.
    EXPECT_TRUE(windowSizeFitsMachine(8192, 8192, 8 * gigabyte));
    EXPECT_FALSE(windowSizeFitsMachine(8192, 8192, 8 * gigabyte - 1));
    EXPECT_TRUE(windowSizeFitsMachine(1920, 1080, gigabyte));
}

TEST(WindowSize, GlCheckTakesTheSmallestOfTheContextsLimits) {
    const GlSizeLimits llvmpipe{16384, 16384, 16384, 16384};
    EXPECT_TRUE(windowSizeFitsGl(16384, 16384, llvmpipe));
    EXPECT_FALSE(windowSizeFitsGl(16385, 1, llvmpipe));
    EXPECT_FALSE(windowSizeFitsGl(0, 1, llvmpipe));

    const GlSizeLimits smallRenderbuffers{16384, 4096, 16384, 16384};
    EXPECT_TRUE(windowSizeFitsGl(4096, 4096, smallRenderbuffers));
    EXPECT_FALSE(windowSizeFitsGl(4097, 100, smallRenderbuffers));
    EXPECT_FALSE(windowSizeFitsGl(100, 4097, smallRenderbuffers));

    const GlSizeLimits narrowViewport{8192, 8192, 4096, 8192};
    EXPECT_TRUE(windowSizeFitsGl(4096, 8192, narrowViewport));
    EXPECT_FALSE(windowSizeFitsGl(4097, 100, narrowViewport));
    EXPECT_FALSE(windowSizeFitsGl(100, 8193, narrowViewport));

    // A context that reports nothing allows nothing.
    EXPECT_FALSE(windowSizeFitsGl(1, 1, GlSizeLimits{}));
}

TEST(WindowSize, AFrameKeepsRemakesSkipsOrRefusesTheFramebuffersSize) {
    const GlSizeLimits limits{8192, 8192, 8192, 8192};
    const std::uint64_t memory = std::uint64_t(1) << 32;
    EXPECT_EQ(sizeChange(800, 480, 800, 480, memory, limits), SizeChange::Same);
    EXPECT_EQ(sizeChange(800, 480, 1200, 700, memory, limits), SizeChange::Resize);
    EXPECT_EQ(sizeChange(800, 480, 480, 800, memory, limits), SizeChange::Resize);
    // Minimised: no frame, whatever the size was.
    EXPECT_EQ(sizeChange(800, 480, 0, 0, memory, limits), SizeChange::Hidden);
    EXPECT_EQ(sizeChange(800, 480, 800, 0, memory, limits), SizeChange::Hidden);
    // Past the context's limits or the machine's memory: the frame keeps its size.
    EXPECT_EQ(sizeChange(800, 480, 8193, 480, memory, limits), SizeChange::TooLarge);
    EXPECT_EQ(sizeChange(800, 480, 8192, 8192, memory, limits), SizeChange::TooLarge);
    EXPECT_EQ(sizeChange(800, 480, 4096, 4096, memory, limits), SizeChange::Resize);
}

} // namespace
