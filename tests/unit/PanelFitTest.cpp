// The settings panel's text scale and its place, for the windows and displays a user may have.

#include "app/PanelFit.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vantor;

using panelfit::Scale;
using panelfit::scaleFor;

namespace {

Scale scale(int pixels, float points) {
    Scale s;
    s.pixels = pixels;
    s.points = points;
    return s;
}

} // namespace

TEST(PanelFit, TextIsAsLargeOnScreenAtContentScalesOneToTwo) {
    // Content scale 1: the framebuffer's height alone, in whole steps.
    EXPECT_EQ(scaleFor(768, 768, 1.0f), scale(1, 1.0f));
    EXPECT_EQ(scaleFor(540, 540, 1.0f), scale(1, 1.0f));
    EXPECT_EQ(scaleFor(1320, 1320, 1.0f), scale(2, 2.0f));
    EXPECT_EQ(scaleFor(2160, 2160, 1.0f), scale(3, 3.0f));
    // 1.5 where windows are measured in pixels (Windows, X11): twice, laid out at twice in points.
    EXPECT_EQ(scaleFor(768, 768, 1.5f), scale(2, 2.0f));
    EXPECT_EQ(scaleFor(2160, 2160, 1.5f), scale(3, 3.0f));
    // 2 on a Retina display (macOS), where a point is 2 pixels: twice in pixels is once in points
    // (laid out at 2 in points, the panel would be twice too large).
    EXPECT_EQ(scaleFor(1536, 768, 2.0f), scale(2, 1.0f));
    EXPECT_EQ(scaleFor(1800, 900, 2.0f), scale(2, 1.0f));
    EXPECT_EQ(scaleFor(2160, 1080, 2.0f), scale(3, 1.5f));
    // 1.5 with points of 1.5 pixels (a scaled desktop that reports it): twice in pixels.
    const Scale fractional = scaleFor(1152, 768, 1.5f);
    EXPECT_EQ(fractional.pixels, 2);
    EXPECT_FLOAT_EQ(fractional.points, 2.0f / 1.5f);
    // Whatever the window reports on its way to or from being minimised: a usable scale.
    for (const Scale& odd : {scaleFor(0, 0, 1.0f), scaleFor(600, 0, 0.0f), scaleFor(-1, 600, NAN)}) {
        EXPECT_GE(odd.pixels, 1);
        EXPECT_GT(odd.points, 0.0f);
    }
}

TEST(PanelFit, ThePanelStaysInsideTheWindowAtEverySize) {
    // 960 x 540, then 640 x 384, 64 x 64 and back: the most the panel may measure follows the
    // window both ways, and a panel dragged to the right comes back inside as the window shrinks.
    EXPECT_EQ(panelfit::largest(540.0f, 10.0f, 32.0f), 520.0f);
    EXPECT_EQ(panelfit::largest(384.0f, 10.0f, 32.0f), 364.0f);
    EXPECT_EQ(panelfit::largest(64.0f, 10.0f, 32.0f), 44.0f);
    EXPECT_EQ(panelfit::largest(20.0f, 10.0f, 32.0f), 32.0f);
    EXPECT_EQ(panelfit::largest(540.0f, 10.0f, 32.0f), 520.0f);
    EXPECT_EQ(panelfit::keepWithin(10.0f, 330.0f, 960.0f), 10.0f);
    EXPECT_EQ(panelfit::keepWithin(600.0f, 330.0f, 640.0f), 310.0f);
    EXPECT_EQ(panelfit::keepWithin(600.0f, 44.0f, 64.0f), 20.0f);
    EXPECT_EQ(panelfit::keepWithin(-50.0f, 330.0f, 960.0f), 0.0f);
    // Larger than the window (its least size): its start, title bar and all, stays in sight.
    EXPECT_EQ(panelfit::keepWithin(10.0f, 32.0f, 20.0f), 0.0f);
}
