// The light count as a knob: a thousand lights through the same passes, judged by what the
// picture shows and by how many lights each pixel's list makes the lighting pass visit.

#include "FrameReadback.h"
#include "GlTestContext.h"
#include "SteppedFlight.h"
#include "render/Game.h"
#include "render/GameParts.h"
#include "render/LightCount.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

using namespace vantor;

namespace {

using namespace readback;

// A Game with `lights` lights, its flight advanced to `seconds` and that frame rendered.
std::unique_ptr<Game> renderedGame(int lights, double seconds) {
    std::unique_ptr<Game> game = gameFlownTo(seconds, width, height, lights);
    game->render();
    glFinish();
    return game;
}

// How much light-loop work a frame's lists ask for: the loop runs per group of 4 x 2 pixels as
// long as the group's longest list, so that is its cost; also the lights that really reach.
struct LoopWork {
    double visitsPerGroup = 0; // mean over groups holding a surface of the longest list
    double listedPerPixel = 0; // mean list length over covered pixels
    double reachingPerPixel = 0;
};

LoopWork loopWork(const Game& game) {
    const Image position = readTexture(game.gbuffer->gPosition);
    const Image normal = readTexture(game.gbuffer->gNormal);
    const lightcount::LightLook look = game.lightRig->lightFrame.look;
    // Inside the light's reach: the ellipsoid with the look's radii.
    const auto reaches = [&](glm::vec3 light, glm::vec3 p) {
        const glm::vec3 d = (light - p) / glm::vec3(look.reach, look.heightReach, look.reach);
        return glm::dot(d, d) < 1.0f;
    };
    LoopWork work;
    size_t groups = 0, covered = 0;
    for (int gy = 0; gy < height; gy += 2)
        for (int gx = 0; gx < width; gx += 4) {
            size_t longest = 0;
            bool any = false;
            for (int y = gy; y < gy + 2; ++y)
                for (int x = gx; x < gx + 4; ++x) {
                    const size_t i = size_t(y) * width + x;
                    if (glm::length(rgb(normal, i)) < 0.5f)
                        continue;
                    any = true;
                    ++covered;
                    const glm::vec3 p = rgb(position, i);
                    const std::vector<int> listed = lightgrid::lightsAt(game.lightRig->lightFrame.grid, p);
                    longest = std::max(longest, listed.size());
                    work.listedPerPixel += listed.size();
                    for (int light : listed)
                        work.reachingPerPixel += reaches(game.lightRig->lightFrame.binned[light], p);
                }
            if (any) {
                ++groups;
                work.visitsPerGroup += longest;
            }
        }
    work.visitsPerGroup /= std::max<size_t>(groups, 1);
    work.listedPerPixel /= std::max<size_t>(covered, 1);
    work.reachingPerPixel /= std::max<size_t>(covered, 1);
    return work;
}

} // namespace

// The lighting pass's loop work at a thousand lights follows what each pixel sees: over the
// flight, the groups' longest lists are no longer than with fifty lights, though twenty times
// as many lights are in the hall.
TEST(ManyLights, TheLoopVisitsAboutAsManyLightsAsWithFifty) {
    double fifty = 0, thousand = 0;
    for (double t : {9.0, 20.0, 48.0}) {
        SCOPED_TRACE(t);
        const LoopWork few = loopWork(*renderedGame(50, t));
        const LoopWork many = loopWork(*renderedGame(1000, t));
        fifty += few.visitsPerGroup;
        thousand += many.visitsPerGroup;
        // Lists are never shorter than the lights that reach, nor padded far beyond them.
        EXPECT_GE(many.listedPerPixel, many.reachingPerPixel);
        EXPECT_LT(many.listedPerPixel, 2.5 * many.reachingPerPixel + 0.1);
    }
    EXPECT_GT(thousand, 3.0) << "the lights reach the picture";
    EXPECT_LT(thousand, 1.25 * fifty);
}

namespace {

// Hue sector (0-11) of a colour saturated and bright enough to have one, else -1.
int hueSector(glm::vec3 c) {
    const float high = std::max({c.r, c.g, c.b}), low = std::min({c.r, c.g, c.b});
    if (high < 0.2f || high - low < 0.3f * high)
        return -1;
    const float d = high - low;
    float hue = high == c.r   ? std::fmod((c.g - c.b) / d + 6.0f, 6.0f)
                : high == c.g ? (c.b - c.r) / d + 2.0f
                              : (c.r - c.g) / d + 4.0f;
    return std::min(11, static_cast<int>(hue * 2.0f));
}

} // namespace

TEST(ManyLights, AThousandLightsShowManyColouredPoolsAndBeads) {
    auto game = renderedGame(lightcount::maxLightCount, 30.0);
    EXPECT_EQ(game->lightRig->lights.size(), size_t(lightcount::maxLightCount));
    EXPECT_EQ(game->lightRig->lightFrame.lightData.size(), size_t(lightcount::maxLightCount))
        << "the context holds them all";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const Image lit = readTexture(game->passes->postProcessing->renderedTexture);
    game->lightingPass();
    glFinish();
    const Image level = readTexture(game->passes->postProcessing->renderedTexture); // without the beads
    const int lights = game->lightRig->count;
    game->lightRig->count = 0;
    game->lightingPass();
    glFinish();
    const Image dark = readTexture(game->passes->postProcessing->renderedTexture);
    game->lightRig->count = lights;

    // Neither black nor washed out.
    double sum = 0;
    size_t white = 0;
    for (size_t i = 0; i < pixelCount; ++i) {
        const glm::vec3 c = rgb(lit, i);
        sum += 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b;
        white += std::min({c.r, c.g, c.b}) > 0.98f;
    }
    EXPECT_GT(sum / pixelCount, 0.04);
    EXPECT_LT(sum / pixelCount, 0.6);
    EXPECT_LT(white, pixelCount / 50);

    // What the coloured lights add to the level (pools) and the beads drawn over it: many hues,
    // each on a fair number of pixels, and pools over a fair part of the level.
    size_t pooled = 0;
    std::vector<size_t> poolHues(12, 0), beadHues(12, 0);
    for (size_t i = 0; i < pixelCount; ++i) {
        const glm::vec3 added = rgb(level, i) - rgb(dark, i);
        if (std::max({added.r, added.g, added.b}) > 0.06f) {
            ++pooled;
            if (const int h = hueSector(added); h >= 0)
                ++poolHues[h];
        }
        if (const int h = hueSector(rgb(lit, i)); h >= 0 && glm::length(rgb(lit, i) - rgb(level, i)) > 0.1f)
            ++beadHues[h];
    }
    EXPECT_GT(pooled, pixelCount / 50);
    const auto hues = [](const std::vector<size_t>& sectors, size_t least) {
        return std::count_if(sectors.begin(), sectors.end(), [&](size_t n) { return n >= least; });
    };
    EXPECT_GE(hues(poolHues, 40), 6) << "pools in many colours";
    EXPECT_GE(hues(beadHues, 10), 6) << "beads in many colours";
}

// The count is a knob: the k-th light is always the k-th made, lights switched off keep their
// state, and the first fifty are the fifty a scene of fifty has.
TEST(ManyLights, RaisingTheCountMakesTheNextLightsAndLoweringItKeepsThem) {
    std::srand(1);
    std::vector<vantor::scene::Object> expected;
    for (int i = 0; i < 120; ++i)
        expected.emplace_back();
    auto game = renderedGame(50, 2.0);
    ASSERT_EQ(game->lightRig->lights.size(), 50u);
    game->settings.lights = 120;
    game->deltaTime = 0.5;
    game->update();
    ASSERT_EQ(game->lightRig->lights.size(), 120u);
    for (int i = 0; i < 120; ++i) {
        EXPECT_EQ(game->lightRig->lights[i]->color, expected[i].color) << i;
        EXPECT_EQ(game->lightRig->lights[i]->angularSpeed, expected[i].angularSpeed) << i;
    }
    const vantor::scene::Object kept = *game->lightRig->lights[100];
    game->settings.lights = 50;
    for (int frame = 0; frame < 4; ++frame)
        game->update();
    game->render();
    EXPECT_EQ(game->lightRig->lights.size(), 120u);
    EXPECT_EQ(game->lightRig->lights[100]->angle, kept.angle) << "an unused light stands still";
    EXPECT_EQ(game->lightRig->lights[100]->x, kept.x);
    EXPECT_EQ(game->lightRig->lightFrame.lightData.size(), 50u);
    // Past the largest count, the largest.
    game->settings.lights = lightcount::maxLightCount + 500;
    game->update();
    game->render();
    EXPECT_EQ(game->lightRig->lights.size(), size_t(lightcount::maxLightCount));
    EXPECT_EQ(game->lightRig->lightFrame.lightData.size(), size_t(lightcount::maxLightCount));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A light made while the scene is paused stands where its spiral starts, in the picture's light
// data too, not at the centre; a step that leaves a light's state infinite (an absurd speed)
// starts it again at the rim, and the shadow light's descent too, so a sane speed brings the
// moving scene back.
TEST(ManyLights, LightsMadeWhilePausedStandOnTheirPathAndBrokenLightsStartAgain) {
    auto game = renderedGame(50, 2.0);
    game->sceneClock.setPaused(true);
    game->settings.lights = 60;
    game->update();
    game->render();
    const glm::vec3 rim(3.0f, 0.25f, 0.0f);
    for (size_t i = 50; i < 60; ++i) {
        EXPECT_EQ(glm::vec3(game->lightRig->lights[i]->x, game->lightRig->lights[i]->y,
                            game->lightRig->lights[i]->z),
                  rim)
            << i;
        EXPECT_EQ(glm::vec3(game->lightRig->lightFrame.binned[i]), rim) << i;
    }
    game->sceneClock.setPaused(false);

    game->settings.lightSpeed = -std::numeric_limits<float>::infinity();
    game->deltaTime = 0.5;
    game->update();
    game->render();
    const auto finite = [](const glm::vec3& p) { return std::isfinite(p.x + p.y + p.z); };
    for (const glm::vec3& p : game->lightRig->lights.positions(60))
        EXPECT_TRUE(finite(p)) << p.x << " " << p.y << " " << p.z;
    EXPECT_TRUE(finite(game->shadow->lightPos));

    game->settings = RenderSettings();
    game->update();
    const std::vector<glm::vec3> before = game->lightRig->lights.positions(50);
    game->update();
    game->render();
    const std::vector<glm::vec3> after = game->lightRig->lights.positions(50);
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_TRUE(finite(after[i])) << i;
        EXPECT_NE(after[i], before[i]) << "light " << i << " moves again";
    }
    EXPECT_LE(game->shadow->lightPos.y, 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
