// The render scale without GL: the internal size a scale gives, and the controller fed with
// frame times from a simulated scene (a fixed part plus a part proportional to the pixels).

#include "render/RenderScale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace vantor;

namespace {

// A frame at scale s costs fixedMs + pixelMs * s^2, times a wobble of +-noise repeating every 7
// frames, plus every `spikeEvery`-th frame 300 ms (a shader compiled).
struct Scene {
    double fixedMs, pixelMs, noise = 0.0;
    int spikeEvery = 0;
    double cost(float s, int i) const {
        return (fixedMs + pixelMs * s * s) * (1.0 + noise * std::sin(i * 2.4)) +
               (spikeEvery && i % spikeEvery == 0 ? 300.0 : 0.0);
    }
};

// The scale each frame was drawn at.
std::vector<float> fly(RenderScaleController& controller, int fps, int frames, const Scene& scene,
                       float s = 1.0f) {
    std::vector<float> scales;
    for (int i = 0; i < frames; ++i) {
        scales.push_back(s);
        s = controller.frameDone(scene.cost(s, i), fps, s);
    }
    return scales;
}

// The frame loop on a display that refreshes every `refreshMs` with a swap interval of 1: the
// swap returns at the first refresh after the frame's work, so every frame's wall-clock time is
// a whole number of refreshes. The controller is fed as the loop feeds it; `workMs` gives a
// frame's work at a scale. The scale each frame was drawn at.
template <typename Work>
std::vector<float> flyUnderVsync(RenderScaleController& controller, int fps, int frames, double refreshMs,
                                 Work workMs) {
    std::vector<float> scales;
    FrameWork work;
    float s = 1.0f;
    double now = 0.0; // seconds
    for (int i = 0; i < frames; ++i) {
        work.starts(now);
        s = controller.frameDone(work.ms(), fps, s);
        scales.push_back(s);
        const double handedOver = now + workMs(s, i) / 1000.0;
        work.handedToSwap(handedOver);
        const double refresh = refreshMs / 1000.0;
        now = std::ceil(handedOver / refresh) * refresh;
    }
    return scales;
}

int changes(const std::vector<float>& scales) {
    int n = 0;
    for (size_t i = 1; i < scales.size(); ++i)
        n += scales[i] != scales[i - 1];
    return n;
}

void expectNearBudget(const Scene& scene, float s, int fps) {
    EXPECT_NEAR(scene.fixedMs + scene.pixelMs * s * s, 1000.0 / fps, 0.15 * 1000.0 / fps) << "scale " << s;
}

} // namespace

TEST(RenderScale, InternalSizeRoundsEachAxisAndStaysWithinItsRange) {
    using renderscale::internalSize;
    using renderscale::Size;
    EXPECT_EQ(internalSize(1280, 768, 1.0f), (Size{1280, 768}));
    EXPECT_EQ(internalSize(1280, 720, 0.75f), (Size{960, 540}));
    EXPECT_EQ(internalSize(101, 33, 0.5f), (Size{51, 17})) << "halves round up";
    EXPECT_EQ(internalSize(1, 1, 0.25f), (Size{1, 1})) << "never below one pixel";
    EXPECT_EQ(internalSize(1280, 720, 0.1f), (Size{320, 180})) << "below the floor";
    EXPECT_EQ(internalSize(1280, 720, std::nanf("")), (Size{1280, 720}));
    // A scale read back from text keeps its step.
    EXPECT_EQ(renderscale::levelScale(renderscale::levelBelow(0.4999f)), 0.5f);
}

TEST(RenderScaleController, OffOrWithinBudgetTheScaleStaysWhereItIs) {
    RenderScaleController controller;
    EXPECT_EQ(controller.frameDone(500.0, 0, 0.63f), 0.63f) << "off: the user's scale, untouched";
    // 20 fps at 12 ms with a slow frame now and then; 30 fps at 31 ms wobbling by 5 %.
    EXPECT_EQ(changes(fly(controller, 20, 2000, Scene{2.0, 10.0, 0.1, 97})), 0);
    EXPECT_EQ(changes(fly(controller, 30, 2000, Scene{4.0, 27.0, 0.05})), 0);
}

TEST(RenderScaleController, StepsDownQuicklyThenHoldsTheBudgetWithoutOscillating) {
    RenderScaleController controller;
    const Scene scene{10.0, 85.0, 0.06}; // 95 ms at full scale against 33.3
    const std::vector<float> scales = fly(controller, 30, 3000, scene);
    EXPECT_LT(scales[6], 1.0f);
    const auto last =
        std::find_if(scales.rbegin(), scales.rend(), [&](float s) { return s != scales.back(); });
    EXPECT_LT(scales.rend() - last, 80) << "settled late";
    EXPECT_LE(changes(scales), 4);
    expectNearBudget(scene, scales.back(), 30);
}

TEST(RenderScaleController, StaysWithinItsBoundsAndClimbsBackOneStepAtATime) {
    RenderScaleController controller;
    const std::vector<float> heavy = fly(controller, 60, 400, Scene{40.0, 60.0});
    EXPECT_EQ(*std::min_element(heavy.begin(), heavy.end()), renderscale::minScale);
    EXPECT_EQ(heavy.back(), renderscale::minScale);

    const std::vector<float> light = fly(controller, 60, 2000, Scene{1.0, 4.0}, heavy.back());
    int lastChange = -1;
    for (int i = 1; i < int(light.size()); ++i) {
        if (light[i] == light[i - 1])
            continue;
        EXPECT_NEAR(light[i] - light[i - 1], renderscale::step, 1e-6) << "frame " << i;
        EXPECT_TRUE(lastChange < 0 || i - lastChange >= 24) << "frame " << i;
        lastChange = i;
    }
    EXPECT_EQ(light.back(), 1.0f);
}

TEST(RenderScaleController, WithALargeFixedPartItClimbsFromTheFloorToNearTheBudget) {
    RenderScaleController controller;
    fly(controller, 30, 300, Scene{40.0, 60.0});
    // At the floor 26.6 ms, 80 % of the budget; each step adds far less than its pixels say.
    const Scene scene{22.0, 74.0, 0.03};
    const std::vector<float> scales = fly(controller, 30, 3000, scene, renderscale::minScale);
    expectNearBudget(scene, scales.back(), 30);
    EXPECT_LE(changes(scales), 8);
}

TEST(RenderScaleController, AStepUpThatIsUndoneMakesTheNextWaitLonger) {
    // Above 0.5 the frame is twice over the budget, whatever the pixels say: each failed step
    // up goes back one step and doubles the wait, so the tries thin out instead of cycling.
    RenderScaleController cliff;
    float s = 0.5f;
    std::vector<int> ups;
    for (int i = 0; i < 6000; ++i) {
        const float next = cliff.frameDone(s > 0.5f ? 70.0 : 20.0, 30, s);
        EXPECT_GE(next, 0.5f) << "frame " << i;
        if (next > s)
            ups.push_back(i);
        s = next;
    }
    ASSERT_GE(ups.size(), 3u);
    EXPECT_LE(ups.size(), 9u);
    const int longest = RenderScaleController::Tuning{}.maxUpWait;
    for (size_t k = 2; k < ups.size(); ++k)
        EXPECT_GE(ups[k] - ups[k - 1], std::min(2 * (ups[k - 1] - ups[k - 2]) - 8, longest)) << "try " << k;
    EXPECT_EQ(cliff.failedLevelWait(), longest);
}

TEST(RenderScaleController, UnderVsyncTheWaitForTheDisplayMovesNothing) {
    // 12 ms of work at full scale, 16.7 ms on the wall at 60 Hz. A target of 60 fps holds full
    // scale, and after a moment of 50 ms frames (another program busy) comes back to it.
    const Scene scene{2.0, 10.0};
    RenderScaleController atRefresh;
    const std::vector<float> hiccup = flyUnderVsync(atRefresh, 60, 1500, 1000.0 / 60, [&](float s, int i) {
        return scene.cost(s, i) + (i >= 100 && i < 104 ? 38.0 : 0.0);
    });
    EXPECT_LT(*std::min_element(hiccup.begin(), hiccup.end()), 1.0f) << "the slow frames count";
    EXPECT_TRUE(std::all_of(hiccup.end() - 300, hiccup.end(), [](float s) { return s == 1.0f; }))
        << "back at full scale; at the end " << hiccup.back();

    // A target above the refresh rate is met by the work, which a smaller scale does cut: the
    // scale settles where the work fits 240 fps, never at the floor for want of a faster display.
    RenderScaleController aboveRefresh;
    const Scene fast{1.0, 11.0, 0.03};
    const std::vector<float> above =
        flyUnderVsync(aboveRefresh, 240, 3000, 1000.0 / 60, [&](float s, int i) { return fast.cost(s, i); });
    EXPECT_GT(above.back(), renderscale::minScale);
    expectNearBudget(fast, above.back(), 240);
    EXPECT_LE(changes(above), 8);
}

TEST(RenderScaleController, ACostAtTheWindowsSizeBelowFullScaleIsNeitherOvershotNorCycled) {
    // The sharp upscale: below scale 1 a pass at the window's size that no scale cuts (12 ms) on
    // top of the frame's own fixed part; at scale 1 it is not drawn. 83 ms at full scale against
    // 50; later six frames 60 ms longer (another program busy). Taken as all pixels, the frames
    // say a step down saves more than it does: the scale settled over the budget.
    const Scene scene{18.0, 65.0, 0.04};
    const auto cost = [&](float s, int i) {
        return scene.cost(s, i) + (s < 1.0f ? 12.0 : 0.0) + (i >= 1500 && i < 1506 ? 60.0 : 0.0);
    };
    const auto steady = [&](float s) { return cost(s, 0); };
    RenderScaleController controller;
    std::vector<float> scales;
    float s = 1.0f;
    for (int i = 0; i < 4000; ++i) {
        scales.push_back(s);
        s = controller.frameDone(cost(s, i), 20, s);
    }
    const auto lastChange = [&](int from, int to) {
        int last = from;
        for (int i = from + 1; i < to; ++i)
            last = scales[i] != scales[i - 1] ? i : last;
        return last;
    };
    const std::vector<float> descent(scales.begin(), scales.begin() + 1500);
    EXPECT_LE(changes(descent), 4);
    EXPECT_LT(lastChange(0, 1500), 100);
    EXPECT_LE(steady(descent.back()), 50.0) << "settled at " << descent.back();
    EXPECT_GE(steady(descent.back()), 0.85 * 50.0) << "settled at " << descent.back();
    EXPECT_GT(controller.fixedPartMs(), 20.0);
    EXPECT_LT(controller.fixedPartMs(), 40.0);

    // Back within the budget, near it, and still there.
    EXPECT_LT(lastChange(1500, 4000), 1500 + 400);
    EXPECT_LE(steady(scales.back()), 50.0) << "settled at " << scales.back();
    EXPECT_GE(steady(scales.back()), 0.85 * 50.0) << "settled at " << scales.back();
}
