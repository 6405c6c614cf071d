#include "app/SettingsPanel.h"

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>

#include "render/RenderScale.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// The library's own font is 13 pixels high, drawn for a screen of about 768 lines. Scaled by
// whole steps it stays sharp: 1 up to about 1100 lines, 3 on a 2160-line screen.
constexpr float baseFontPixels = 13.0f;
constexpr float designHeight = 768.0f;

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

} // namespace

SettingsPanel::SettingsPanel(GLFWwindow* window) : window(window) {}

SettingsPanel::~SettingsPanel() {
    if (!started)
        return;
    glfwSetCursorPosCallback(window, polledPointer.chained);
    polledPointer = PolledPointer{};
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext();
}

void SettingsPanel::toggle() {
    open = !open;
    if (open && !started)
        start();
}

void SettingsPanel::start() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // Callbacks chained: each passes the event on to the demo's own key recording.
    ImGui_ImplGlfw_InitForOpenGL(window, true);
    polledPointer.chained = glfwSetCursorPosCallback(window, onCursorPos);
    ImGui_ImplOpenGL3_Init("#version 330 core");
    started = true;
}

void SettingsPanel::fitTo(int height) {
    float contentScale = 1.0f;
    glfwGetWindowContentScale(window, &contentScale, nullptr);
    const float wanted = std::max(contentScale, float(height) / designHeight);
    const int newScale = std::max(1, int(std::floor(wanted + 0.3f)));
    if (newScale == scale)
        return;
    scale = newScale;
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->Clear();
    ImFontConfig font;
    font.SizePixels = baseFontPixels * float(scale);
    io.Fonts->AddFontDefault(&font);
    ImGui_ImplOpenGL3_DestroyFontsTexture();
    ImGui_ImplOpenGL3_CreateFontsTexture();
    ImGuiStyle style;
    ImGui::StyleColorsDark(&style);
    style.WindowRounding = 4.0f;
    style.Colors[ImGuiCol_WindowBg].w = 0.82f;
    style.ScaleAllSizes(float(scale));
    ImGui::GetStyle() = style;
}

vantor::ControlsFocus SettingsPanel::cameraFocus() {
    vantor::ControlsFocus focus;
    if (!open)
        looking = false;
    if (open) {
        const bool rightHeld = glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_PRESS;
        if (!rightHeld)
            looking = false;
        else if (!looking && !wantsMouse())
            looking = true;
        focus.mouse = looking;
        focus.keys = !wantsKeys();
    }
    const int mode = !open || looking ? GLFW_CURSOR_HIDDEN : GLFW_CURSOR_NORMAL;
    if (mode != cursorMode) {
        glfwSetInputMode(window, GLFW_CURSOR, mode);
        cursorMode = mode;
    }
    return focus;
}

bool SettingsPanel::wantsMouse() const {
    return open && started && ImGui::GetIO().WantCaptureMouse;
}

bool SettingsPanel::wantsKeys() const {
    return open && started && ImGui::GetIO().WantTextInput;
}

PanelRequests SettingsPanel::draw(RenderSettings& settings, const PanelState& state) {
    PanelRequests requests;
    if (!open)
        return requests;
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    fitTo(height);

    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    ImGuiIO& io = ImGui::GetIO();
    if (polledPointer.known && io.MousePos.x > -FLT_MAX)
        io.MousePos = ImVec2(float(polledPointer.x), float(polledPointer.y));
    ImGui::NewFrame();

    const float s = float(scale);
    ImGui::SetNextWindowPos(ImVec2(10.0f * s, 10.0f * s), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(330.0f * s, 0.0f), ImGuiCond_FirstUseEver);
    ImGui::Begin("Settings (F2)", nullptr, ImGuiWindowFlags_NoSavedSettings);
    ImGui::PushItemWidth(150.0f * s);
    if (state.notices && !state.notices->empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.55f, 0.45f, 1.0f));
        ImGui::PushTextWrapPos(0.0f);
        for (const std::string& line : *state.notices)
            ImGui::TextUnformatted(line.c_str());
        ImGui::PopTextWrapPos();
        ImGui::PopStyleColor();
        ImGui::Separator();
    }

    if (ImGui::CollapsingHeader("Lights", ImGuiTreeNodeFlags_DefaultOpen)) {
        ImGui::SliderInt("lights", &settings.lights, 0, RenderSettings::maxLights);
        ImGui::SliderFloat("light speed", &settings.lightSpeed, 0.0f, 4.0f, "%.2f");
        ImGui::Checkbox("shadows", &settings.shadows);
    }
    if (ImGui::CollapsingHeader("Surfaces", ImGuiTreeNodeFlags_DefaultOpen)) {
        ImGui::Checkbox("normal maps", &settings.normalMaps);
        ImGui::Checkbox("parallax", &settings.parallax);
        ImGui::SliderFloat("parallax scale", &settings.parallaxScale, 0.0f, 0.1f, "%.3f");
    }
    if (ImGui::CollapsingHeader("Image", ImGuiTreeNodeFlags_DefaultOpen)) {
        ImGui::Checkbox("bloom", &settings.bloom);
        ImGui::SliderFloat("bloom strength", &settings.bloomStrength, 0.0f, 4.0f, "%.2f");
        ImGui::SliderFloat("exposure", &settings.exposure, 0.1f, 4.0f, "%.2f");
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
    ImGui::Render();
    // The library sets and restores the GL state it draws with.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    return requests;
}
