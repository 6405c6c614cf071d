// The light count as a knob: a thousand lights through the same passes, judged by what the
// picture shows and by how many lights each pixel's list makes the lighting pass visit.

#include "GlTestContext.h"
#include "render/Game.h"
#include "render/LightCount.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

namespace {

const int width = 640;
const int height = 384;
const size_t pixelCount = size_t(width) * height;

using Image = std::vector<float>; // RGBA floats, rows bottom-up

Image readTexture(GLuint texture) {
    Image pixels(pixelCount * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, pixels.data());
    return pixels;
}

glm::vec3 rgb(const Image& image, size_t i) {
    return {image[4 * i], image[4 * i + 1], image[4 * i + 2]};
}

// A Game with `lights` lights, the unseeded generator's sequence restarted (other tests in this
// process draw from it too), its flight advanced to `seconds` and that frame rendered.
std::unique_ptr<Game> renderedGame(int lights, double seconds) {
    std::srand(1);
    auto game = std::make_unique<Game>(glTestWindow(), width, height);
    game->objectCount = lights;
    game->init();
    game->controls->startTime = 0.0f;
    game->controls->lastFlightTime = 0.0f;
    for (double now = 0.5; now <= seconds + 1e-9; now += 0.5) {
        glfwSetTime(now);
        game->deltaTime = 0.5;
        game->update();
    }
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
    const Image position = readTexture(game.gPosition);
    const Image normal = readTexture(game.gNormal);
    const lightcount::LightLook look = game.lightFrame.look;
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
                    const std::vector<int> listed = lightgrid::lightsAt(game.lightFrame.grid, p);
                    longest = std::max(longest, listed.size());
                    work.listedPerPixel += listed.size();
                    for (int light : listed)
                        work.reachingPerPixel += reaches(glm::vec3(game.lightFrame.lightData[light]), p);
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

TEST(ManyLights, Stats) {
    for (double t : {3.0, 9.0, 20.0, 48.0})
        for (int lights : {50, 1000}) {
            auto game = renderedGame(lights, t);
            const LoopWork w = loopWork(*game);
            const auto t0 = std::chrono::steady_clock::now();
            for (int k = 0; k < 10; ++k)
                game->prepareLights();
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / 10;
            std::printf("prepare %.2f ms boxes %zu\n", ms, game->lightFrame.grid.boxes.size());
            std::printf("t %4.0f lights %4d: group %.2f listed %.2f reaching %.2f  indices %zu\n", t, lights,
                        w.visitsPerGroup, w.listedPerPixel, w.reachingPerPixel, game->lightFrame.grid.indices.size());
        }
}
