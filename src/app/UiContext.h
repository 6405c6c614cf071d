#pragma once
// The window's one Dear ImGui context with its OpenGL 3 back-end and, in the demo, its GLFW
// back-end: the settings panel and the screen text (overlay, reload messages, the shadow view's
// labels) share it. Nothing of the library exists until something first needs it (F1, F2, a
// message, the shadow view); a frame that needs nothing does no work here at all.
//
// A frame's text goes into the background draw list, under the panel's window, so the two can be
// drawn apart: the screenshots take the text and leave out the panel.

#include "app/PanelFit.h"

#include <functional>
#include <vector>
struct GLFWwindow;

namespace vantor {

class UiContext {
public:
    // Window: the GLFW back-end reads the mouse and keys, its callbacks chained in front of the
    // window's own. None (the bench): no input at all, the display size read each frame.
    enum class Input { Window, None };
    explicit UiContext(GLFWwindow* window, Input input = Input::Window);
    // Shuts the library down if it was started; needs the window's context current.
    ~UiContext();
    UiContext(const UiContext&) = delete;
    UiContext& operator=(const UiContext&) = delete;

    // Starts the library if it has not started; then runs the hooks given to `whenStarted`.
    void start();
    bool started() const { return isStarted; }
    // `hook` runs once the library has started (at once if it has): users that chain callbacks
    // over the back-end's put theirs in then, and take them out before they go, or before the
    // library stops, whichever comes first. `forget` drops the hook of an `owner` that goes first.
    void whenStarted(const void* owner, std::function<void()> hook);
    void forget(const void* owner);

    // The text scale (panelfit::scaleFor): whole steps of the library's 13-pixel font in the
    // framebuffer's pixels, for its height and the window's content scale, and the same size in the
    // window's points, where the library lays out; zero before the first frame.
    panelfit::Scale scale() const { return textScale; }

    // Begins a frame (the library must have started): fonts and spacing fitted to the framebuffer,
    // the back-ends' new frame, then `input` (the panel's own key and pointer feeding), then the
    // library's. Between this and `endFrame` the frame's text and windows are made.
    void beginFrame(const std::function<void()>& input = {});
    // Whether a frame is begun and not yet ended.
    bool frameBegun() const { return begun; }
    // Ends the frame; nothing is drawn yet.
    void endFrame();
    // Draws the ended frame's background list (the text), then the rest (the windows), each over
    // whatever framebuffer 0 holds. The library sets and restores the GL state it draws with.
    void drawText();
    void drawWindows();

private:
    void fitTo(int framebufferHeight);
    void drawLists(bool background);

    GLFWwindow* window;
    Input input;
    bool isStarted = false;
    bool begun = false;
    panelfit::Scale textScale;
    struct Hook {
        const void* owner;
        std::function<void()> run;
    };
    std::vector<Hook> startHooks;
};

} // namespace vantor
