// Controls::update against a real GLFW window: the timer, the cursor re-centring in window units
// and the focus. X moves the pointer only into mapped windows, so this test opens small visible
// ones of its own (no context).

#include "GlTestContext.h"
#include "input/Controls.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

using namespace vantor;

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
    // Without a window manager X gives the newest window the focus.
    ASSERT_EQ(glfwGetWindowAttrib(window, GLFW_FOCUSED), GLFW_TRUE);
    const auto cursor = [window] {
        glm::dvec2 at;
        glfwGetCursorPos(window, &at.x, &at.y);
        return at;
    };

    glfwSetTime(0.0);
    vantor::Controls controls;
    EXPECT_LT(controls.startTime, 0.5f);
    glm::mat4 view(1.0f), projection(1.0f);

    // The framebuffer size given (odd, not the window's) shapes the projection; the cursor is
    // centred on the window's own 320 x 200. The pointer's start-up place turns nothing.
    const int width = 1365, height = 767;
    glfwSetCursorPos(window, 300.0, 20.0);
    const float yaw = controls.horizontalAngle, pitch = controls.verticalAngle;
    glfwSetTime(14.9);
    controls.update(0.016f, window, width, height, view, projection);
    EXPECT_NEAR(projection[1][1], 2.4142135f, 1e-4f); // 45 degrees: still gliding
    EXPECT_FLOAT_EQ(projection[0][0], projection[1][1] * float(height) / float(width));
    EXPECT_NEAR(controls.lastFlightTime, 14.9f, 0.05f);
    EXPECT_EQ(controls.orbitAngle, 0.0f);
    EXPECT_EQ(controls.horizontalAngle, yaw);
    EXPECT_EQ(controls.verticalAngle, pitch);
    EXPECT_EQ(cursor(), glm::dvec2(160.0, 100.0));

    // 100 units right of the centre, read by the next update, which re-centres again.
    glfwSetCursorPos(window, 260.0, 100.0);
    glfwSetTime(20.0);
    controls.update(0.016f, window, width, height, view, projection);
    EXPECT_NEAR(controls.horizontalAngle, yaw - 0.1f, 1e-5f);
    EXPECT_EQ(cursor(), glm::dvec2(160.0, 100.0));

    // 20 s into the flight: orbiting at 90 degrees, level with the centre.
    EXPECT_NEAR(projection[1][1], 1.0f, 1e-6f);
    EXPECT_GT(controls.orbitAngle, 0.0f);
    EXPECT_FLOAT_EQ(controls.position.y, 0.2f);
    EXPECT_NEAR(controls.lastFlightTime, 20.0f, 0.05f);
    EXPECT_TRUE(controls.cameraFlight); // no key went down

    // Another window takes the focus: the pointer is left where it is and turns nothing.
    const float turned = controls.horizontalAngle;
    {
        VisibleWindow other;
        ASSERT_NE(other.handle, nullptr);
        ASSERT_EQ(glfwGetWindowAttrib(window, GLFW_FOCUSED), GLFW_FALSE);
        glfwSetCursorPos(other.handle, 60.0, 150.0); // the user's pointer, off our centre
        const glm::dvec2 left = cursor();
        ASSERT_NE(left, glm::dvec2(160.0, 100.0));
        controls.update(0.016f, window, width, height, view, projection);
        EXPECT_EQ(controls.horizontalAngle, turned);
        EXPECT_EQ(cursor(), left);
    }

    // Focus back: the first update only re-centres, the next turns again.
    glfwFocusWindow(window);
    ASSERT_EQ(glfwGetWindowAttrib(window, GLFW_FOCUSED), GLFW_TRUE);
    controls.update(0.016f, window, width, height, view, projection);
    EXPECT_EQ(controls.horizontalAngle, turned);
    EXPECT_EQ(cursor(), glm::dvec2(160.0, 100.0));
    glfwSetCursorPos(window, 110.0, 100.0);
    controls.update(0.016f, window, width, height, view, projection);
    EXPECT_NEAR(controls.horizontalAngle, turned + 0.05f, 1e-5f);

    // The window moves under the resting pointer (as a window manager slides a restored window
    // into place): the offset that makes is not the mouse's, so that update only re-centres.
    const float beforeMove = controls.horizontalAngle;
    int x = 0, y = 0;
    glfwGetWindowPos(window, &x, &y);
    glfwSetWindowPos(window, x + 40, y + 30);
    int movedX = 0, movedY = 0;
    glfwGetWindowPos(window, &movedX, &movedY);
    ASSERT_EQ(movedX - x, 40);
    ASSERT_NE(cursor(), glm::dvec2(160.0, 100.0));
    controls.update(0.016f, window, width, height, view, projection);
    EXPECT_EQ(controls.horizontalAngle, beforeMove);
    EXPECT_EQ(cursor(), glm::dvec2(160.0, 100.0));
}
