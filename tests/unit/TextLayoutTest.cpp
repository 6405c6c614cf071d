// Where the screen text goes: the overlay, the reload messages and the shadow view's labels never
// cover one another nor hide under the open panel, at every window size from 640 x 360 to
// 3840 x 2160 and the text scale each takes.

#include "app/TextLayout.h"
#include "app/PanelFit.h"
#include "render/Overlay.h"
#include "render/TargetView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantor;

namespace {

// The library's font at a text scale, as ScreenText measures it.
TextMetrics metricsAt(int scale) {
    return {7 * scale, 13 * scale, 3 * scale};
}

// The overlay as the demo shows it: every pass, the render scale line and the pause.
std::vector<std::string> overlayLines(int width, int height) {
    Overlay overlay;
    for (const char* pass : {"update", "shadow", "geometry", "lighting", "forward", "blur 1 (h)",
                             "blur 2 (v)", "blur 3 (h)", "composite", "view"})
        overlay.addPass(pass, 12.5);
    overlay.addFrame(600.0);
    return overlay.lines({width, height, "shadow cube", true, 21.5, true, 0.5f, width / 2, height / 2});
}

const TextBox* find(const std::vector<TextBox>& boxes, TextBox::Kind kind) {
    for (const TextBox& box : boxes)
        if (box.kind == kind)
            return &box;
    return nullptr;
}

bool inside(const PixelRect& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

const std::vector<std::pair<int, int>> windowSizes{{640, 360},   {640, 384},   {1280, 768},  {1920, 1080},
                                                   {2560, 1440}, {3840, 2160}, {1920, 360},  {640, 1080},
                                                   {800, 2000},  {3840, 720},  {1024, 1024}, {1366, 768}};

} // namespace

TEST(TextLayout, TheOverlayStaysWholeInTheWindowAndClearOfTheShadowViewsLabelsAndTheMessages) {
    for (const auto& [width, height] : windowSizes) {
        const int scale = panelfit::scaleFor(height, height, 1.0f).pixels;
        const TextMetrics metrics = metricsAt(scale);
        for (const bool withMessage : {false, true}) {
            SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) +
                         (withMessage ? " with" : " without") + " a message, text scale " +
                         std::to_string(scale));
            ScreenTextScene scene;
            scene.width = width;
            scene.height = height;
            scene.faceLabels = true;
            scene.overlay = overlayLines(width, height);
            if (withMessage) {
                // Cut to the room as the shader watcher cuts them.
                const TextRoom room = messageRoom(width, height, metrics);
                for (const std::string line :
                     {"Shader reload failed, the last good program stays: ../Quarnvale/Shader/texture.frag",
                      "0:4(17): error: `undefinedColour' undeclared"})
                    scene.messages.push_back(line.substr(0, size_t(room.columns)));
            }
            const std::vector<TextBox> boxes = layoutScreenText(scene, metrics);

            const TextBox* overlay = find(boxes, TextBox::Kind::Overlay);
            ASSERT_NE(overlay, nullptr);
            EXPECT_EQ(overlay->lines, scene.overlay) << "the overlay keeps its content";
            EXPECT_TRUE(inside(overlay->area, width, height)) << "the overlay is cut off by the window";
            const PixelPoint size = textBoxSize(scene.overlay, metrics);
            EXPECT_EQ(overlay->area.right - overlay->area.left, size.x);
            EXPECT_EQ(overlay->area.bottom - overlay->area.top, size.y);

            int labels = 0;
            const ShadowFaceGrid grid = shadowFaceGrid(width, height);
            for (const TextBox& box : boxes) {
                if (box.kind == TextBox::Kind::Overlay)
                    continue;
                EXPECT_FALSE(box.area.intersects(overlay->area))
                    << "the overlay covers \"" << box.lines[0] << "\" at " << box.area.left << ", "
                    << box.area.top;
                if (box.kind != TextBox::Kind::Label)
                    continue;
                // Each label sits in its face's top-left corner.
                EXPECT_EQ(box.lines, std::vector<std::string>{shadowFaceName(labels)});
                EXPECT_EQ(box.area.left, grid.cellX(labels));
                EXPECT_EQ(box.area.top, grid.cellYFromTop(labels, height));
                ++labels;
            }
            EXPECT_EQ(labels, 6);

            const TextBox* message = find(boxes, TextBox::Kind::Message);
            ASSERT_EQ(message != nullptr, withMessage);
            if (message) {
                EXPECT_TRUE(inside(message->area, width, height));
                for (const TextBox& box : boxes) {
                    if (box.kind == TextBox::Kind::Label) {
                        EXPECT_FALSE(box.area.intersects(message->area))
                            << "the message covers " << box.lines[0];
                    }
                }
            }
        }
    }
}

TEST(TextLayout, TheMessageAndTheOverlayInTheCornerBelowOneAnotherOrBesideTheOpenPanel) {
    const TextMetrics metrics = metricsAt(1);
    ScreenTextScene scene;
    scene.width = 1280;
    scene.height = 768;
    scene.messages = {"Shader reload failed: ../Quarnvale/Shader/texture.frag", "0:4(17): error"};
    scene.overlay = overlayLines(1280, 768);

    // The picture alone: the message in the corner, the overlay just below it.
    std::vector<TextBox> boxes = layoutScreenText(scene, metrics);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].kind, TextBox::Kind::Message);
    EXPECT_EQ(boxes[0].area.left, 8);
    EXPECT_EQ(boxes[0].area.top, 8);
    EXPECT_EQ(boxes[1].kind, TextBox::Kind::Overlay);
    EXPECT_EQ(boxes[1].area.left, 8);
    EXPECT_EQ(boxes[1].area.top, boxes[0].area.bottom + 8);

    // The panel open over the corner: it shows the message itself, and the overlay goes to the
    // window's right edge, clear of it.
    scene.panel = PixelRect{10, 10, 340, 700};
    boxes = layoutScreenText(scene, metrics);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, TextBox::Kind::Overlay);
    EXPECT_FALSE(boxes[0].area.intersects(*scene.panel));
    EXPECT_EQ(boxes[0].area.right, 1280 - 8);
    EXPECT_EQ(boxes[0].area.top, 8);

    // A window too narrow for both side by side: below the panel.
    scene.width = 500;
    scene.panel = PixelRect{10, 10, 340, 300};
    boxes = layoutScreenText(scene, metrics);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].area.intersects(*scene.panel));
    EXPECT_EQ(boxes[0].area.top, 308);
}

TEST(TextLayout, MessagesAreCutToHalfTheWindowAndTheScaleGrowsWithTheScreen) {
    const TextRoom room = messageRoom(640, 384, metricsAt(1));
    EXPECT_EQ(room.lines, 384 / 13 / 2);
    EXPECT_EQ(room.columns, (640 - 16 - 6) / 7);
    EXPECT_LE(
        textBoxSize(std::vector<std::string>(room.lines, std::string(room.columns, 'x')), metricsAt(1)).x,
        640 - 16);
    EXPECT_EQ(messageRoom(0, 0, metricsAt(1)).lines, 1) << "a window of no size still has room for the dots";

    // Nothing clear anywhere: the usual corner.
    const PixelPoint usual{8, 8};
    EXPECT_EQ(placeClear(usual, {100, 50}, 120, 60, {PixelRect{0, 0, 120, 60}}).x, 8);
    EXPECT_EQ(placeClear(usual, {100, 50}, 120, 60, {PixelRect{0, 0, 120, 60}}).y, 8);
}
