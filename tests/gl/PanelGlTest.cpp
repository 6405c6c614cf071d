// The settings panel's GL names: one font texture per panel life, whatever the text scale does,
// and none left once the panel is gone.

#include "GlTestContext.h"
#include "app/SettingsPanel.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

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

} // namespace

TEST(SettingsPanelGl, OneFontTextureWhileItLivesAndNoneAfter) {
    GLFWwindow* window = glTestWindow();
    int width = 0, height = 0;
    glfwGetWindowSize(window, &width, &height);
    const int before = liveTextures();
    {
        SettingsPanel panel(window);
        RenderSettings settings;
        panel.draw(settings, {});
        EXPECT_EQ(liveTextures(), before) << "a closed panel makes nothing";
        panel.toggle();
        for (int frame = 0; frame < 3; ++frame)
            panel.draw(settings, {});
        EXPECT_EQ(liveTextures(), before + 1) << "first opening";
        // Twice the text scale remakes the font: still one texture.
        ASSERT_EQ(resizeTo(window, width, 1600), 1600);
        panel.draw(settings, {});
        EXPECT_EQ(liveTextures(), before + 1) << "after a new text scale";
        panel.toggle();
        panel.toggle();
        panel.draw(settings, {});
        EXPECT_EQ(liveTextures(), before + 1) << "closed and opened again";
    }
    EXPECT_EQ(liveTextures(), before) << "after the panel is gone";
    resizeTo(window, width, height);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
