// Controls::update against a real GLFW window: the timer and the cursor re-centring. X moves the
// pointer only into mapped windows, so this test opens a small visible one of its own (no context).

#include "GlTestContext.h"
#include "input/Controls.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace {

struct VisibleWindow {
    VisibleWindow() {
        glfwDefaultWindowHints();
        glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
        glfwWindowHint(GLFW_VISIBLE, GLFW_TRUE);
        handle = glfwCreateWindow(320, 200, "controls", nullptr, nullptr);
        glfwDefaultWindowHints();
    }
    ~VisibleWindow() {
        if (handle)
            glfwDestroyWindow(handle);
    }
    VisibleWindow(const VisibleWindow&) = delete;
    VisibleWindow& operator=(const VisibleWindow&) = delete;
    GLFWwindow* handle = nullptr;
};

// Puts the shared GLFW timer back where it would have been, for the tests that follow.
class TimerRestore {
public:
    TimerRestore() : saved(glfwGetTime()) {}
    ~TimerRestore() { glfwSetTime(saved + 1.0); }

private:
    double saved;
};

} // namespace

TEST(ControlsWindow, UpdateReadsTheTimerAndRecentresTheCursor) {
    ASSERT_NE(glTestWindow(), nullptr); // GLFW is up
    VisibleWindow visible;
    GLFWwindow* window = visible.handle;
    ASSERT_NE(window, nullptr);
    TimerRestore restore;

    glfwSetTime(0.0);
    vantor::Controls controls;
    EXPECT_LT(controls.startTime, 0.5f);
    glm::mat4 view(1.0f), projection(1.0f);

    // An odd width: the cursor is sent to (682, 383), whatever the window's own size.
    const int width = 1365, height = 767;
    glfwSetTime(14.9);
    controls.update(0.016f, window, width, height, view, projection);
    EXPECT_NEAR(projection[1][1], 2.4142135f, 1e-4f); // 45 degrees: still gliding
    EXPECT_NEAR(controls.lastFlightTime, 14.9f, 0.05f);
    EXPECT_EQ(controls.orbitAngle, 0.0f);

    double x = 0.0, y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    EXPECT_EQ(x, 682.0);
    EXPECT_EQ(y, 383.0);

    // 100 pixels right of the centre, read by the next update, which re-centres again.
    glfwSetCursorPos(window, 782.0, 383.0);
    const float yaw = controls.horizontalAngle;
    glfwSetTime(20.0);
    controls.update(0.016f, window, width, height, view, projection);
    EXPECT_NEAR(controls.horizontalAngle, yaw - 0.1f, 1e-5f);
    glfwGetCursorPos(window, &x, &y);
    EXPECT_EQ(x, 682.0);
    EXPECT_EQ(y, 383.0);

    // 20 s into the flight: orbiting at 90 degrees, level with the centre.
    EXPECT_NEAR(projection[1][1], 1.0f, 1e-6f);
    EXPECT_GT(controls.orbitAngle, 0.0f);
    EXPECT_FLOAT_EQ(controls.position.y, 0.2f);
    EXPECT_NEAR(controls.lastFlightTime, 20.0f, 0.05f);
    EXPECT_TRUE(controls.cameraFlight); // no key is down in a window without focus
}
