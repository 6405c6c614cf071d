// Per-pass timing of the frame renderer at 1280 x 768 over steady orbit frames. A measuring
// aid, not a check: disabled by default, run with
//   xvfb-run -a ./tests/gl_tests --gtest_also_run_disabled_tests --gtest_filter='*PassTiming*'
// from the build folder. It watches Game::render itself through the pass observer: wall time
// with glFinish at both ends of each pass, and CPU time (all of the process's threads,
// llvmpipe's rasteriser threads included) beside it, because that hardly moves when other
// processes compete for the two cores.
// The shared test window is smaller than the targets, so the composite's window writes are
// clipped to 640 x 384 and cost less than in the demo.

#include "GlTestContext.h"
#include "render/Game.h"
#include "render/PassObserver.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

using namespace vantor;

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

struct PassCost {
    std::string name;
    std::vector<double> wall, cpu;
};

class PassClock : public PassObserver {
public:
    void passBegins(const char*) override {
        glFinish();
        wallStart = wallMs();
        cpuStart = cpuMs();
    }
    void passEnds(const char* name) override {
        glFinish();
        const double wall = wallMs() - wallStart, cpu = cpuMs() - cpuStart;
        if (!recording)
            return;
        auto pass =
            std::find_if(passes.begin(), passes.end(), [&](const PassCost& p) { return p.name == name; });
        if (pass == passes.end())
            pass = passes.insert(passes.end(), PassCost{name, {}, {}});
        pass->wall.push_back(wall);
        pass->cpu.push_back(cpu);
    }
    std::vector<PassCost> passes; // in the order render ran them
    bool recording = false;

private:
    double wallStart = 0, cpuStart = 0;
};

} // namespace

TEST(PassTiming, DISABLED_OrbitAt1280x768) {
    const int width = 1280, height = 768;
    Game game(glTestWindow(), width, height);
    game.init();
    game.controls->startTime = 0.0f;
    game.controls->lastFlightTime = 19.0f;
    game.deltaTime = 20.0; // the shadow light has come to rest

    PassClock clock;
    game.passObserver = &clock;
    const int warmUp = 2, measured = 9;
    std::vector<double> frameWall, frameCpu;
    for (int frame = 0; frame < warmUp + measured; ++frame) {
        glfwSetTime(20.0 + frame); // one orbit position per second of flight
        game.update();
        game.deltaTime = 1.0;
        clock.recording = frame >= warmUp;
        glFinish();
        const double w = wallMs(), c = cpuMs();
        game.render();
        glFinish();
        if (clock.recording) {
            frameWall.push_back(wallMs() - w);
            frameCpu.push_back(cpuMs() - c);
        }
    }
    game.passObserver = nullptr;

    std::printf("%-28s %10s %10s\n", "pass (median of 9)", "wall ms", "cpu ms");
    for (const PassCost& pass : clock.passes)
        std::printf("%-28s %10.2f %10.2f\n", pass.name.c_str(), median(pass.wall), median(pass.cpu));
    std::printf("%-28s %10.2f %10.2f\n", "render() with the observer", median(frameWall), median(frameCpu));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
