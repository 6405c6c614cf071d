// Per-pass timing of the frame renderer at 1280 x 768 over steady orbit frames. A measuring
// aid, not a check: disabled by default, run with
//   xvfb-run -a ./tests/gl_tests --gtest_also_run_disabled_tests --gtest_filter='*PassTiming*'
// from the build folder. Wall time is taken with glFinish around each pass; CPU time (all of
// the process's threads, llvmpipe's rasteriser threads included) is printed beside it because
// it hardly moves when other processes compete for the two cores.
// The shared test window is smaller than the targets, so the composite's window writes are
// clipped to 640 x 384 and cost less than in the demo.

#include "GlTestContext.h"
#include "render/FrameMath.h"
#include "render/Game.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

double wallMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

TEST(PassTiming, DISABLED_OrbitAt1280x768) {
    const int width = 1280, height = 768;
    Game game(glTestWindow(), width, height);
    game.init();
    game.controls->startTime = 0.0f;
    game.controls->lastFlightTime = 19.0f;
    game.deltaTime = 20.0; // the shadow light has come to rest

    const glm::mat4 transPosition = framemath::levelCopyTransform();
    PostProcessing& post = *game.postProcessing;
    const std::vector<std::pair<const char*, std::function<void()>>> passes = {
        {"shadow", [&] { game.shadowPass(transPosition); }},
        {"geometry", [&] { game.geometryPass(transPosition); }},
        {"lighting target", [&] { game.prepareLightingTarget(); }},
        {"lighting", [&] { game.lightingPass(); }},
        {"depth hand-over + forward", [&] { game.depthHandOver(); }},
        {"blur pass 1",
         [&] {
             glBindFramebuffer(GL_FRAMEBUFFER, 0);
             post.horizontal = true;
             post.blurPass(game.gaussShader, true);
         }},
        {"blur pass 2",
         [&] {
             post.horizontal = false;
             post.blurPass(game.gaussShader, false);
         }},
        {"blur pass 3",
         [&] {
             post.horizontal = true;
             post.blurPass(game.gaussShader, false);
             post.horizontal = false;
             glBindFramebuffer(GL_FRAMEBUFFER, 0);
             glBindVertexArray(0);
         }},
        {"composite",
         [&] {
             glEnable(GL_BLEND);
             glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
             post.composite(game.textureShader);
         }},
    };

    const int warmUp = 2, measured = 9;
    std::vector<std::vector<double>> wall(passes.size() + 1), cpu(passes.size() + 1);
    for (int frame = 0; frame < warmUp + measured; ++frame) {
        glfwSetTime(20.0 + frame); // one orbit position per second of flight
        game.update();
        game.deltaTime = 1.0;
        glFinish();
        for (size_t p = 0; p < passes.size(); ++p) {
            const double w = wallMs(), c = cpuMs();
            passes[p].second();
            glFinish();
            if (frame >= warmUp) {
                wall[p].push_back(wallMs() - w);
                cpu[p].push_back(cpuMs() - c);
            }
        }
        // The whole frame as the demo runs it.
        const double w = wallMs(), c = cpuMs();
        game.render();
        glFinish();
        if (frame >= warmUp) {
            wall.back().push_back(wallMs() - w);
            cpu.back().push_back(cpuMs() - c);
        }
    }

    std::printf("%-28s %10s %10s\n", "pass (median of 9)", "wall ms", "cpu ms");
    for (size_t p = 0; p < passes.size(); ++p)
        std::printf("%-28s %10.2f %10.2f\n", passes[p].first, median(wall[p]), median(cpu[p]));
    std::printf("%-28s %10.2f %10.2f\n", "render()", median(wall.back()), median(cpu.back()));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
