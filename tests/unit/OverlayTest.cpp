// The overlay's numbers and text: times averaged over half-second windows, passes kept in the
// order first seen (by name, whatever the pointer), the lines the overlay shows, and a hidden
// stretch that is not taken for a frame.

#include "render/Overlay.h"
#include "render/PassClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

using namespace vantor;

TEST(Overlay, AveragesFramesAndPassesOverHalfSecondWindows) {
    Overlay overlay;
    // 25 frames of 20 ms fill the first window only with the last of them.
    double shadowSum = 0;
    for (int frame = 0; frame < 25; ++frame) {
        EXPECT_FALSE(overlay.hasAverages()) << "frame " << frame;
        const double shadow = 4.0 + frame % 3;
        shadowSum += shadow;
        overlay.addPass("shadow", shadow);
        overlay.addPass("geometry", 10.0);
        overlay.addFrame(20.0);
    }
    ASSERT_TRUE(overlay.hasAverages());
    EXPECT_DOUBLE_EQ(overlay.framesPerSecond(), 50.0);
    EXPECT_DOUBLE_EQ(overlay.frameMs(), 20.0);
    ASSERT_EQ(overlay.passes().size(), 2u);
    EXPECT_EQ(overlay.passes()[0].name, "shadow");
    EXPECT_DOUBLE_EQ(overlay.passes()[0].ms, shadowSum / 25);
    EXPECT_EQ(overlay.passes()[1].name, "geometry");
    EXPECT_DOUBLE_EQ(overlay.passes()[1].ms, 10.0);

    // The next window holds only its own frames; a name from another buffer is the same pass,
    // a pass that stopped running reads as unmeasured, a new one goes last.
    char shadowName[] = "shadow";
    overlay.addFrame(-5.0);
    overlay.addFrame(std::nan(""));
    for (int frame = 0; frame < 4; ++frame) {
        overlay.addPass("late", 1.0);
        overlay.addPass(shadowName, 30.0);
        overlay.addFrame(100.0);
    }
    EXPECT_DOUBLE_EQ(overlay.frameMs(), 20.0) << "published before the window is full";
    overlay.addFrame(100.0);
    EXPECT_DOUBLE_EQ(overlay.framesPerSecond(), 10.0);
    EXPECT_DOUBLE_EQ(overlay.frameMs(), 100.0);
    ASSERT_EQ(overlay.passes().size(), 3u);
    EXPECT_EQ(overlay.passes()[0].name, "shadow");
    EXPECT_DOUBLE_EQ(overlay.passes()[0].ms, 30.0);
    EXPECT_FALSE(overlay.passes()[1].measured);
    EXPECT_EQ(overlay.passes()[2].name, "late");
    EXPECT_DOUBLE_EQ(overlay.passes()[2].ms, 1.0);

    // A frame longer than the window is a window of its own.
    overlay.addFrame(2000.0);
    EXPECT_DOUBLE_EQ(overlay.framesPerSecond(), 0.5);
}

TEST(Overlay, LinesShowTimesPassesSizeViewFlightAndPause) {
    Overlay overlay;
    const OverlayState flying{1280, 768, "orbit", true, 20.04, false};
    EXPECT_EQ(
        overlay.lines(flying),
        (std::vector<std::string>{"-- fps  -- ms/frame", "1280 x 768  view orbit", "flight on  t 20.0 s"}));

    overlay.addPass("shadow", 7.25);
    overlay.addPass("blur 1 (h)", 0.5);
    EXPECT_EQ(overlay.lines(flying)[2], "  shadow         --") << "no average before the window is full";
    overlay.addFrame(600.0);
    overlay.addPass("shadow", 100.0); // the next window's, not shown yet

    const OverlayState pausedFree{640, 384, "free", false, 3.46, true};
    EXPECT_EQ(overlay.lines(pausedFree),
              (std::vector<std::string>{"1.7 fps  600.0 ms/frame", "pass ms (glFinish-timed)",
                                        "  shadow       7.25", "  blur 1 (h)   0.50", "640 x 384  view free",
                                        "flight off  t 3.5 s", "paused"}));
}

TEST(Overlay, HiddenStretchesAreNoFrames) {
    // A window half filled before the window was hidden is dropped with the stretch: the next
    // average holds only the frames after it, and the numbers shown before stay until then.
    Overlay overlay(100.0);
    for (int frame = 0; frame < 5; ++frame) {
        overlay.addPass("shadow", 2.0);
        overlay.addFrame(20.0);
    }
    ASSERT_TRUE(overlay.hasAverages());
    overlay.addPass("shadow", 50.0);
    overlay.addFrame(60.0);
    overlay.restart();
    EXPECT_DOUBLE_EQ(overlay.frameMs(), 20.0);
    for (int frame = 0; frame < 2; ++frame) {
        overlay.addPass("shadow", 4.0);
        overlay.addFrame(50.0);
    }
    EXPECT_DOUBLE_EQ(overlay.frameMs(), 50.0);
    EXPECT_DOUBLE_EQ(overlay.passes()[0].ms, 4.0);

    // The clock feeding it: the time up to the first frame after a skip is no frame's time.
    // (frameEnds reads the clock only, no GL.)
    Overlay fed(0.0); // every frame is a window of its own
    PassClock clock(fed);
    clock.frameEnds();
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // hidden
    clock.skip();
    clock.frameEnds();
    EXPECT_FALSE(fed.hasAverages()) << "the frame across the skip was counted";
    clock.frameEnds();
    ASSERT_TRUE(fed.hasAverages());
    EXPECT_LT(fed.frameMs(), 100.0);
}
