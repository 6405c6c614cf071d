#include "app/UiContext.h"

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>

#include "gpu/ShaderSource.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vantor {

namespace {

// The library's own font, scaled by panelfit::scaleFor's whole steps.
constexpr float baseFontPixels = 13.0f;

// The bench has no platform back-end: its frames are its own fixed steps.
constexpr float benchFrameSeconds = 1.0f / 60.0f;

} // namespace

UiContext::UiContext(GLFWwindow* window, Input input) : window(window), input(input) {}

UiContext::~UiContext() {
    if (!isStarted)
        return;
    ImGui_ImplOpenGL3_Shutdown();
    if (input == Input::Window)
        ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext();
}

void UiContext::start() {
    if (isStarted)
        return;
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // Callbacks chained: each passes the event on to the demo's own key recording.
    if (input == Input::Window)
        ImGui_ImplGlfw_InitForOpenGL(window, true);
    ImGui_ImplOpenGL3_Init(glslVersionLine());
    // The back-end would make its programs and a font texture in its first frame even when
    // fitTo has just made one (and lose that one): made now, fitTo only ever replaces it.
    ImGui_ImplOpenGL3_CreateDeviceObjects();
    isStarted = true;
    for (const Hook& hook : startHooks)
        hook.run();
}

void UiContext::whenStarted(const void* owner, std::function<void()> hook) {
    if (isStarted)
        hook();
    startHooks.push_back({owner, std::move(hook)});
}

void UiContext::forget(const void* owner) {
    startHooks.erase(std::remove_if(startHooks.begin(), startHooks.end(),
                                    [&](const Hook& hook) { return hook.owner == owner; }),
                     startHooks.end());
}

void UiContext::fitTo(int framebufferHeight) {
    // The bench's window has no input and its frames are laid out in pixels.
    int windowHeight = framebufferHeight;
    float contentScale = 1.0f;
    if (input == Input::Window) {
        int windowWidth = 0;
        glfwGetWindowSize(window, &windowWidth, &windowHeight);
        glfwGetWindowContentScale(window, &contentScale, nullptr);
    }
    const panelfit::Scale wanted = panelfit::scaleFor(framebufferHeight, windowHeight, contentScale);
    if (wanted == textScale)
        return;
    textScale = wanted;
    // The font is made for the framebuffer's pixels and drawn at as many points as it has pixels,
    // so that it stays sharp where a point holds several pixels.
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->Clear();
    ImFontConfig font;
    font.SizePixels = baseFontPixels * float(textScale.pixels);
    io.Fonts->AddFontDefault(&font);
    io.FontGlobalScale = textScale.points / float(textScale.pixels);
    ImGui_ImplOpenGL3_DestroyFontsTexture();
    ImGui_ImplOpenGL3_CreateFontsTexture();
    ImGuiStyle style;
    ImGui::StyleColorsDark(&style);
    style.WindowRounding = 4.0f;
    style.Colors[ImGuiCol_WindowBg].w = 0.82f;
    style.ScaleAllSizes(textScale.points);
    ImGui::GetStyle() = style;
}

void UiContext::beginFrame(const std::function<void()>& feedInput) {
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    fitTo(height);
    ImGui_ImplOpenGL3_NewFrame();
    if (input == Input::Window) {
        ImGui_ImplGlfw_NewFrame();
    } else {
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(float(width), float(height));
        io.DisplayFramebufferScale = ImVec2(1.0f, 1.0f);
        io.DeltaTime = benchFrameSeconds;
    }
    if (feedInput)
        feedInput();
    ImGui::NewFrame();
    begun = true;
}

void UiContext::endFrame() {
    ImGui::Render();
    begun = false;
}

void UiContext::drawLists(bool background) {
    ImDrawData* data = ImGui::GetDrawData();
    if (!data || !data->Valid)
        return;
    // The background list, when it holds anything, comes first.
    const ImDrawList* text = ImGui::GetBackgroundDrawList();
    const int textLists = data->CmdListsCount > 0 && data->CmdLists[0] == text ? 1 : 0;
    ImDrawData part = *data;
    part.CmdLists = data->CmdLists + (background ? 0 : textLists);
    part.CmdListsCount = background ? textLists : data->CmdListsCount - textLists;
    if (part.CmdListsCount == 0)
        return;
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    ImGui_ImplOpenGL3_RenderDrawData(&part);
}

void UiContext::drawText() {
    drawLists(true);
}

void UiContext::drawWindows() {
    drawLists(false);
}

} // namespace vantor
