#pragma once
// The desktop's share of every frame around the Game's update and render: the frame clock, a
// minimised window's stretches, the keys that look inside the frame, the timing overlay, shader
// reloads and their messages, screenshots, and the settings panel with what it asks for. The
// entry point opens the window and makes the Game; this runs each turn of its loop.

#include "app/FrameTimeHistory.h"
#include "app/ScreenshotWriter.h"
#include "app/SettingsPanel.h"
#include "app/ShaderWatcher.h"
#include "app/UiContext.h"
#include "render/RenderScale.h"

#include <memory>
#include <string>
#include <vector>
struct GLFWwindow;

namespace vantor {

class Game;
class Overlay;
class PassClock;

class WindowSession {
public:
    // `game` is set up; its window's context is current. The first frame's time runs from
    // `startTime` (a glfwGetTime reading).
    WindowSession(GLFWwindow* window, Game& game, double startTime);
    // Waits for the screenshots still being saved and releases the panel and the user-interface
    // library (the context must still be current).
    ~WindowSession();
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    // Starts a frame: clears, measures the frame time and polls the window's events. False when
    // the window shows nothing (minimised, or no area); the loop then waited a while instead,
    // and that time is no frame's and no scene time.
    bool poll();
    // The keys and the panel's focus, then the Game's update. While the panel is open its frame
    // begins here, so the keys it hands on act in this turn.
    void update();
    // The Game's frame, then over it the shadow view's labels, the reload messages and the
    // overlay, the screenshots taken, and the panel (over the picture but not in its screenshots).
    void render();
    // Shows the frame and reports what finished meanwhile (screenshots, GL errors).
    void present();

private:
    void hiddenStretch();
    // Whether anything is to be drawn through the user-interface library in this frame.
    bool wantsUi() const;

    GLFWwindow* window;
    Game& game;
    double lastTime;
    double frameStart = 0.0;
    // The user-interface library, shared by the screen text and the panel; started on first need.
    UiContext ui;
    // Looking inside the frame: the timing overlay (off until F1) and its clock. While the overlay
    // is off nothing watches the passes and nothing is drawn over the frame.
    std::unique_ptr<Overlay> overlay;
    std::unique_ptr<PassClock> passClock;
    // The settings panel (off until F2) and the frame times its graph shows.
    std::unique_ptr<SettingsPanel> panel;
    FrameTimeHistory frameTimes;
    int panelScreenshots = 0; // asked for by the panel's button, taken with the next frame
    int screenshotsAsked = 0; // in this frame, by F12 or the panel
    // Shader files edited while the demo runs are rebuilt within the frame loop; F5 rebuilds all.
    ShaderWatcher shaderWatcher;
    ScreenshotWriter screenshots;          // F12: read back here, encoded and written by its own thread
    RenderScaleController scaleController; // moves the render scale while a frame-rate target is set
    FrameWork frameWork;                   // the work up to the swap: what the controller is fed
};

} // namespace vantor
