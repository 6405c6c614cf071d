#include "app/ScreenText.h"

#include "app/UiContext.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

const ImU32 backing = IM_COL32(0, 0, 0, 150);
const ImU32 plainText = IM_COL32(255, 255, 255, 255);
const ImU32 messageText = IM_COL32(255, 140, 115, 255);

} // namespace

TextMetrics currentTextMetrics() {
    const ImGuiIO& io = ImGui::GetIO();
    const float pixels = io.DisplayFramebufferScale.y > 0.0f ? io.DisplayFramebufferScale.y : 1.0f;
    TextMetrics metrics;
    metrics.charWidth = std::max(1, int(std::ceil(ImGui::CalcTextSize("M").x * pixels)));
    metrics.lineHeight = std::max(1, int(std::ceil(ImGui::GetTextLineHeight() * pixels)));
    metrics.padding = std::max(1, int(std::lround(3.0f * ImGui::GetFontSize() / 13.0f * pixels)));
    return metrics;
}

void drawScreenText(const std::vector<TextBox>& boxes) {
    if (boxes.empty())
        return;
    const ImGuiIO& io = ImGui::GetIO();
    const ImVec2 pixels(io.DisplayFramebufferScale.x > 0.0f ? io.DisplayFramebufferScale.x : 1.0f,
                        io.DisplayFramebufferScale.y > 0.0f ? io.DisplayFramebufferScale.y : 1.0f);
    const TextMetrics metrics = currentTextMetrics();
    ImDrawList* list = ImGui::GetBackgroundDrawList();
    for (const TextBox& box : boxes) {
        list->AddRectFilled(ImVec2(float(box.area.left) / pixels.x, float(box.area.top) / pixels.y),
                            ImVec2(float(box.area.right) / pixels.x, float(box.area.bottom) / pixels.y),
                            backing);
        const ImU32 colour = box.kind == TextBox::Kind::Message ? messageText : plainText;
        float y = float(box.area.top + metrics.padding);
        for (const std::string& line : box.lines) {
            list->AddText(ImVec2(float(box.area.left + metrics.padding) / pixels.x, y / pixels.y), colour,
                          line.c_str());
            y += float(metrics.lineHeight);
        }
    }
}

void drawFrameText(UiContext& ui, int width, int height, bool faceLabels,
                   const std::vector<std::string>& overlay) {
    if (!faceLabels && overlay.empty())
        return;
    ui.start();
    ui.beginFrame();
    ScreenTextScene scene;
    scene.width = width;
    scene.height = height;
    scene.faceLabels = faceLabels;
    scene.overlay = overlay;
    drawScreenText(layoutScreenText(scene, currentTextMetrics()));
    ui.endFrame();
    ui.drawText();
}

} // namespace vantor
