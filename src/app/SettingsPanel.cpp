#include "app/SettingsPanel.h"

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include <imgui.h>
#include <imgui_internal.h>

#include "app/UiContext.h"
#include "input/FrameInputQueue.h"
#include "input/KeyEvents.h"
#include "platform/Keyboard.h"
#include "render/RenderScale.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>
#include <vector>

namespace vantor {

namespace {

const char* const title = "Settings (F2)";

const char* const viewNames[] = {
    "1 final picture", "2 G-buffer position", "3 G-buffer normal", "4 G-buffer colour", "5 specular",
    "6 shadow cube",   "7 lit, before bloom", "8 bright",          "9 bright, blurred"};

} // namespace

// Keys, text, the mouse's buttons and its moves for the library a frame's worth at a time, and
// keys for the demo in the same order. This version of the library looks once a frame at which
// keys and buttons are down and where the pointer is (its back-end asks the X server for the
// pointer and the buttons now): a key or a click tapped between two frames would never reach it,
// Ctrl pressed and let go around a click within one frame would not make a Ctrl+click, and a
// slider let go of and moved away from within one frame would follow the pointer. So the
// callbacks only queue what came; before each frame the queue gives that frame's share. Whether
// a key is the panel's (typed into one of its text fields) or the demo's is decided as the frame
// that takes it begins: the field is then as the events before it left it, which the library's
// own flag (WantTextInput, set one frame late) is not. Keys go to the demo only from here, so
// none reaches both and none is lost. While the panel is closed nothing waits: keys go to the
// demo at once and the library's key state follows.
struct PanelInput {
    vantor::input::FrameInputQueue queue;
    GLFWwindow* window = nullptr;
    bool framesFollow = false; // the panel is open: frames take the queue's events in turn
    // Replaced, and put back when the panel goes.
    GLFWkeyfun libraryKey = nullptr;
    GLFWcharfun libraryChar = nullptr;
    // Chained (what they do with a button or a move is overridden before each frame).
    GLFWmousebuttonfun libraryButton = nullptr;
    GLFWcursorposfun chainedPointer = nullptr;
    // The pointer and the buttons as the events taken so far leave them.
    double x = 0.0, y = 0.0;
    bool pointerKnown = false;
    bool buttons[5] = {};
};

namespace {

#if IMGUI_VERSION_NUM >= 18700
#error                                                                                                       \
    "The settings panel feeds Dear ImGui 1.86's per-frame input state itself; later versions queue input their own way"
#endif

// As the back-end sets them from the keys down.
void syncModifiers(ImGuiIO& io) {
    io.KeyCtrl = io.KeysDown[GLFW_KEY_LEFT_CONTROL] || io.KeysDown[GLFW_KEY_RIGHT_CONTROL];
    io.KeyShift = io.KeysDown[GLFW_KEY_LEFT_SHIFT] || io.KeysDown[GLFW_KEY_RIGHT_SHIFT];
    io.KeyAlt = io.KeysDown[GLFW_KEY_LEFT_ALT] || io.KeysDown[GLFW_KEY_RIGHT_ALT];
    io.KeySuper =
        superKeyIsModifier() && (io.KeysDown[GLFW_KEY_LEFT_SUPER] || io.KeysDown[GLFW_KEY_RIGHT_SUPER]);
}

// Whether one of the panel's text fields (a slider Ctrl+clicked) has the keyboard: what takes
// the next frame's keys.
bool textFieldActive() {
    const ImGuiID active = ImGui::GetActiveID();
    return active != 0 && ImGui::GetInputTextState(active) != nullptr;
}

// The library's input state as `events` leave it; text only when a frame follows.
void feedLibrary(PanelInput& in, const std::vector<vantor::input::InputEvent>& events, bool withText) {
    using Kind = vantor::input::InputEvent::Kind;
    ImGuiIO& io = ImGui::GetIO();
    for (const vantor::input::InputEvent& e : events) {
        if (e.kind == Kind::Key && e.key >= 0 && e.key < IM_ARRAYSIZE(io.KeysDown))
            io.KeysDown[e.key] = e.down;
        else if (e.kind == Kind::Text && withText)
            io.AddInputCharacter(e.codepoint);
        else if (e.kind == Kind::Button && e.key >= 0 && e.key < IM_ARRAYSIZE(in.buttons))
            in.buttons[e.key] = e.down;
        else if (e.kind == Kind::Pointer) {
            in.x = e.x;
            in.y = e.y;
            in.pointerKnown = true;
        }
    }
    syncModifiers(io);
}

void passKeysToDemo(const PanelInput& in, const std::vector<vantor::input::InputEvent>& events, bool typing) {
    for (const vantor::input::InputEvent& e : events)
        if (e.kind == vantor::input::InputEvent::Kind::Key)
            vantor::input::passKey(in.window, e.key, e.down, typing);
}

// Everything waiting, with no frame to look at it one event at a time: the library's state
// follows, and the keys are the demo's.
void flushWithoutFrame(PanelInput& in) {
    const std::vector<vantor::input::InputEvent> events = in.queue.drain();
    feedLibrary(in, events, false);
    passKeysToDemo(in, events, false);
}

// The panel whose callbacks these are: the window's user pointer while they are installed.
PanelInput& inputOf(GLFWwindow* window) {
    return *static_cast<PanelInput*>(glfwGetWindowUserPointer(window));
}

void push(GLFWwindow* window, const vantor::input::InputEvent& event) {
    PanelInput& in = inputOf(window);
    in.queue.push(event);
    if (!in.framesFollow)
        flushWithoutFrame(in);
}

vantor::input::InputEvent::KeyRole roleOf(int key) {
    using Role = vantor::input::InputEvent::KeyRole;
    switch (key) {
    case GLFW_KEY_LEFT_CONTROL:
    case GLFW_KEY_RIGHT_CONTROL:
    case GLFW_KEY_LEFT_ALT:
    case GLFW_KEY_RIGHT_ALT:
    case GLFW_KEY_LEFT_SUPER:
    case GLFW_KEY_RIGHT_SUPER:
        return Role::Modifier;
    // Tab moves the edit to another field.
    case GLFW_KEY_ENTER:
    case GLFW_KEY_KP_ENTER:
    case GLFW_KEY_ESCAPE:
    case GLFW_KEY_TAB:
        return Role::EndsEdit;
    default:
        return Role::Plain;
    }
}

void onPanelKey(GLFWwindow* window, int key, int, int action, int) {
    // The library repeats a held key itself, and the demo takes no repeats.
    if (action != GLFW_REPEAT)
        push(window, vantor::input::InputEvent::keyChange(key, action == GLFW_PRESS, roleOf(key)));
}

void onPanelChar(GLFWwindow* window, unsigned int codepoint) {
    push(window, vantor::input::InputEvent::text(codepoint));
}

void onPanelButton(GLFWwindow* window, int button, int action, int mods) {
    const PanelInput& in = inputOf(window);
    if (in.libraryButton)
        in.libraryButton(window, button, action, mods);
    push(window, vantor::input::InputEvent::button(button, action == GLFW_PRESS));
}

void onPanelPointer(GLFWwindow* window, double x, double y) {
    const PanelInput& in = inputOf(window);
    if (in.chainedPointer)
        in.chainedPointer(window, x, y);
    push(window, vantor::input::InputEvent::pointer(x, y));
}

void startInput(PanelInput& in, GLFWwindow* window) {
    in.window = window;
    glfwSetWindowUserPointer(window, &in);
    in.libraryKey = glfwSetKeyCallback(window, onPanelKey);
    in.libraryChar = glfwSetCharCallback(window, onPanelChar);
    in.libraryButton = glfwSetMouseButtonCallback(window, onPanelButton);
    in.chainedPointer = glfwSetCursorPosCallback(window, onPanelPointer);
}

void stopInput(PanelInput& in, GLFWwindow* window) {
    glfwSetKeyCallback(window, in.libraryKey);
    glfwSetCharCallback(window, in.libraryChar);
    glfwSetMouseButtonCallback(window, in.libraryButton);
    glfwSetCursorPosCallback(window, in.chainedPointer);
    glfwSetWindowUserPointer(window, nullptr);
    in = PanelInput{};
}

// Before a frame: its share of what came, the library's own view of the pointer and the buttons
// replaced (called between the back-end's frame and the library's). Returns the keys the frame
// takes, for the demo once the frame has begun.
std::vector<vantor::input::InputEvent> feedFrame(PanelInput& in) {
    std::vector<vantor::input::InputEvent> events = in.queue.nextFrame();
    feedLibrary(in, events, true);
    ImGuiIO& io = ImGui::GetIO();
    for (int i = 0; i < IM_ARRAYSIZE(in.buttons); ++i)
        io.MouseDown[i] = in.buttons[i];
    if (in.pointerKnown && io.MousePos.x > -FLT_MAX)
        io.MousePos = ImVec2(float(in.x), float(in.y));
    return events;
}

// Sliders over the knob's range as the bench takes it; a typed value is clamped to it too.
ImGuiSliderFlags sliderFlags(const SettingInfo& info) {
    return ImGuiSliderFlags_AlwaysClamp | (info.wide ? ImGuiSliderFlags_Logarithmic : 0);
}

void numberSlider(const char* label, RenderSettings& settings, const char* name, const char* format) {
    const SettingInfo& info = *findSetting(name);
    ImGui::SliderFloat(label, &(settings.*info.number), float(info.low), float(info.high), format,
                       sliderFlags(info));
}

// Held as a double while edited: the library's whole-number field drops an exponent ("1e5" would
// be 15) and wraps past the int range, where a double takes both and the knob then takes the
// nearest count it has (a knob with an off shows it, below its range).
void countSlider(const char* label, RenderSettings& settings, const char* name) {
    const SettingInfo& info = *findSetting(name);
    int& count = settings.*info.count;
    double value = count;
    const double low = info.zeroIsOff ? 0.0 : info.low;
    const double high = info.high;
    const char* format = info.zeroIsOff && count == 0 ? "off" : "%.0f";
    if (ImGui::SliderScalar(label, ImGuiDataType_Double, &value, &low, &high, format, sliderFlags(info)))
        count = countWithinRange(info, value, count);
}

} // namespace

SettingsPanel::SettingsPanel(GLFWwindow* window, UiContext& ui)
    : window(window), ui(ui), input(std::make_unique<PanelInput>()) {
    ui.whenStarted(this, [this] { hookInput(); });
}

SettingsPanel::~SettingsPanel() {
    ui.forget(this);
    unhookInput();
}

void SettingsPanel::hookInput() {
    // In front of the back-end's callbacks: the keys reach the demo through the panel's queue,
    // whether or not the panel is open.
    startInput(*input, window);
    input->framesFollow = open;
    hooked = true;
}

void SettingsPanel::unhookInput() {
    if (!hooked)
        return;
    hooked = false;
    stopInput(*input, window);
}

void SettingsPanel::toggle() {
    open = !open;
    if (open)
        ui.start();
    input->framesFollow = open;
    // Closed: what came after the last frame's share goes on to the demo now.
    if (!open && hooked)
        flushWithoutFrame(*input);
}

void SettingsPanel::skipFrame() {
    // The field keeps what was typed into it for when it is drawn again.
    if (hooked && open && !textFieldActive())
        flushWithoutFrame(*input);
}

void SettingsPanel::startLooking() {
    looking = true;
    glfwGetCursorPos(window, &lookFromX, &lookFromY);
    // The back-end would show the pointer again in its next frame.
    if (ui.started())
        ImGui::GetIO().ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
}

void SettingsPanel::stopLooking() {
    if (!looking)
        return;
    looking = false;
    // The camera kept the pointer at the window's centre while it turned.
    glfwSetCursorPos(window, lookFromX, lookFromY);
    if (ui.started())
        ImGui::GetIO().ConfigFlags &= ~ImGuiConfigFlags_NoMouseCursorChange;
}

vantor::ControlsFocus SettingsPanel::cameraFocus() {
    vantor::ControlsFocus focus;
    if (!open)
        stopLooking();
    if (open) {
        const bool rightHeld = glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_PRESS;
        if (!rightHeld)
            stopLooking();
        else if (!looking && !wantsMouse())
            startLooking();
        focus.mouse = looking;
        focus.keys = !wantsKeys();
    }
    // Set every update (GLFW ignores a mode already set): the back-end sets its own in between,
    // unless told not to: with the panel closed the library may still draw text, and the pointer
    // stays hidden as the demo has it.
    glfwSetInputMode(window, GLFW_CURSOR, !open || looking ? GLFW_CURSOR_HIDDEN : GLFW_CURSOR_NORMAL);
    if (ui.started()) {
        ImGuiIO& io = ImGui::GetIO();
        if (!open || looking)
            io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
        else
            io.ConfigFlags &= ~ImGuiConfigFlags_NoMouseCursorChange;
    }
    return focus;
}

std::optional<SettingsPanel::Area> SettingsPanel::area() const {
    return open ? lastArea : std::nullopt;
}

bool SettingsPanel::wantsMouse() const {
    return open && hooked && ImGui::GetIO().WantCaptureMouse;
}

bool SettingsPanel::wantsKeys() const {
    return open && hooked && textFieldActive();
}

void SettingsPanel::beginFrame() {
    if (!open || !ui.started() || ui.frameBegun())
        return;
    std::vector<vantor::input::InputEvent> events;
    ui.beginFrame([&] { events = feedFrame(*input); });
    passKeysToDemo(*input, events, textFieldActive());
}

PanelRequests SettingsPanel::draw(RenderSettings& settings, const PanelState& state) {
    PanelRequests requests;
    if (!open)
        return requests;
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    const size_t notices = state.notices ? state.notices->size() : 0;
    // A new text scale sends the panel back to its corner.
    const bool rescaled = ui.scale() != scale;
    scale = ui.scale();
    const RenderSettings before = settings;
    ImGuiIO& io = ImGui::GetIO();

    // Fitted to its contents in every frame (a height of 0), as far as the window has room: a
    // window shrunk and grown again, or a header opened, finds the panel whole again. At its
    // corner when first shown and whenever the text scale changes; dragged elsewhere, kept inside
    // the window as it shrinks.
    const float s = scale.points;
    const ImVec2 margin(10.0f * s, 10.0f * s);
    const ImVec2 least = ImGui::GetStyle().WindowMinSize;
    const ImVec2 most(panelfit::largest(io.DisplaySize.x, margin.x, least.x),
                      panelfit::largest(io.DisplaySize.y, margin.y, least.y));
    const ImGuiWindow* panel = ImGui::FindWindowByName(title);
    if (rescaled || !panel) {
        ImGui::SetNextWindowPos(margin, ImGuiCond_Always);
    } else {
        // Where the user left it (dragged within this frame too), unless the window has shrunk past it.
        const ImVec2 size(std::min(330.0f * s, most.x), std::min(panel->SizeFull.y, most.y));
        const ImVec2 inside(panelfit::keepWithin(panel->Pos.x, size.x, io.DisplaySize.x),
                            panelfit::keepWithin(panel->Pos.y, size.y, io.DisplaySize.y));
        if (inside.x != panel->Pos.x || inside.y != panel->Pos.y)
            ImGui::SetNextWindowPos(inside, ImGuiCond_Always);
    }
    ImGui::SetNextWindowSize(ImVec2(330.0f * s, 0.0f), ImGuiCond_Always);
    ImGui::SetNextWindowSizeConstraints(ImVec2(0.0f, 0.0f), most);
    ImGui::Begin(title, nullptr, ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoResize);
    const ImVec2 corner = ImGui::GetWindowPos();
    const ImVec2 extent = ImGui::GetWindowSize();
    const ImVec2 pixels = io.DisplayFramebufferScale;
    lastArea = Area{int(corner.x * pixels.x), int(corner.y * pixels.y), int((corner.x + extent.x) * pixels.x),
                    int((corner.y + extent.y) * pixels.y)};
    ImGui::PushItemWidth(150.0f * s);
    if (notices > 0) {
        // A few lines at most, scrolled on their own: a long message keeps the controls in sight.
        const float wrapWidth = ImGui::GetContentRegionAvail().x;
        float textHeight = 0.0f;
        for (const std::string& line : *state.notices)
            textHeight += ImGui::CalcTextSize(line.c_str(), nullptr, false, wrapWidth).y +
                          ImGui::GetStyle().ItemSpacing.y;
        const float most = 6.0f * ImGui::GetTextLineHeightWithSpacing();
        ImGui::BeginChild("##notices", ImVec2(0.0f, std::min(textHeight, most)));
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.55f, 0.45f, 1.0f));
        ImGui::PushTextWrapPos(0.0f);
        for (const std::string& line : *state.notices)
            ImGui::TextUnformatted(line.c_str());
        ImGui::PopTextWrapPos();
        ImGui::PopStyleColor();
        ImGui::EndChild();
        ImGui::Separator();
    }

    if (state.scene && ImGui::CollapsingHeader("Scene", ImGuiTreeNodeFlags_DefaultOpen)) {
        const vantor::scene::SceneModel& scene = *state.scene;
        ImGui::Text("%zu meshes, %llu triangles", scene.meshCount,
                    static_cast<unsigned long long>(scene.triangleCount));
        ImGui::Text("%zu textures (%zu unreadable), %zu draws", scene.imageCount, scene.unreadImages,
                    scene.draws.size());
        ImGui::Text("read in %.2f s", scene.loadSeconds);
    }
    if (ImGui::CollapsingHeader("Lights", ImGuiTreeNodeFlags_DefaultOpen)) {
        countSlider("lights", settings, "lights");
        numberSlider("light speed", settings, "light-speed", "%.2f");
        ImGui::Checkbox("shadows", &settings.shadows);
    }
    if (ImGui::CollapsingHeader("Surfaces", ImGuiTreeNodeFlags_DefaultOpen)) {
        ImGui::Checkbox("normal maps", &settings.normalMaps);
        ImGui::Checkbox("parallax", &settings.parallax);
        numberSlider("parallax scale", settings, "parallax-scale", "%.3f");
    }
    if (ImGui::CollapsingHeader("Image", ImGuiTreeNodeFlags_DefaultOpen)) {
        ImGui::Checkbox("bloom", &settings.bloom);
        numberSlider("bloom strength", settings, "bloom-strength", "%.2f");
        numberSlider("exposure", settings, "exposure", "%.2f");
        int view = std::clamp(settings.view, 1, 9) - 1;
        if (ImGui::Combo("view", &view, viewNames, IM_ARRAYSIZE(viewNames)))
            settings.view = view + 1;
    }
    if (ImGui::CollapsingHeader("Camera and time", ImGuiTreeNodeFlags_DefaultOpen)) {
        bool flight = state.flight;
        if (ImGui::Checkbox("scripted flight (J)", &flight))
            requests.toggleFlight = true;
        float flightTime = float(std::clamp(state.flightTime, 0.0, state.flightEnd));
        if (ImGui::SliderFloat("flight time", &flightTime, 0.0f, float(state.flightEnd), "%.1f s"))
            requests.jumpFlightTo = flightTime;
        bool paused = state.paused;
        if (ImGui::Checkbox("paused (P)", &paused))
            requests.togglePause = true;
    }
    // Closed at first: open, it would push the frame-time graph off a window of 540 lines.
    if (ImGui::CollapsingHeader("Render scale")) {
        // While a frame rate is held the slider shows the controller's choice and is not the user's.
        const bool held = settings.targetFps > 0;
        if (held)
            ImGui::BeginDisabled();
        numberSlider("render scale", settings, "render-scale", "%.3f");
        if (held)
            ImGui::EndDisabled();
        const renderscale::Size inner = renderscale::internalSize(width, height, settings.renderScale);
        ImGui::Text("%d x %d of %d x %d", inner.width, inner.height, width, height);
        countSlider("target fps", settings, "target-fps");
    }
    // The passes on the finished picture, each off by default; closed at first like the one above.
    if (ImGui::CollapsingHeader("Anti-aliasing, upscale, occlusion")) {
        for (const char* name : {"aa", "upscale"}) {
            const SettingInfo& info = *findSetting(name);
            std::vector<const char*> choices;
            for (const std::string& choice : info.choices)
                choices.push_back(choice.c_str());
            ImGui::Combo(name, &(settings.*info.choice), choices.data(), int(choices.size()));
        }
        numberSlider("sharpness", settings, "sharpness", "%.2f");
        ImGui::Checkbox("ssao", &settings.ssao);
        numberSlider("ssao radius", settings, "ssao-radius", "%.3f");
        numberSlider("ssao strength", settings, "ssao-strength", "%.2f");
    }
    if (ImGui::Button("screenshot (F12)"))
        requests.screenshot = true;
    ImGui::SameLine();
    if (ImGui::Button("described defaults"))
        settings = RenderSettings{};

    if (state.frameTimes && !state.frameTimes->empty()) {
        const FrameTimeHistory& times = *state.frameTimes;
        const std::vector<float> values = times.values();
        ImGui::Separator();
        ImGui::Text("frame ms  min %.1f  mean %.1f  max %.1f", times.minMs(), times.meanMs(), times.maxMs());
        ImGui::PlotLines("##frames", values.data(), int(values.size()), 0, nullptr, 0.0f,
                         float(times.maxMs() * 1.1), ImVec2(ImGui::GetContentRegionAvail().x, 60.0f * s));
    }

    ImGui::PopItemWidth();
    ImGui::End();
    // Typed values (Ctrl+click) past a slider's ends, or not numbers at all.
    settings = settingsWithinRanges(settings, before);
    return requests;
}

} // namespace vantor
