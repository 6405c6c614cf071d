#include "FrameTimer.h"

#include "Timeline.h"
#include "render/FrameMath.h"
#include "render/Game.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char* const passNames[] = {"update",     "shadow",     "geometry",   "lighting",  "forward",
                                 "blur 1 (h)", "blur 2 (v)", "blur 3 (h)", "composite", "swap"};

} // namespace

FrameTimer::FrameTimer() {
    for (const char* name : passNames)
        passes.push_back({name, {}});
}

void FrameTimer::runFrame(Game& game, Timeline& timeline, GLFWwindow* window, bool record) {
    size_t next = 0;
    Clock::time_point mark;
    auto begin = [&] {
        glFinish();
        mark = Clock::now();
    };
    auto end = [&] {
        glFinish();
        const double ms = millisecondsSince(mark);
        if (record)
            passes[next].ms.push_back(ms);
        ++next;
    };

    glFinish();
    const Clock::time_point frameStart = Clock::now();
    // The demo's loop clears whatever framebuffer the previous frame left bound.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwPollEvents();

    begin();
    timeline.advance(timeline.frameStep());
    end();

    // Game::render, one pass at a time.
    const glm::mat4 transPosition = framemath::levelCopyTransform();
    begin();
    game.shadowPass(transPosition);
    end();
    begin();
    game.geometryPass(transPosition);
    end();
    begin();
    game.prepareLightingTarget();
    game.lightingPass();
    end();
    begin();
    game.depthHandOver();
    end();

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    PostProcessing& post = *game.postProcessing;
    post.horizontal = true;
    for (int pass = 0; pass < 3; ++pass) {
        begin();
        post.blurPass(game.gaussShader, pass == 0);
        post.horizontal = !post.horizontal;
        end();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindVertexArray(0);

    begin();
    glEnable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    post.composite(game.textureShader);
    end();

    begin();
    glfwSwapBuffers(window);
    end();

    if (glGetError() != GL_NO_ERROR)
        ++glErrors;
    if (record)
        frame.ms.push_back(millisecondsSince(frameStart));
}
