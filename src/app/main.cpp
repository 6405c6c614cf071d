// Process entry: command line, window and GL context, the Game, the frame loop.

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include "app/CommandLine.h"
#include "app/DebugOutput.h"
#include "app/FrameTimeHistory.h"
#include "app/Inspect.h"
#include "app/ScreenshotWriter.h"
#include "app/SettingsPanel.h"
#include "app/ShaderWatcher.h"
#include "gpu/WindowSize.h"
#include "gpu/Fatal.h"
#include "input/KeyEvents.h"
#include "render/Game.h"
#include "render/HudText.h"
#include "render/Overlay.h"
#include "render/PassClock.h"
#include "render/RenderScale.h"

#include <cstdint>
#include <iostream>
#include <memory>
#include <unistd.h>
#include <utility>

int screenWidth = 1280;
int screenHeight = 768;
Game* game = nullptr;

namespace {

GLFWwindow* openWindow(bool fullscreen) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    GLFWmonitor* monitor = nullptr;
    if (fullscreen) {
        monitor = glfwGetPrimaryMonitor();
        glfwWindowHint(GLFW_REFRESH_RATE, 60);
    }
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    // GLFW asserts on a size below 1, xcb on some huge ones, and the driver would try to
    // allocate the frame's targets before failing: such sizes never reach the library.
    if (!windowSizeFitsMachine(screenWidth, screenHeight, physicalMemoryBytes()))
        return nullptr;
    return glfwCreateWindow(screenWidth, screenHeight, "Demo", monitor, nullptr);
}

bool frameHidden(GLFWwindow* window) {
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    return glfwGetWindowAttrib(window, GLFW_ICONIFIED) || width <= 0 || height <= 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (!commandLine.startLine.empty())
        std::cout << commandLine.startLine << std::endl;
    if (!commandLine.failure.empty())
        fatalExit(commandLine.failure, 1);
    screenWidth = commandLine.screenWidth;
    screenHeight = commandLine.screenHeight;

    if (!glfwInit())
        fatalExit("Failed to init glfw", -1);
    GLFWwindow* window = openWindow(commandLine.fullscreen);
    if (!window) {
        glfwTerminate();
        fatalExit("Failed to open window", -1);
    }
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    // Key presses are recorded as they arrive, so a tap shorter than one frame still counts
    // (Escape included) and a released key stays released.
    vantor::input::recordKeys(window);

    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        fatalExit("Failed to initialize glew", -1);
    // The G-buffer and the post-processing targets take the window's size; a context that cannot
    // make targets that large counts as one that could not open this window.
    if (!windowSizeFitsGl(screenWidth, screenHeight, queryGlSizeLimits())) {
        glfwTerminate();
        fatalExit("Failed to open window", -1);
    }

    double lastTime = glfwGetTime();
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, screenWidth, screenHeight);

    game = new Game(window, screenWidth, screenHeight);
    game->init();
    installDebugOutput();

    // Looking inside the frame: the timing overlay (off until F1), its text and its clock. While
    // the overlay is off nothing watches the passes and nothing is drawn over the frame.
    HudText text;
    std::unique_ptr<Overlay> overlay;
    std::unique_ptr<PassClock> passClock;
    // The settings panel (off until F2) and the frame times its graph shows.
    auto panel = std::make_unique<SettingsPanel>(window);
    FrameTimeHistory frameTimes;
    int panelScreenshots = 0; // asked for by the panel's button, taken with the next frame
    // Shader files edited while the demo runs are rebuilt within the frame loop; F5 rebuilds all.
    ShaderWatcher shaderWatcher;
    ScreenshotWriter screenshots;          // F12: read back here, encoded and written by its own thread
    RenderScaleController scaleController; // moves the render scale while a frame-rate target is set

    while (!glfwWindowShouldClose(window)) {
        // A minimised or zero-sized window shows nothing: nothing is drawn, and the loop sleeps
        // until something happens (or a short while passes) instead of spinning. Time spent
        // hidden is no frame's time and no scene time: neither the lights nor the flight jump
        // on restore, and the overlay does not count it as a frame.
        if (frameHidden(window)) {
            glfwWaitEventsTimeout(0.1);
            if (glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS)
                glfwSetWindowShouldClose(window, GLFW_TRUE);
            const double now = glfwGetTime();
            game->controls->skipTime(now - lastTime);
            lastTime = now;
            if (passClock)
                passClock->skip();
            frameTimes.clear();
            screenshots.printReports(std::cout, std::cerr);
            continue;
        }

        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const double currentTime = glfwGetTime();
        game->deltaTime = currentTime - lastTime;
        lastTime = currentTime;
        game->settings.renderScale = scaleController.frameDone(
            game->deltaTime * 1000.0, game->settings.targetFps, game->settings.renderScale);

        glfwPollEvents();
        if (glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS)
            glfwSetWindowShouldClose(window, GLFW_TRUE);

        // The frame follows the framebuffer, whatever resized it (the user, a window manager,
        // full screen at a size the monitor lacks); the size is polled like the rest of the input.
        int framebufferWidth = 0;
        int framebufferHeight = 0;
        glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
        if (framebufferWidth <= 0 || framebufferHeight <= 0)
            continue; // hidden since the top of the loop
        game->resize(framebufferWidth, framebufferHeight);

        // Keys typed into one of the panel's text fields are the panel's alone.
        vantor::input::KeyRecord& keys = vantor::input::recordKeys(window);
        InspectKeys inspect = panel->wantsKeys() ? InspectKeys{} : readInspectKeys(keys);
        inspect.screenshots += std::exchange(panelScreenshots, 0);
        if (inspect.togglePanel)
            panel->toggle();
        const vantor::ControlsFocus focus = panel->cameraFocus();
        frameTimes.add(game->deltaTime * 1000.0);
        if (inspect.view)
            game->settings.view = inspect.view;
        if (inspect.togglePause)
            game->setPaused(!game->paused);
        if (inspect.toggleOverlay) {
            // Shown again, the overlay starts counting afresh.
            passClock.reset();
            overlay = overlay ? nullptr : std::make_unique<Overlay>();
            if (overlay)
                passClock = std::make_unique<PassClock>(*overlay);
        }
        game->passObserver = passClock.get();
        shaderWatcher.update(currentTime, !panel->wantsKeys() && keys.presses(GLFW_KEY_F5) > 0);

        observedPass(game->passObserver, "update", [&] { game->update(focus); });
        game->render();
        // A shader that failed to reload says why in the top-left corner, over the last picture
        // that built; the overlay then goes below it.
        const int textScale = HudText::scaleFor(game->screenHeight);
        const std::vector<std::string> reloadErrors =
            shaderWatcher.messageLines(game->screenHeight / (FontLayout::lineHeight * textScale) / 2,
                                       game->screenWidth / (FontLayout::advance * textScale) - 4);
        text.draw(reloadErrors, 8, 8, textScale, game->screenWidth, game->screenHeight);
        const int overlayTop = reloadErrors.empty() ? 8 : 16 + HudText::boxSize(reloadErrors, textScale).y;
        if (overlay) {
            const OverlayState state{game->screenWidth,
                                     game->screenHeight,
                                     TargetView::name(game->shownView()),
                                     game->controls->cameraFlight,
                                     game->flightTime(),
                                     game->paused,
                                     game->settings.renderScale,
                                     game->frameWidth,
                                     game->frameHeight};
            text.draw(overlay->lines(state), 8, overlayTop, textScale, game->screenWidth, game->screenHeight);
        }
        screenshots.take(game->screenWidth, game->screenHeight, inspect.screenshots);
        // Over the picture but not in its screenshots.
        const PanelRequests asked = panel->draw(
            game->settings, {game->controls->cameraFlight, game->flightTime(), vantor::camera::kFlightSeconds,
                             game->paused, &frameTimes, &reloadErrors});
        if (asked.toggleFlight)
            game->controls->cameraFlight = !game->controls->cameraFlight;
        if (asked.jumpFlightTo)
            game->jumpFlightTo(*asked.jumpFlightTo);
        if (asked.togglePause)
            game->setPaused(!game->paused);
        panelScreenshots += asked.screenshot;
        glfwSwapBuffers(window);
        screenshots.printReports(std::cout, std::cerr);
        if (passClock)
            passClock->frameEnds();

        if (glGetError() != GL_NO_ERROR)
            std::cout << "GL ERROR DETECTED!!!" << std::endl;
    }

    screenshots.finish(); // none taken is lost on the way out
    text.release();
    panel.reset();
    game->destroy();
    glfwTerminate();
    return 0;
}
