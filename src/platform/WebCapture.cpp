// The page's deterministic capture (web build only): the frame of the flight at a chosen time,
// rendered the way the benchmark's --capture renders it (the Game on the benchmark's fixed-step
// timeline from time 0), written to /capture.png in the page's memory file system. The page
// calls it in place of main when its address asks for a capture.
#ifdef __EMSCRIPTEN__

#include <emscripten.h>

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include "Timeline.h"
#include "gpu/PictureFile.h"
#include "render/Game.h"
#include "render/RenderSettings.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

using namespace vantor;

namespace {

Game* captured = nullptr; // the Game of the last capture, kept for demoCaptureFrameMs

} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE const char* demoCapture(int width, int height, double t,
                                                        const char* settings) {
    static std::string failure;
    failure.clear();
    RenderSettings chosen;
    if (settings && *settings && !applySettingList(chosen, settings, failure))
        return failure.c_str();
    if (width < 1 || height < 1 || width > 8192 || height > 8192 || !(t >= 0.0 && t <= 1e5)) {
        failure = "capture: size 1..8192 and a flight time from 0 s expected";
        return failure.c_str();
    }
    if (!glfwInit()) {
        failure = "Failed to init glfw";
        return failure.c_str();
    }
    GLFWwindow* window = glfwCreateWindow(width, height, "Demo", nullptr, nullptr);
    if (!window) {
        failure = "Failed to open window";
        return failure.c_str();
    }
    glfwMakeContextCurrent(window);
    glewInit();
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, width, height);
    Game* game = new Game(window, width, height);
    // Flight time 0 is the camera's start: the timeline's clock stands at 0 while init runs.
    Timeline timeline(*game, 1.0 / 60.0);
    game->init();
    game->settings = chosen;
    timeline.advanceTo(t);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game->render();
    if (!writePng("/capture.png", readWindow(width, height)))
        failure = "capture: cannot write /capture.png";
    captured = game;
    return failure.c_str();
}

// The median time in milliseconds of `frames` renders of the last capture's frame, each waited
// for by reading one pixel back (WebGL's finish does not wait); 0 without a capture.
extern "C" EMSCRIPTEN_KEEPALIVE double demoCaptureFrameMs(int frames) {
    if (!captured || frames < 1)
        return 0.0;
    std::vector<double> times;
    unsigned char pixel[4];
    for (int i = 0; i < frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        captured->render();
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

#endif
