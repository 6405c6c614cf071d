#pragma once
// The settings panel (F2): a small Dear ImGui window over the picture that edits the renderer's
// RenderSettings while the demo runs, switches and jumps the camera's flight, pauses, takes a
// screenshot and graphs the last seconds' frame times. The panel only edits and asks; the frame
// loop applies what it returns. Nothing of the panel exists until it is first opened, and while
// it is closed it does no work at all. Writes no file (no imgui.ini).

#include "app/FrameTimeHistory.h"
#include "app/PanelFit.h"
#include "input/Controls.h"
#include "render/RenderSettings.h"
#include "scene/SceneModel.h"

#include <optional>
#include <string>
#include <vector>

struct GLFWwindow;

// What the panel shows besides the settings, filled in by the frame loop.
struct PanelState {
    bool flight = true;
    double flightTime = 0.0; // seconds
    double flightEnd = 60.0; // the slider's end
    bool paused = false;
    const FrameTimeHistory* frameTimes = nullptr;
    // Lines to show at the top of the panel, where the picture's own corner text is hidden by it
    // (a shader that failed to rebuild).
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
    explicit SettingsPanel(GLFWwindow* window);
    // Shuts the user-interface library down if it was started; needs the window's context.
    ~SettingsPanel();
    SettingsPanel(const SettingsPanel&) = delete;
    SettingsPanel& operator=(const SettingsPanel&) = delete;

    // Opens or closes the panel; the first opening starts the library (fonts sized for the
    // window, its callbacks chained in front of the demo's own).
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

    // While open, starts the panel's frame: the text scale fitted to the window, the frame's
    // share of the input that came handed to the library, and the keys in it handed on to the
    // demo's key record (vantor::input::passKey), as typing when one of the panel's fields has
    // the keyboard. Called before the demo reads its keys, so that they act in the turn of the
    // loop that polled them. Does nothing while closed or once begun.
    void beginFrame();

    // Draws the panel over whatever the window holds (framebuffer 0); edits `settings` in place,
    // every value within the range the bench's --set takes (settingNames). Begins its frame if
    // the update did not (the panel opened since). Closed, it only lets go of a frame begun and
    // of the input that came. The panel fits its contents, within the window, in every frame.
    PanelRequests draw(RenderSettings& settings, const PanelState& state);

private:
    void start();
    // Fonts and spacing for a framebuffer `framebufferHeight` pixels high, the window's points and
    // the display's content scale (panelfit::scaleFor); remade when the scale changes, and then
    // true.
    bool fitTo(int framebufferHeight);
    void startLooking();
    void stopLooking();

    GLFWwindow* window;
    bool open = false;
    bool started = false;
    panelfit::Scale scale;
    bool rescaled = false;                   // the text scale changed: the panel goes back to its corner
    bool frameBegun = false;                 // the library's frame is begun and not yet drawn
    bool looking = false;                    // the right button turns the camera
    double lookFromX = 0.0, lookFromY = 0.0; // where the pointer was when the turn began
    std::optional<Area> lastArea;
};
