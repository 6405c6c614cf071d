// The render scale without GL: the internal size a scale gives, and the controller fed with
// frame times from a simulated scene (a fixed part plus a part proportional to the pixels).

#include "render/RenderScale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// A scene whose frame at scale s costs fixedMs + pixelMs * s^2, times a wobble of +-noise that
// repeats every 7 frames; the first frame after each size change pays `remakeMs` more.
struct Scene {
    double fixedMs = 10.0;
    double pixelMs = 85.0;
    double noise = 0.0;
    double remakeMs = 40.0;
    double cost(float s, int frame) const {
        const double wobble = 1.0 + noise * std::sin(frame * 2.4);
        return (fixedMs + pixelMs * s * s) * wobble;
    }
};

struct Flight {
    std::vector<float> scales; // the scale each frame was drawn at
    int changes = 0;
};

Flight fly(RenderScaleController& controller, int fps, int frames, const std::function<Scene(int)>& sceneAt,
           float start = 1.0f) {
    Flight run;
    float s = start;
    float previous = s;
    for (int i = 0; i < frames; ++i) {
        const Scene scene = sceneAt(i);
        const double ms = scene.cost(s, i) + (s != previous ? scene.remakeMs : 0.0);
        run.scales.push_back(s);
        previous = s;
        const float next = controller.frameDone(ms, fps, s);
        run.changes += next != s;
        s = next;
    }
    return run;
}

} // namespace

TEST(RenderScale, InternalSizeRoundsEachAxisAndStaysWithinItsRange) {
    using renderscale::internalSize;
    EXPECT_EQ(internalSize(1280, 768, 1.0f), (renderscale::Size{1280, 768}));
    EXPECT_EQ(internalSize(1280, 720, 0.5f), (renderscale::Size{640, 360}));
    EXPECT_EQ(internalSize(1280, 720, 0.75f), (renderscale::Size{960, 540}));
    EXPECT_EQ(internalSize(101, 33, 0.5f), (renderscale::Size{51, 17})) << "halves round up";
    EXPECT_EQ(internalSize(1, 1, 0.25f), (renderscale::Size{1, 1})) << "never below one pixel";
    EXPECT_EQ(internalSize(1280, 720, 0.1f), (renderscale::Size{320, 180})) << "below the floor";
    EXPECT_EQ(internalSize(1280, 720, 3.0f), (renderscale::Size{1280, 720})) << "above 1";
    EXPECT_EQ(internalSize(1280, 720, std::nanf("")), (renderscale::Size{1280, 720}));

    // The steps are exact where a user's scale is, and a scale read back from text keeps its step.
    EXPECT_EQ(renderscale::levelScale(renderscale::topLevel()), 1.0f);
    EXPECT_EQ(renderscale::levelScale(renderscale::levelBelow(0.5f)), 0.5f);
    EXPECT_EQ(renderscale::levelScale(renderscale::levelBelow(0.4999f)), 0.5f);
    EXPECT_EQ(renderscale::levelScale(renderscale::levelBelow(0.52f)), 0.5f);
    EXPECT_EQ(renderscale::levelScale(renderscale::levelBelow(0.0f)), 0.25f);
}

TEST(RenderScaleController, OffOrWithinBudgetTheScaleStaysWhereItIs) {
    RenderScaleController controller;
    EXPECT_EQ(controller.frameDone(500.0, 0, 0.63f), 0.63f) << "off: the user's scale, untouched";

    // 20 fps at a frame of 12 ms, with a slow frame now and then (a shader compiled): full scale.
    Scene cheap{2.0, 10.0, 0.1};
    const Flight run = fly(controller, 20, 2000, [&](int i) {
        Scene s = cheap;
        s.fixedMs += i % 97 == 0 ? 300.0 : 0.0;
        return s;
    });
    EXPECT_EQ(run.changes, 0);
    EXPECT_EQ(run.scales.back(), 1.0f);

    // Just within budget (31 ms of 33.3, wobbling by 5 %): no step either way.
    const Flight tight = fly(controller, 30, 2000, [](int) { return Scene{4.0, 27.0, 0.05}; });
    EXPECT_EQ(tight.changes, 0);
}

TEST(RenderScaleController, StepsDownQuicklyThenHoldsTheBudgetWithoutOscillating) {
    RenderScaleController controller;
    // 95 ms at full scale against a 33.3 ms budget, wobbling by 6 %.
    const Scene scene{10.0, 85.0, 0.06};
    const Flight run = fly(controller, 30, 3000, [&](int) { return scene; });

    // Below full scale within the first few frames, at the final scale within a few dozen.
    EXPECT_LT(run.scales[6], 1.0f);
    const float settled = run.scales.back();
    int settledAt = 0;
    for (int i = 0; i < int(run.scales.size()); ++i)
        if (run.scales[i] != settled)
            settledAt = i + 1;
    EXPECT_LT(settledAt, 80) << "settled at frame " << settledAt;
    EXPECT_LE(run.changes, 4);
    // The settled frame is within 15 % of the budget.
    const double ms = scene.fixedMs + scene.pixelMs * settled * settled;
    EXPECT_NEAR(ms, 1000.0 / 30.0, 0.15 * 1000.0 / 30.0) << "scale " << settled;
    EXPECT_GT(settled, 0.25f);
}

TEST(RenderScaleController, StaysWithinItsBoundsAndClimbsBackOneStepAtATime) {
    RenderScaleController controller;
    // A frame the budget cannot hold at any scale: the floor, never below it.
    const Flight heavy = fly(controller, 60, 400, [](int) { return Scene{40.0, 60.0}; });
    EXPECT_EQ(heavy.scales.back(), renderscale::minScale);
    for (float s : heavy.scales)
        EXPECT_GE(s, renderscale::minScale);

    // The scene turns cheap: one step up at a time, each held for the whole wait, up to 1 and no further.
    const Flight light = fly(
        controller, 60, 2000,
        [](int) {
            return Scene{1.0, 4.0};
        },
        heavy.scales.back());
    int lastChange = -1;
    for (size_t i = 1; i < light.scales.size(); ++i) {
        EXPECT_LE(light.scales[i], 1.0f);
        if (light.scales[i] == light.scales[i - 1])
            continue;
        EXPECT_NEAR(light.scales[i] - light.scales[i - 1], renderscale::step, 1e-6) << "frame " << i;
        if (lastChange >= 0) {
            EXPECT_GE(int(i) - lastChange, 24) << "frame " << i;
        }
        lastChange = int(i);
    }
    EXPECT_EQ(light.scales.back(), 1.0f);
}

TEST(RenderScaleController, WithALargeFixedPartItClimbsFromTheFloorToNearTheBudget) {
    RenderScaleController controller;
    fly(controller, 30, 300, [](int) { return Scene{40.0, 60.0}; });
    // Cheaper now, mostly a fixed part (22 ms): at the floor 26.6 ms, 80 % of the budget, and
    // each step adds far less than its pixels say.
    const Scene scene{22.0, 74.0, 0.03};
    const Flight flight = fly(
        controller, 30, 3000, [&](int) { return scene; }, renderscale::minScale);
    const float settled = flight.scales.back();
    const double ms = scene.fixedMs + scene.pixelMs * settled * settled;
    EXPECT_NEAR(ms, 1000.0 / 30.0, 0.15 * 1000.0 / 30.0) << "scale " << settled;
    EXPECT_LE(flight.changes, 8);
}

TEST(RenderScaleController, AStepUpThatIsUndoneMakesTheNextWaitLonger) {
    // A scene whose every step up costs far more than its pixels say (at 0.5 it meets the
    // budget, above 0.5 it is twice over): each failed step doubles the wait, so over a long
    // steady run the steps up thin out instead of cycling.
    RenderScaleController cliff;
    float s = 0.5f;
    std::vector<int> ups;
    for (int i = 0; i < 6000; ++i) {
        const double ms = s > 0.5f ? 70.0 : 20.0;
        const float next = cliff.frameDone(ms, 30, s);
        EXPECT_GE(next, 0.5f) << "an undone step up goes back one step, frame " << i;
        if (next > s)
            ups.push_back(i);
        s = next;
    }
    ASSERT_GE(ups.size(), 3u);
    EXPECT_LE(ups.size(), 9u) << "a failed step up is retried with a doubling wait";
    const int longest = RenderScaleController::Tuning{}.maxUpWait;
    for (size_t k = 2; k < ups.size(); ++k)
        EXPECT_GE(ups[k] - ups[k - 1], std::min(2 * (ups[k - 1] - ups[k - 2]) - 8, longest)) << "try " << k;
    EXPECT_EQ(cliff.failedLevelWait(), longest);
}
