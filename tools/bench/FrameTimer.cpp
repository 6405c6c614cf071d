#include "FrameTimer.h"

#include "Timeline.h"
#include "render/Game.h"
#include "render/PassObserver.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

void FrameTimer::passBegins(const char*) {
    stopwatch.start();
}

void FrameTimer::passEnds(const char* name) {
    const double ms = stopwatch.stopMs();
    if (!recording)
        return;
    auto pass = std::find_if(passes.begin(), passes.end(),
                             [&](const PassTimes& p) { return std::strcmp(p.name.c_str(), name) == 0; });
    if (pass == passes.end())
        pass = passes.insert(passes.end(), PassTimes{name, {}});
    pass->ms.push_back(ms);
}

void FrameTimer::runFrame(Game& game, Timeline& timeline, GLFWwindow* window, bool record) {
    recording = record;
    glFinish();
    const Clock::time_point frameStart = Clock::now();
    // The demo's loop clears whatever framebuffer the previous frame left bound.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwPollEvents();

    // The controller is fed the work up to the swap, as the demo's loop feeds it (finished
    // first while a target is set; between passes everything is finished anyway).
    double workMs = 0.0;
    if (wholeFrames) {
        timeline.advance(timeline.frameStep());
        game.render();
        if (game.settings.targetFps > 0)
            glFinish();
        workMs = millisecondsSince(frameStart);
        glfwSwapBuffers(window);
        glFinish();
    } else {
        observedPass(this, "update", [&] { timeline.advance(timeline.frameStep()); });
        PassObserver* const previous = game.passObserver;
        game.passObserver = this;
        game.render();
        game.passObserver = previous;
        workMs = millisecondsSince(frameStart);
        observedPass(this, "swap", [&] { glfwSwapBuffers(window); });
    }

    if (glGetError() != GL_NO_ERROR)
        ++glErrors;
    const double ms = millisecondsSince(frameStart);
    if (framesRun++ == 0)
        firstFrameMs = ms;
    if (record)
        frame.ms.push_back(ms);
    renderScale = game.settings.renderScale;
    frameWidth = game.frameWidth;
    frameHeight = game.frameHeight;
    const float next = scaleController.frameDone(workMs, game.settings.targetFps, renderScale);
    scaleChanges += next != renderScale;
    game.settings.renderScale = next;
}

} // namespace vantor
