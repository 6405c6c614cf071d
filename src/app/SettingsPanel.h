#pragma once
// The settings panel (F2): a small Dear ImGui window over the picture that edits the renderer's
// RenderSettings while the demo runs, switches and jumps the camera's flight, pauses, takes a
// screenshot and graphs the last seconds' frame times. The panel only edits and asks; the frame
// loop applies what it returns. It draws through the window's UiContext, which it starts the
// first time it opens; while it is closed it does no work at all. Writes no file (no imgui.ini).

#include "app/FrameTimeHistory.h"
#include "app/PanelFit.h"
#include "input/Controls.h"
#include "render/RenderSettings.h"
#include "scene/SceneModel.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>
struct GLFWwindow;

namespace vantor {

class UiContext;
// The panel's input on its way to the library and the demo, frame by frame (SettingsPanel.cpp).
struct PanelInput;

// What the panel shows besides the settings, filled in by the frame loop.
struct PanelState {
    bool flight = true;
    double flightTime = 0.0; // seconds
    double flightEnd = 60.0; // the slider's end
    bool paused = false;
    const FrameTimeHistory* frameTimes = nullptr;
    // Lines to show at the top of the panel (a shader that failed to rebuild): while the panel is
    // open they are shown here instead of in the picture's corner, which it covers.
    const std::vector<std::string>* notices = nullptr;
    // The model shown in place of the hall, when there is one: what was loaded.
    const vantor::scene::SceneModel* scene = nullptr;
};

// What the user asked for in this frame, beyond the settings edited in place.
struct PanelRequests {
    bool toggleFlight = false;
    std::optional<double> jumpFlightTo;
    bool togglePause = false;
    bool screenshot = false;
};

class SettingsPanel {
public:
    // `ui` outlives the panel; the panel's callbacks go in front of its back-end's once it starts.
    SettingsPanel(GLFWwindow* window, UiContext& ui);
    // Takes its callbacks out of the window's chain if the library had started.
    ~SettingsPanel();
    SettingsPanel(const SettingsPanel&) = delete;
    SettingsPanel& operator=(const SettingsPanel&) = delete;

    // Opens or closes the panel; an opening starts the library if nothing has yet, a closing hands
    // the input still waiting for the panel's frames on to the demo.
    void toggle();
    bool isOpen() const { return open; }

    // While open: whether the pointer is over the panel or dragging one of its widgets, and
    // whether one of its text fields has the keyboard (and so takes the keys of the next frame).
    bool wantsMouse() const;
    bool wantsKeys() const;

    // No frame is drawn in this turn of the loop (the window is minimised). Keys that came while
    // open wait for the panel's next frame only while one of its fields has the keyboard; else
    // they go on to the demo now (Escape still ends the run).
    void skipFrame();

    // What the camera may use in this update, and the cursor to match. Closed: everything, the
    // cursor hidden as the demo has it. Open: the cursor shows and belongs to the panel; the
    // camera turns only while the right button is held after a press away from the panel (the
    // cursor hidden meanwhile, and put back where the press was when the button is let go), and
    // takes keys unless a text field has them.
    vantor::ControlsFocus cameraFocus();

    // Where the open panel lay in the last frame it drew, in framebuffer pixels from the top left.
    struct Area {
        int left, top, right, bottom;
    };
    std::optional<Area> area() const;

    // While open, begins the library's frame (UiContext::beginFrame) unless one is begun: the
    // frame's share of the input that came handed to the library, and the keys in it handed on to
    // the demo's key record (vantor::input::passKey), as typing when one of the panel's fields has
    // the keyboard. Called before the demo reads its keys, so that they act in the turn of the
    // loop that polled them, and again before the frame's text in case the panel opened since.
    // Does nothing while closed or once a frame is begun.
    void beginFrame();

    // Between UiContext::beginFrame (after the panel's own beginFrame) and endFrame: the panel's
    // window, editing `settings` in place, every value within the range the bench's --set takes
    // (settingNames). Does nothing while closed. The panel fits its contents, within the window,
    // in every frame.
    PanelRequests draw(RenderSettings& settings, const PanelState& state);

private:
    // Its callbacks chained in front of the library's back-end, once that has started.
    void hookInput();
    void unhookInput();
    void startLooking();
    void stopLooking();

    GLFWwindow* window;
    UiContext& ui;
    std::unique_ptr<PanelInput> input;
    bool open = false;
    bool hooked = false;
    panelfit::Scale scale;                   // the text scale the panel was last drawn at
    bool looking = false;                    // the right button turns the camera
    double lookFromX = 0.0, lookFromY = 0.0; // where the pointer was when the turn began
    std::optional<Area> lastArea;
};

} // namespace vantor
