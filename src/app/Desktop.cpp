#include "app/Desktop.h"

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include "app/Inspect.h"
#include "gpu/GlProfile.h"
#include "input/KeyEvents.h"
#include "render/Game.h"
#include "render/Overlay.h"
#include "render/PassClock.h"
#include "render/PassObserver.h"

#include <iostream>
#include <utility>

namespace {

bool frameHidden(GLFWwindow* window) {
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    return glfwGetWindowAttrib(window, GLFW_ICONIFIED) || width <= 0 || height <= 0;
}

} // namespace

Desktop::Desktop(GLFWwindow* window, Game& game, double startTime)
    : window(window), game(game), lastTime(startTime), panel(std::make_unique<SettingsPanel>(window)) {}

Desktop::~Desktop() {
    screenshots.finish(); // none taken is lost on the way out
    text.release();
    panel.reset();
}

void Desktop::hiddenStretch() {
    // Nothing is drawn, and the loop sleeps until something happens (or a short while passes)
    // instead of spinning. Time spent hidden is no frame's time and no scene time: neither the
    // lights nor the flight jump on restore, and neither the overlay nor the panel's graph counts
    // it as a frame. (Escape still ends the run: the key callback sees it.)
    glfwWaitEventsTimeout(0.1);
    const double now = glfwGetTime();
    game.controls->skipTime(now - lastTime);
    lastTime = now;
    if (passClock)
        passClock->skip();
    frameTimes.restart();
    screenshots.printReports(std::cout, std::cerr);
}

bool Desktop::poll() {
    if (frameHidden(window)) {
        hiddenStretch();
        return false;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    frameStart = glfwGetTime();
    game.deltaTime = frameStart - lastTime;
    lastTime = frameStart;
    frameWork.starts(frameStart);
    game.settings.renderScale =
        scaleController.frameDone(frameWork.ms(), game.settings.targetFps, game.settings.renderScale);
    glfwPollEvents();

    // The frame follows the framebuffer, whatever resized it (the user, a window manager, full
    // screen at a size the monitor lacks); the size is polled like the rest of the input.
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    if (framebufferWidth <= 0 || framebufferHeight <= 0)
        return false; // hidden since the top of the loop
    game.resize(framebufferWidth, framebufferHeight);
    return true;
}

void Desktop::update() {
    // Keys typed into one of the panel's text fields are the panel's alone.
    vantor::input::KeyRecord& keys = vantor::input::recordKeys(window);
    InspectKeys inspect = panel->wantsKeys() ? InspectKeys{} : readInspectKeys(keys);
    screenshotsAsked = inspect.screenshots + std::exchange(panelScreenshots, 0);
    if (inspect.togglePanel)
        panel->toggle();
    const vantor::ControlsFocus focus = panel->cameraFocus();
    frameTimes.add(game.deltaTime * 1000.0);
    if (inspect.view)
        game.settings.view = inspect.view;
    if (inspect.togglePause)
        game.pause.setPaused(!game.pause.paused);
    if (inspect.toggleOverlay) {
        // Shown again, the overlay starts counting afresh.
        passClock.reset();
        overlay = overlay ? nullptr : std::make_unique<Overlay>();
        if (overlay)
            passClock = std::make_unique<PassClock>(*overlay);
    }
    game.passObserver = passClock.get();
    shaderWatcher.update(frameStart, panel->wantsKeys() ? 0 : keys.presses(GLFW_KEY_F5));

    observedPass(game.passObserver, "update", [&] { game.update(focus); });
}

void Desktop::render() {
    game.render();
    // A shader that failed to reload says why in the top-left corner, over the last picture that
    // built; the overlay then goes below it, or beside the panel when that is open over it.
    const int width = game.screenWidth;
    const int height = game.screenHeight;
    const int textScale = HudText::scaleFor(height);
    const std::vector<std::string> reloadErrors = shaderWatcher.messageLines(
        height / (FontLayout::lineHeight * textScale) / 2, width / (FontLayout::advance * textScale) - 4);
    text.draw(reloadErrors, 8, 8, textScale, width, height);
    if (overlay) {
        const OverlayState state{width,
                                 height,
                                 TargetView::name(game.shownView()),
                                 game.controls->cameraFlight,
                                 game.pause.flightTime(),
                                 game.pause.paused,
                                 game.settings.renderScale,
                                 game.frameWidth,
                                 game.frameHeight};
        const std::vector<std::string> lines = overlay->lines(state);
        const int top = reloadErrors.empty() ? 8 : 16 + HudText::boxSize(reloadErrors, textScale).y;
        std::optional<PixelRect> cover;
        if (const std::optional<SettingsPanel::Area> area = panel->area())
            cover = PixelRect{area->left, area->top, area->right, area->bottom};
        const PixelPoint at =
            placeBeside({8, top}, HudText::boxSize(lines, textScale).x, width, cover ? &*cover : nullptr);
        text.draw(lines, at.x, at.y, textScale, width, height);
    }
    screenshots.take(width, height, screenshotsAsked);

    const PanelRequests asked = panel->draw(
        game.settings, {game.controls->cameraFlight, game.pause.flightTime(), vantor::camera::kFlightSeconds,
                        game.pause.paused, &frameTimes, &reloadErrors, game.scene});
    if (asked.toggleFlight)
        game.controls->setFlight(!game.controls->cameraFlight, vantor::Controls::clock());
    if (asked.jumpFlightTo)
        game.pause.jumpFlightTo(*asked.jumpFlightTo);
    if (asked.togglePause)
        game.pause.setPaused(!game.pause.paused);
    panelScreenshots += asked.screenshot;
    // Until the next frame's panel says otherwise, keys typed into one of its fields are typing.
    vantor::input::recordKeys(window).setTyping(panel->wantsKeys());
}

void Desktop::present() {
    // No swap interval is set: the platform's default holds (vsync on many desktop drivers, none
    // under Xvfb). The render-scale controller is fed the work up to the swap, never the wait
    // within it, so it holds its target either way; finishing the GL's work first puts the GPU's
    // part in that time, at the cost of the overlap between this frame's drawing and the swap,
    // and only while a target is set.
    if (game.settings.targetFps > 0)
        glprofile::waitForGpu();
    frameWork.handedToSwap(glfwGetTime());
    glfwSwapBuffers(window);
    screenshots.printReports(std::cout, std::cerr);
    if (passClock)
        passClock->frameEnds();
    if (glGetError() != GL_NO_ERROR)
        std::cout << "GL ERROR DETECTED!!!" << std::endl;
}
