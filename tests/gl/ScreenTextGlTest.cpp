// The screen text drawn through the user-interface library, read back from the window: each box
// of the layout darkens its area and carries bright text, nothing outside the boxes changes, and
// the GL state the frame's passes rely on is as it was.

#include "FrameReadback.h"
#include "GlTestContext.h"
#include "app/ScreenText.h"
#include "app/UiContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantor;

TEST(ScreenTextGl, TheLabelsAndTheOverlayDrawnInTheirBoxesAndNowhereElse) {
    GLFWwindow* window = glTestWindow();
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    ASSERT_EQ(width, readback::width);
    ASSERT_EQ(height, readback::height);
    const std::vector<std::string> overlay{"8.6 fps  116.0 ms/frame", "640 x 384  view shadow cube",
                                           "flight on  t 20.3 s"};

    UiContext ui(window, UiContext::Input::None);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // State the frame's passes set for themselves, here set the other way round from what the
    // library draws with.
    const GLboolean blendBefore = glIsEnabled(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    drawFrameText(ui, width, height, true, overlay);
    ASSERT_TRUE(ui.started());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the library put back the state it found";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glDisable(GL_DEPTH_TEST);
    if (blendBefore)
        glEnable(GL_BLEND);
    const readback::Bytes pixels = readback::readWindowBytes();

    ScreenTextScene scene;
    scene.width = width;
    scene.height = height;
    scene.faceLabels = true;
    scene.overlay = overlay;
    ui.beginFrame();
    const std::vector<TextBox> boxes = layoutScreenText(scene, currentTextMetrics());
    ui.endFrame();
    ASSERT_EQ(boxes.size(), 7u);

    // Rows of the read-back run bottom-up.
    const auto at = [&](int x, int yFromTop) {
        return &pixels[(size_t(height - 1 - yFromTop) * width + x) * 4];
    };
    std::vector<bool> inBox(size_t(width) * height, false);
    for (const TextBox& box : boxes) {
        SCOPED_TRACE(box.lines[0]);
        int dark = 0, bright = 0;
        for (int y = box.area.top; y < box.area.bottom; ++y)
            for (int x = box.area.left; x < box.area.right; ++x) {
                inBox[size_t(y) * width + x] = true;
                dark += at(x, y)[0] < 100;
                bright += at(x, y)[0] > 200;
            }
        const int area = (box.area.right - box.area.left) * (box.area.bottom - box.area.top);
        EXPECT_GT(dark, area / 2) << "no dark backing";
        EXPECT_GT(bright, 8 * int(box.lines[0].size())) << "no text";
    }
    int changed = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            changed += !inBox[size_t(y) * width + x] && at(x, y)[0] != 128 && at(x, y)[0] != 127;
    EXPECT_EQ(changed, 0) << "pixels outside the boxes changed";
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
