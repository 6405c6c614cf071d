#include "app/WindowSession.h"

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include "app/Inspect.h"
#include "app/ScreenText.h"
#include "app/TextLayout.h"
#include "gpu/GlProfile.h"
#include "input/KeyEvents.h"
#include "render/Game.h"
#include "render/Overlay.h"
#include "render/PassClock.h"
#include "render/PassObserver.h"
#include "render/SceneContent.h"

#include <iostream>
#include <utility>

namespace vantor {

namespace {

bool frameHidden(GLFWwindow* window) {
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    return glfwGetWindowAttrib(window, GLFW_ICONIFIED) || width <= 0 || height <= 0;
}

} // namespace

WindowSession::WindowSession(GLFWwindow* window, Game& game, double startTime)
    : window(window), game(game), lastTime(startTime), ui(window),
      panel(std::make_unique<SettingsPanel>(window, ui)) {}

WindowSession::~WindowSession() {
    screenshots.finish(); // none taken is lost on the way out
    panel.reset();
}

void WindowSession::hiddenStretch() {
    // Nothing is drawn, and the loop sleeps until something happens (or a short while passes)
    // instead of spinning. Time spent hidden is no frame's time and no scene time: neither the
    // lights nor the flight jump on restore, and neither the overlay nor the panel's graph counts
    // it as a frame. (Escape still ends the run: the key callback sees it.)
    glfwWaitEventsTimeout(0.1);
    panel->skipFrame();
    const double now = glfwGetTime();
    game.controls->skipTime(now - lastTime);
    lastTime = now;
    if (passClock)
        passClock->skip();
    frameTimes.restart();
    screenshots.printReports(std::cout, std::cerr);
}

bool WindowSession::poll() {
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

void WindowSession::update() {
    // While the panel is open, the keys reach the record from its frame, in the order they came;
    // those typed into one of its text fields count for nothing there.
    panel->beginFrame();
    vantor::input::KeyRecord& keys = vantor::input::recordKeys(window);
    InspectKeys inspect = readInspectKeys(keys);
    screenshotsAsked = inspect.screenshots + std::exchange(panelScreenshots, 0);
    if (inspect.togglePanel)
        panel->toggle();
    const vantor::ControlsFocus focus = panel->cameraFocus();
    frameTimes.add(game.deltaTime * 1000.0);
    if (inspect.view)
        game.settings.view = inspect.view;
    if (inspect.togglePause)
        game.sceneClock.setPaused(!game.sceneClock.paused);
    if (inspect.toggleOverlay) {
        // Shown again, the overlay starts counting afresh.
        passClock.reset();
        overlay = overlay ? nullptr : std::make_unique<Overlay>();
        if (overlay)
            passClock = std::make_unique<PassClock>(*overlay);
    }
    game.passObserver = passClock.get();
    shaderWatcher.update(frameStart, keys.presses(GLFW_KEY_F5), game.allPrograms());

    observedPass(game.passObserver, "update", [&] { game.update(focus); });
}

bool WindowSession::wantsUi() const {
    return panel->isOpen() || overlay || game.shownView() == TargetViewId::ShadowCube ||
           !shaderWatcher.messageLines(1, 4).empty();
}

void WindowSession::render() {
    game.render();
    const int width = game.screenWidth;
    const int height = game.screenHeight;
    // The library's frame was begun at the update while the panel was open (it may have closed
    // since: the frame still ends here); otherwise it begins here when there is anything to draw.
    const bool drawUi = wantsUi() || ui.frameBegun();
    std::vector<std::string> reloadErrors;
    PanelRequests asked;
    if (drawUi) {
        ui.start();
        // Opened since the update: its frame, and the keys it takes, begin now.
        panel->beginFrame();
        if (!ui.frameBegun())
            ui.beginFrame();
        // A shader that failed to reload says why in the top-left corner, over the last picture that
        // built, or at the top of the panel while that is open over the corner; the overlay goes
        // below the message and clear of the panel and of the shadow view's labels.
        const TextMetrics metrics = currentTextMetrics();
        const TextRoom room = messageRoom(width, height, metrics);
        reloadErrors = shaderWatcher.messageLines(room.lines, room.columns);
        ScreenTextScene scene;
        scene.width = width;
        scene.height = height;
        scene.messages = reloadErrors;
        scene.faceLabels = game.shownView() == TargetViewId::ShadowCube;
        if (overlay)
            scene.overlay = overlay->lines({width, height, TargetView::name(game.shownView()),
                                            game.controls->cameraFlight, game.sceneClock.flightTime(),
                                            game.sceneClock.paused, game.settings.renderScale,
                                            game.frameWidth, game.frameHeight});
        if (const std::optional<SettingsPanel::Area> area = panel->area())
            scene.panel = PixelRect{area->left, area->top, area->right, area->bottom};
        drawScreenText(layoutScreenText(scene, metrics));
        asked = panel->draw(game.settings, {game.controls->cameraFlight, game.sceneClock.flightTime(),
                                            vantor::camera::kFlightSeconds, game.sceneClock.paused,
                                            &frameTimes, &reloadErrors, game.content->scene});
        ui.endFrame();
        ui.drawText();
    }
    screenshots.take(width, height, screenshotsAsked);
    if (drawUi)
        ui.drawWindows();

    if (asked.toggleFlight)
        game.controls->setFlight(!game.controls->cameraFlight, vantor::Controls::clock());
    if (asked.jumpFlightTo)
        game.sceneClock.jumpFlightTo(*asked.jumpFlightTo);
    if (asked.togglePause)
        game.sceneClock.setPaused(!game.sceneClock.paused);
    panelScreenshots += asked.screenshot;
}

void WindowSession::present() {
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

} // namespace vantor
