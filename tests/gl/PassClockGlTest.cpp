// The overlay's GPU timer (the web page's pass times where the browser offers a timer) run on
// the desktop's GL, which has the same GL_TIME_ELAPSED queries: every pass of real frames gets
// its GPU time once the results come in, and a pass inside another is left to the outer one's,
// since GL times one query at a time.

#include "GlTestContext.h"
#include "Timeline.h"
#include "render/Game.h"
#include "render/Overlay.h"
#include "render/PassClock.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantor;

namespace {

std::vector<std::string> measuredNames(const Overlay& overlay) {
    std::vector<std::string> names;
    for (const Overlay::PassAverage& pass : overlay.passes())
        if (pass.measured)
            names.push_back(pass.name);
    return names;
}

} // namespace

TEST(PassClock, GpuTimerTimesEveryPassOfRealFramesAndLeavesNestedOnesToTheOuter) {
    EXPECT_EQ(PassClock::chosenTiming(), PassClock::Timing::FinishedClock) << "the desktop's own clock";

    Game game(glTestWindow(), 640, 384);
    Timeline timeline(game, 1.0 / 60.0);
    game.init();
    timeline.advanceTo(3.0);
    // The names render reports, for the expected table.
    struct Names : PassObserver {
        void passBegins(const char*) override {}
        void passEnds(const char* name) override { seen.push_back(name); }
        std::vector<std::string> seen;
    } names;
    game.passObserver = &names;
    game.render();
    ASSERT_FALSE(names.seen.empty());

    Overlay overlay(0.0); // every frame publishes its averages
    Overlay nestedOverlay(0.0);
    {
        PassClock clock(overlay, PassClock::Timing::GpuTimer);
        PassClock nestedClock(nestedOverlay, PassClock::Timing::GpuTimer);
        for (int frame = 0; frame < 4; ++frame) {
            game.passObserver = &clock;
            game.render();
            game.passObserver = &nestedClock;
            observedPass(&nestedClock, "whole frame", [&] { game.render(); });
            // Results come in once the GPU is done, never before: at the earliest, by the next frame's end.
            glFinish();
            clock.frameEnds();
            nestedClock.frameEnds();
        }
        game.passObserver = nullptr;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    ASSERT_TRUE(overlay.hasAverages());
    EXPECT_EQ(overlay.lines({})[1], "pass ms (GPU timer)");
    EXPECT_EQ(measuredNames(overlay), names.seen);
    double sum = 0;
    for (const Overlay::PassAverage& pass : overlay.passes())
        sum += pass.ms;
    EXPECT_GT(sum, 0.0) << "the GPU took some time over the frame";
    EXPECT_LT(sum, 60000.0);

    ASSERT_TRUE(nestedOverlay.hasAverages());
    EXPECT_EQ(measuredNames(nestedOverlay), std::vector<std::string>{"whole frame"});
    EXPECT_GT(nestedOverlay.passes()[0].ms, 0.0);
}
