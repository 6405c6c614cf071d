#include "app/SettingsPanel.h"

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include <imgui.h>

#include "app/UiContext.h"
#include "input/InputTrickle.h"
#include "render/RenderScale.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace {

const char* const viewNames[] = {
    "1 final picture", "2 G-buffer position", "3 G-buffer normal", "4 G-buffer colour", "5 specular",
    "6 shadow cube",   "7 lit, before bloom", "8 bright",          "9 bright, blurred"};

// Where the pointer was when the last event the frame loop polled came in. The library's back-end
// asks the X server where the pointer is now instead: a release and a move that arrive within one
// frame would then show the button still down at the new place, and a slider let go of would
// follow the pointer to wherever it went next. Events give the place and the buttons in one order.
struct PolledPointer {
    double x = 0.0, y = 0.0;
    bool known = false;
    GLFWcursorposfun chained = nullptr;
};
PolledPointer polledPointer;

void onCursorPos(GLFWwindow* window, double x, double y) {
    polledPointer.x = x;
    polledPointer.y = y;
    polledPointer.known = true;
    if (polledPointer.chained)
        polledPointer.chained(window, x, y);
}

// Keys and text for the library a frame's worth at a time. This version of the library looks once
// a frame at which keys are down, so a key tapped between two frames (a Return at the ten frames
// a second of a software rasteriser) would never reach a text field. Its back-end's callbacks
// still run (they pass every key on to the demo's own recording) but what they write into the
// library's key state is put back; the queue feeds that state before each frame. Versions with
// an input queue of their own (1.87 on) are left to it.
struct PanelInput {
    vantor::input::InputTrickle trickle;
    GLFWkeyfun chainedKey = nullptr;
    GLFWcharfun chainedChar = nullptr;
};
PanelInput panelInput;

#if IMGUI_VERSION_NUM < 18700
struct Modifiers {
    bool ctrl, shift, alt, super;
};

Modifiers modifiersOf(const ImGuiIO& io) {
    return {io.KeyCtrl, io.KeyShift, io.KeyAlt, io.KeySuper};
}

// As the back-end sets them from the keys down.
void syncModifiers(ImGuiIO& io) {
    io.KeyCtrl = io.KeysDown[GLFW_KEY_LEFT_CONTROL] || io.KeysDown[GLFW_KEY_RIGHT_CONTROL];
    io.KeyShift = io.KeysDown[GLFW_KEY_LEFT_SHIFT] || io.KeysDown[GLFW_KEY_RIGHT_SHIFT];
    io.KeyAlt = io.KeysDown[GLFW_KEY_LEFT_ALT] || io.KeysDown[GLFW_KEY_RIGHT_ALT];
#ifdef _WIN32
    io.KeySuper = false;
#else
    io.KeySuper = io.KeysDown[GLFW_KEY_LEFT_SUPER] || io.KeysDown[GLFW_KEY_RIGHT_SUPER];
#endif
}

void onPanelKey(GLFWwindow* window, int key, int scancode, int action, int mods) {
    ImGuiIO& io = ImGui::GetIO();
    const bool known = key >= 0 && key < IM_ARRAYSIZE(io.KeysDown);
    const bool wasDown = known && io.KeysDown[key];
    const Modifiers before = modifiersOf(io);
    if (panelInput.chainedKey)
        panelInput.chainedKey(window, key, scancode, action, mods);
    if (!known)
        return;
    io.KeysDown[key] = wasDown;
    io.KeyCtrl = before.ctrl;
    io.KeyShift = before.shift;
    io.KeyAlt = before.alt;
    io.KeySuper = before.super;
    // The library repeats a held key itself.
    if (action != GLFW_REPEAT)
        panelInput.trickle.push(vantor::input::InputEvent::keyChange(key, action == GLFW_PRESS));
}

// The back-end's own text callback only queues the character and passes it on to a callback the
// demo never sets: it is replaced, not chained.
void onPanelChar(GLFWwindow*, unsigned int codepoint) {
    panelInput.trickle.push(vantor::input::InputEvent::text(codepoint));
}

void apply(ImGuiIO& io, const std::vector<vantor::input::InputEvent>& events, bool withText) {
    for (const vantor::input::InputEvent& e : events) {
        if (e.kind == vantor::input::InputEvent::Kind::Key)
            io.KeysDown[e.key] = e.down;
        else if (withText)
            io.AddInputCharacter(e.codepoint);
    }
    syncModifiers(io);
}
#endif

void startInput(GLFWwindow* window) {
#if IMGUI_VERSION_NUM < 18700
    panelInput.chainedKey = glfwSetKeyCallback(window, onPanelKey);
    panelInput.chainedChar = glfwSetCharCallback(window, onPanelChar);
#else
    (void)window;
#endif
}

// Before a frame: this frame's share of what was typed. With `frameFollows` false (the panel
// closed) no frame will look: the keys take their last state and the text is dropped.
void feedInput(bool frameFollows) {
#if IMGUI_VERSION_NUM < 18700
    ImGuiIO& io = ImGui::GetIO();
    if (frameFollows)
        apply(io, panelInput.trickle.nextFrame(), true);
    else
        apply(io, panelInput.trickle.drain(), false);
#else
    (void)frameFollows;
#endif
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

void countSlider(const char* label, RenderSettings& settings, const char* name) {
    const SettingInfo& info = *findSetting(name);
    ImGui::SliderInt(label, &(settings.*info.count), int(info.low), int(info.high), "%d", sliderFlags(info));
}

} // namespace

SettingsPanel::SettingsPanel(GLFWwindow* window, UiContext& ui) : window(window), ui(ui) {
    ui.whenStarted(this, [this] { hookInput(); });
}

SettingsPanel::~SettingsPanel() {
    ui.forget(this);
    unhookInput();
}

void SettingsPanel::hookInput() {
    polledPointer.chained = glfwSetCursorPosCallback(window, onCursorPos);
    startInput(window);
    hooked = true;
}

void SettingsPanel::unhookInput() {
    if (!hooked)
        return;
    hooked = false;
    glfwSetCursorPosCallback(window, polledPointer.chained);
    polledPointer = PolledPointer{};
#if IMGUI_VERSION_NUM < 18700
    glfwSetKeyCallback(window, panelInput.chainedKey);
    glfwSetCharCallback(window, panelInput.chainedChar);
#endif
    panelInput = PanelInput{};
}

void SettingsPanel::toggle() {
    open = !open;
    if (open)
        ui.start();
}

bool SettingsPanel::fitTo() {
    if (ui.scale() == scale)
        return false;
    scale = ui.scale();
    return true;
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
    return open && ui.started() && ImGui::GetIO().WantCaptureMouse;
}

bool SettingsPanel::wantsKeys() const {
    return open && ui.started() && ImGui::GetIO().WantTextInput;
}

void SettingsPanel::feedFrame() {
    if (!open) {
        feedInput(false);
        return;
    }
    ImGuiIO& io = ImGui::GetIO();
    if (polledPointer.known && io.MousePos.x > -FLT_MAX)
        io.MousePos = ImVec2(float(polledPointer.x), float(polledPointer.y));
    feedInput(true);
}

PanelRequests SettingsPanel::draw(RenderSettings& settings, const PanelState& state) {
    PanelRequests requests;
    if (!open)
        return requests;
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    const size_t notices = state.notices ? state.notices->size() : 0;
    const bool rescaled = fitTo();
    const bool refit = rescaled || notices != noticesShown;
    noticesShown = notices;
    const RenderSettings before = settings;
    ImGuiIO& io = ImGui::GetIO();

    // Placed and sized for the text scale (a height of 0 fits the contents), again whenever the
    // scale changes, and sized again when notices come or go; never larger than the window,
    // whatever the user drags it to.
    const float s = float(scale);
    const ImVec2 margin(10.0f * s, 10.0f * s);
    ImGui::SetNextWindowPos(margin, rescaled ? ImGuiCond_Always : ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(330.0f * s, 0.0f), refit ? ImGuiCond_Always : ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSizeConstraints(ImVec2(0.0f, 0.0f),
                                        ImVec2(std::max(io.DisplaySize.x - 2.0f * margin.x, 50.0f),
                                               std::max(io.DisplaySize.y - 2.0f * margin.y, 50.0f)));
    ImGui::Begin("Settings (F2)", nullptr, ImGuiWindowFlags_NoSavedSettings);
    const ImVec2 corner = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    const ImVec2 pixels = io.DisplayFramebufferScale;
    lastArea = Area{int(corner.x * pixels.x), int(corner.y * pixels.y), int((corner.x + size.x) * pixels.x),
                    int((corner.y + size.y) * pixels.y)};
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
        ImGui::SliderFloat("render scale", &settings.renderScale, 0.25f, 1.0f, "%.3f");
        if (held)
            ImGui::EndDisabled();
        const renderscale::Size inner = renderscale::internalSize(width, height, settings.renderScale);
        ImGui::Text("%d x %d of %d x %d", inner.width, inner.height, width, height);
        int fps = settings.targetFps;
        if (ImGui::SliderInt("target fps", &fps, 0, 240, fps == 0 ? "off" : "%d"))
            settings.targetFps = fps == 0 ? 0 : std::max(fps, 10);
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
