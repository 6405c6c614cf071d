// The user interface's GL names: one font texture while the library lives, shared by the screen
// text and the panel, whatever the text scale does, and none left once it is gone.

#include "GlTestContext.h"
#include "app/ScreenText.h"
#include "app/SettingsPanel.h"
#include "app/UiContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

using namespace vantor;

namespace {

// Texture names alive in the context (glIsTexture: made and bound at least once, not deleted).
int liveTextures() {
    int count = 0;
    for (GLuint name = 1; name < 20000; ++name)
        count += glIsTexture(name) == GL_TRUE;
    return count;
}

// Resizes the window and waits until its framebuffer has the new height.
int resizeTo(GLFWwindow* window, int width, int height) {
    glfwSetWindowSize(window, width, height);
    int w = 0, h = 0;
    for (int i = 0; i < 100 && h != height; ++i) {
        glfwWaitEventsTimeout(0.02);
        glfwGetFramebufferSize(window, &w, &h);
    }
    return h;
}

// One frame of the panel as the demo draws it.
void panelFrame(UiContext& ui, SettingsPanel& panel, RenderSettings& settings) {
    if (!ui.started())
        return;
    panel.beginFrame();
    if (!ui.frameBegun())
        ui.beginFrame();
    panel.draw(settings, {});
    ui.endFrame();
    ui.drawText();
    ui.drawWindows();
}

} // namespace

TEST(SettingsPanelGl, OneFontTextureWhileItLivesAndNoneAfter) {
    GLFWwindow* window = glTestWindow();
    int width = 0, height = 0;
    glfwGetWindowSize(window, &width, &height);
    const int before = liveTextures();
    {
        UiContext ui(window);
        SettingsPanel panel(window, ui);
        RenderSettings settings;
        panelFrame(ui, panel, settings);
        EXPECT_FALSE(ui.started()) << "a closed panel starts nothing";
        EXPECT_EQ(liveTextures(), before) << "a closed panel makes nothing";
        // The text first (the overlay), then the panel: one library, one font.
        drawFrameText(ui, width, height, false, {"8.6 fps  116.0 ms/frame"});
        EXPECT_EQ(liveTextures(), before + 1) << "the overlay's first frame";
        panel.toggle();
        for (int frame = 0; frame < 3; ++frame)
            panelFrame(ui, panel, settings);
        EXPECT_EQ(liveTextures(), before + 1) << "first opening";
        // Twice the text scale remakes the font: still one texture.
        ASSERT_EQ(resizeTo(window, width, 1600), 1600);
        panelFrame(ui, panel, settings);
        EXPECT_EQ(liveTextures(), before + 1) << "after a new text scale";
        panel.toggle();
        panel.toggle();
        panelFrame(ui, panel, settings);
        EXPECT_EQ(liveTextures(), before + 1) << "closed and opened again";
    }
    EXPECT_EQ(liveTextures(), before) << "after the library is gone";
    resizeTo(window, width, height);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
