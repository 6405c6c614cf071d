// The camera without a window: Controls::step fed with hand-made input.

#include "input/Controls.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <set>
#include <sstream>

using vantor::Controls;
using vantor::ControlsInput;
namespace camera = vantor::camera;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 768;
const glm::vec3 kUp(0.0f, 1.0f, 0.0f);

// Input with the cursor resting at the centre (no turn) and nothing held.
ControlsInput idleAt(double time, int width = kWidth, int height = kHeight) {
    ControlsInput input;
    input.cursor = camera::cursorCentre(width, height);
    input.time = time;
    return input;
}

struct Frame {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
};

Frame step(Controls& controls, const ControlsInput& input, float deltaTime = 0.016f, int width = kWidth,
           int height = kHeight) {
    Frame frame;
    controls.step(input, deltaTime, width, height, frame.view, frame.projection);
    return frame;
}

// The world-space look direction a view matrix encodes (minus its third row).
glm::vec3 forwardOf(const glm::mat4& view) {
    return -glm::vec3(view[0][2], view[1][2], view[2][2]);
}
glm::vec3 screenUpOf(const glm::mat4& view) {
    return glm::vec3(view[0][1], view[1][1], view[2][1]);
}

bool allFinite(const glm::mat4& m) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            if (!std::isfinite(m[c][r]))
                return false;
    return true;
}

// The rotation part is orthonormal with determinant +1: a real camera, not a degenerate one.
void expectRigid(const glm::mat4& view) {
    const glm::mat3 r(view);
    const glm::mat3 product = r * glm::transpose(r);
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row)
            EXPECT_NEAR(product[c][row], c == row ? 1.0f : 0.0f, 1e-4f);
    EXPECT_NEAR(glm::determinant(r), 1.0f, 1e-4f);
}

void expectVecNear(glm::vec3 actual, glm::vec3 expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

std::string capturedStep(Controls& controls, const ControlsInput& input) {
    std::ostringstream captured;
    std::streambuf* saved = std::cout.rdbuf(captured.rdbuf());
    step(controls, input);
    std::cout.rdbuf(saved);
    return captured.str();
}

} // namespace

TEST(ControlsFlight, GlideBeforeFifteenSecondsOrbitFromThen) {
    Controls glide(0.0f);
    const glm::vec3 before = glide.position;
    Frame frame = step(glide, idleAt(14.9), 0.1f);
    // 45 degrees: cot(22.5) on the diagonal, divided by 16/9 for x.
    EXPECT_NEAR(frame.projection[1][1], 2.4142135f, 1e-5f);
    EXPECT_NEAR(frame.projection[0][0], 2.4142135f * 9.0f / 16.0f, 1e-5f);
    EXPECT_NEAR(frame.projection[2][2], -10.1f / 9.9f, 1e-5f);
    EXPECT_NEAR(frame.projection[3][2], -2.0f / 9.9f, 1e-5f);
    EXPECT_EQ(frame.projection[2][3], -1.0f);
    // A sixth of the remaining way per second, looking at the centre from the old position.
    const glm::vec3 toCentre = glm::vec3(0.0f, 0.2f, 0.0f) - before;
    expectVecNear(glide.position, before + toCentre * (0.1f / 6.0f), 1e-6f);
    expectVecNear(forwardOf(frame.view), glm::normalize(toCentre), 1e-6f);
    EXPECT_FLOAT_EQ(glide.orbitAngle, 0.0f);
    EXPECT_FLOAT_EQ(glide.lastFlightTime, 14.9f);

    Controls orbit(0.0f);
    frame = step(orbit, idleAt(15.0), 0.1f);
    EXPECT_NEAR(frame.projection[1][1], 1.0f, 1e-6f);
    EXPECT_NEAR(frame.projection[0][0], 0.5625f, 1e-6f);
    // The first orbit update catches up the 15 s since lastFlightTime was 0.
    EXPECT_NEAR(orbit.orbitAngle, 7.5f, 1e-5f);
    const float radius = std::sin(7.5f) / 4.0f + 0.5f;
    expectVecNear(orbit.position, glm::vec3(std::cos(7.5f) * radius, 0.2f, std::sin(7.5f) * radius), 1e-5f);
}

TEST(ControlsFlight, OrbitAimsFromThePreviousPosition) {
    // Before 40 s: level with the centre, looking along the line from where the camera was.
    Controls controls(0.0f);
    step(controls, idleAt(20.0));
    const glm::vec3 previous = controls.position;
    EXPECT_FLOAT_EQ(previous.y, 0.2f);
    Frame frame = step(controls, idleAt(20.016));
    EXPECT_FLOAT_EQ(controls.position.y, 0.2f);
    const glm::vec3 aim = glm::vec3(0.0f, 0.2f, 0.0f) - previous;
    EXPECT_EQ(aim.y, 0.0f);
    expectVecNear(forwardOf(frame.view), glm::normalize(aim), 1e-6f);
    expectVecNear(glm::vec3(frame.view * glm::vec4(controls.position, 1.0f)), glm::vec3(0.0f), 1e-6f);

    // At 50 s the look-at point has risen by (50 - 40) / 2 to height 5.2.
    controls.position = glm::vec3(0.5f, 0.2f, 0.0f);
    frame = step(controls, idleAt(50.0));
    const glm::vec3 lookAtPoint(0.0f, 5.2f, 0.0f);
    expectVecNear(forwardOf(frame.view), glm::normalize(lookAtPoint - glm::vec3(0.5f, 0.2f, 0.0f)), 1e-6f);
}

TEST(ControlsFlight, ReenablingCatchesUpTheTimeSpentOff) {
    Controls controls(0.0f);
    step(controls, idleAt(20.0));
    const float angleWhenStopped = controls.orbitAngle;
    ControlsInput toggle = idleAt(20.016);
    toggle.toggleFlight = true;
    step(controls, toggle); // flies once more, then switches off
    const float angleOff = controls.orbitAngle;
    EXPECT_GT(angleOff, angleWhenStopped);
    EXPECT_FALSE(controls.cameraFlight);

    for (double t = 21.0; t < 30.0; t += 1.0)
        step(controls, idleAt(t));
    EXPECT_EQ(controls.orbitAngle, angleOff);
    EXPECT_FLOAT_EQ(controls.lastFlightTime, 20.016f);

    toggle.time = 30.0;
    step(controls, toggle); // free camera this update; the flight resumes next
    EXPECT_TRUE(controls.cameraFlight);
    step(controls, idleAt(30.016));
    EXPECT_NEAR(controls.orbitAngle - angleOff, 0.5f * 10.0f, 1e-3f);
}

// step switches on every update that asks it to; that J asks once per press is the key
// record's part (KeyRecordTest).
TEST(ControlsFlight, ToggleRequestFlipsEveryUpdateItIsSet) {
    Controls controls(0.0f);
    ControlsInput input = idleAt(1.0);
    input.toggleFlight = true;
    const bool expected[] = {false, true, false};
    for (bool flight : expected) {
        step(controls, input);
        EXPECT_EQ(controls.cameraFlight, flight);
        input.time += 0.016;
    }
}

TEST(ControlsFreeCamera, IdleUpdateKeepsPositionAndLooksAlongTheAngles) {
    Controls controls(0.0f);
    controls.cameraFlight = false;
    controls.position = glm::vec3(1.5f, 0.7f, -2.0f);
    const Frame frame = step(controls, idleAt(30.0));
    EXPECT_EQ(controls.position, glm::vec3(1.5f, 0.7f, -2.0f));
    const glm::vec3 direction = camera::viewDirection(3.912f, -0.006f);
    expectVecNear(direction, glm::vec3(-0.696f, -0.006f, -0.718f), 1e-3f);
    EXPECT_EQ(frame.view, glm::lookAt(controls.position, controls.position + direction, kUp));
    EXPECT_NEAR(frame.projection[1][1], 1.0f, 1e-6f); // 90 degrees outside the flight
}

TEST(ControlsFreeCamera, CursorOffsetTurnsBothAngles) {
    Controls controls(0.0f);
    controls.cameraFlight = false;
    ControlsInput input = idleAt(1.0);
    input.cursor.x += 100.0; // right
    step(controls, input);
    EXPECT_NEAR(controls.horizontalAngle, 3.912f - 0.1f, 1e-6f);
    EXPECT_FLOAT_EQ(controls.verticalAngle, -0.006f);

    input = idleAt(1.0);
    input.cursor.y += 100.0; // down
    step(controls, input);
    EXPECT_NEAR(controls.verticalAngle, -0.006f - 0.1f / 1.5f, 1e-6f);

    // An odd width centres on the truncated half: the cursor at 682 is at rest.
    EXPECT_EQ(camera::cursorCentre(1365, 767), glm::dvec2(682.0, 383.0));
    const float yaw = controls.horizontalAngle;
    input = idleAt(1.0, 1365, 767);
    step(controls, input, 0.016f, 1365, 767);
    EXPECT_EQ(controls.horizontalAngle, yaw);

    // The flight ignores the angles but keeps collecting them.
    controls.cameraFlight = true;
    input = idleAt(20.0);
    input.cursor.x -= 50.0;
    step(controls, input);
    EXPECT_NEAR(controls.horizontalAngle, yaw + 0.05f, 1e-6f);
}

TEST(ControlsFreeCamera, KeyRowsCountOnceAndOppositesCancel) {
    const auto keysHeld = [](std::set<int> held) {
        return camera::moveKeysFrom([held](int key) { return held.count(key) > 0; });
    };
    const glm::vec3 start(1.0f, 1.0f, 1.0f);
    const glm::vec3 direction(0.0f, 0.0f, -1.0f);
    const glm::vec3 right(1.0f, 0.0f, 0.0f);
    const auto move = [&](std::set<int> held) {
        return camera::moveByKeys(start, direction, right, keysHeld(held), 0.5f, 2.0f);
    };

    EXPECT_EQ(move({GLFW_KEY_W, GLFW_KEY_UP}), glm::vec3(1.0f, 1.0f, 0.0f));
    EXPECT_EQ(move({GLFW_KEY_W}), move({GLFW_KEY_UP}));
    EXPECT_EQ(move({GLFW_KEY_S, GLFW_KEY_DOWN}), glm::vec3(1.0f, 1.0f, 2.0f));
    EXPECT_EQ(move({GLFW_KEY_D, GLFW_KEY_RIGHT}), glm::vec3(2.0f, 1.0f, 1.0f));
    EXPECT_EQ(move({GLFW_KEY_A, GLFW_KEY_LEFT}), glm::vec3(0.0f, 1.0f, 1.0f));
    EXPECT_EQ(move({GLFW_KEY_SPACE}), glm::vec3(1.0f, 2.0f, 1.0f));
    EXPECT_EQ(move({GLFW_KEY_LEFT_SHIFT}), glm::vec3(1.0f, 0.0f, 1.0f));
    EXPECT_EQ(move({GLFW_KEY_SPACE, GLFW_KEY_LEFT_SHIFT}), start);
    EXPECT_EQ(move({GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_RIGHT}), start);

    // Through the step, Space and Left Shift together keep the height at a real frame time.
    Controls controls(0.0f);
    controls.cameraFlight = false;
    ControlsInput input = idleAt(1.0);
    input.keys = keysHeld({GLFW_KEY_SPACE, GLFW_KEY_LEFT_SHIFT});
    step(controls, input, 0.0173f);
    EXPECT_FLOAT_EQ(controls.position.y, 1.0f);
}

TEST(ControlsProjection, AspectIsSixteenToNineAtAnySize) {
    const int sizes[][2] = {{1280, 768}, {1365, 767}, {640, 480}, {100, 1000}, {1, 1}};
    for (const auto& size : sizes) {
        Controls controls(0.0f);
        const Frame frame = step(controls, idleAt(20.0, size[0], size[1]), 0.016f, size[0], size[1]);
        EXPECT_NEAR(frame.projection[1][1] / frame.projection[0][0], 16.0f / 9.0f, 1e-6f)
            << size[0] << "x" << size[1];
    }
}

TEST(ControlsPrint, MLineHoldsDirectionAndAngles) {
    Controls controls(0.0f);
    controls.cameraFlight = false;
    ControlsInput input = idleAt(1.0);
    input.printDirection = true;
    EXPECT_EQ(capturedStep(controls, input), "-0.696415  -0.00599996  -0.717614  3.912   -0.006\n");

    controls.horizontalAngle = 0.0f;
    controls.verticalAngle = 0.0f;
    EXPECT_EQ(capturedStep(controls, input), "0  0  1  0   0\n");

    // In the flight the printed direction is the flight's, the one the view uses.
    Controls flying(0.0f);
    flying.position = glm::vec3(0.5f, 0.2f, 0.0f);
    input.time = 50.0;
    EXPECT_EQ(capturedStep(flying, input), "-0.5  5  0  3.912   -0.006\n");

    input.printDirection = false;
    EXPECT_EQ(capturedStep(flying, input), "");
}

TEST(ControlsOnAxis, LateOrbitFacesStraightUpAndKeepsTurning) {
    for (double t : {52.0, 60.0, 600.0}) {
        Controls controls(0.0f);
        const Frame frame = step(controls, idleAt(t));
        EXPECT_TRUE(allFinite(frame.view)) << t;
        EXPECT_TRUE(allFinite(frame.projection)) << t;
    }
    // From about 52.1 s the radius is 0 whatever the angle: on the axis, facing up.
    for (double t : {53.0, 60.0, 600.0}) {
        Controls controls(0.0f);
        controls.lastFlightTime = float(t) - 0.016f;
        step(controls, idleAt(t - 0.016)); // reach the axis
        const Frame frame = step(controls, idleAt(t));
        EXPECT_TRUE(allFinite(frame.view)) << t;
        EXPECT_TRUE(allFinite(frame.projection)) << t;
        expectRigid(frame.view);
        EXPECT_EQ(controls.position.y, 0.2f);
        EXPECT_EQ(glm::vec2(controls.position.x, controls.position.z), glm::vec2(0.0f));
        expectVecNear(forwardOf(frame.view), kUp, 1e-6f);
        // The screen's top points out along the orbit angle, so the picture spins with it.
        expectVecNear(screenUpOf(frame.view),
                      glm::vec3(std::cos(controls.orbitAngle), 0.0f, std::sin(controls.orbitAngle)), 1e-5f);
    }
}

TEST(ControlsOnAxis, MatricesStayFiniteThroughAWholeFlight) {
    for (float deltaTime : {1.0f / 60.0f, 1.0f / 7.0f}) {
        Controls controls(0.0f);
        int steps = 0;
        for (double t = 0.0; t <= 700.0; t += deltaTime, ++steps) {
            const Frame frame = step(controls, idleAt(t), deltaTime);
            ASSERT_TRUE(allFinite(frame.view)) << "t = " << t;
            ASSERT_TRUE(allFinite(frame.projection)) << "t = " << t;
            ASSERT_TRUE(std::isfinite(controls.orbitAngle)) << "t = " << t;
        }
        EXPECT_GT(steps, 4000);
    }
}

TEST(ControlsOnAxis, DegenerateDirectionsStillGiveACamera) {
    const glm::vec3 eye(0.0f, 0.2f, 0.0f);
    const glm::vec3 heading = camera::yawHeading(0.3f);

    // No direction at all: look along the heading.
    glm::mat4 view = camera::cameraView(eye, glm::vec3(0.0f), kUp, heading);
    ASSERT_TRUE(allFinite(view));
    expectRigid(view);
    expectVecNear(forwardOf(view), heading, 1e-6f);

    // Straight up and straight down, approached from the heading's side: the guarded view
    // matches the ordinary one just off the axis.
    for (float sign : {1.0f, -1.0f}) {
        view = camera::cameraView(eye, sign * kUp, kUp, heading);
        ASSERT_TRUE(allFinite(view));
        expectRigid(view);
        const glm::vec3 nearAxis = glm::normalize(sign * kUp + 0.01f * heading);
        const glm::mat4 ordinary = glm::lookAt(eye, eye + nearAxis, kUp);
        expectVecNear(screenUpOf(view), screenUpOf(ordinary), 0.02f);
    }

    // The free camera pitched exactly to the pole, and a glide that starts on the centre.
    Controls pitched(0.0f);
    pitched.cameraFlight = false;
    pitched.verticalAngle = 1.5707964f;
    Frame frame = step(pitched, idleAt(1.0));
    EXPECT_TRUE(allFinite(frame.view));
    expectRigid(frame.view);

    Controls centred(0.0f);
    centred.position = eye;
    frame = step(centred, idleAt(5.0));
    EXPECT_TRUE(allFinite(frame.view));
    expectRigid(frame.view);
}
