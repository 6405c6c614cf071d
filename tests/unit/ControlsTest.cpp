// The camera without a window: Controls::step fed with hand-made input.

#include "input/Controls.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <set>
#include <sstream>
#include <utility>

using namespace vantor;

using vantor::Controls;
using vantor::ControlsInput;
namespace camera = vantor::camera;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
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
TEST(ControlsFlight, PauseHoldsTheFlightAndResumesWhereItStopped) {
    // Two flights side by side; one is paused from 20 s to 25 s. Paused, its view and place
    // hold and its flight time stands; resumed, it flies on exactly as the other did from 20 s.
    Controls paused(0.0f), straight(0.0f);
    Frame held;
    for (int tick = 1; tick <= 200; ++tick) {
        step(straight, idleAt(tick * 0.1), 0.1f);
        held = step(paused, idleAt(tick * 0.1), 0.1f);
    }
    paused.setPaused(true, 20.0);
    const glm::vec3 place = paused.position;
    for (int tick = 201; tick <= 250; ++tick) {
        const Frame frame = step(paused, idleAt(tick * 0.1), 0.1f);
        EXPECT_EQ(frame.view, held.view) << "t = " << tick * 0.1;
        EXPECT_EQ(paused.position, place);
    }
    EXPECT_NEAR(paused.flightTime(25.0), 20.0, 1e-5);
    paused.setPaused(false, 25.0);
    for (int tick = 1; tick <= 100; ++tick) {
        const Frame a = step(paused, idleAt(25.0 + tick * 0.1), 0.1f);
        const Frame b = step(straight, idleAt(20.0 + tick * 0.1), 0.1f);
        expectVecNear(forwardOf(a.view), forwardOf(b.view), 1e-4f);
        expectVecNear(paused.position, straight.position, 1e-4f);
    }
    EXPECT_NEAR(paused.flightTime(35.0), straight.flightTime(30.0), 1e-5);
}

TEST(ControlsFlight, PausedBeforeTheFirstUpdateOrHiddenTheFlightStandsWhereItWas) {
    // Paused at 0.5 s before any update: the view at the glide's start holds however long the
    // pause; resumed at 3 s, the flight goes on as an unpaused one does from 0.5 s.
    Controls paused(0.0f), straight(0.0f);
    paused.setPaused(true, 0.5);
    const Frame held = step(paused, idleAt(0.6), 0.1f);
    const glm::vec3 place = paused.position;
    for (int tick = 7; tick <= 30; ++tick) {
        EXPECT_EQ(step(paused, idleAt(tick * 0.1), 0.1f).view, held.view) << "t = " << tick * 0.1;
        EXPECT_EQ(paused.position, place);
    }
    EXPECT_NEAR(paused.flightTime(3.0), 0.5, 1e-6);
    paused.setPaused(false, 3.0);
    // Then 10 s of hidden window at 5 s (as the frame loop reports it): no flight time passes.
    const auto stepBoth = [&](double pausedAt, double straightAt) {
        const Frame a = step(paused, idleAt(pausedAt), 0.1f);
        const Frame b = step(straight, idleAt(straightAt), 0.1f);
        expectVecNear(forwardOf(a.view), forwardOf(b.view), 1e-4f);
        expectVecNear(paused.position, straight.position, 1e-4f);
    };
    for (int tick = 1; tick <= 20; ++tick)
        stepBoth(3.0 + tick * 0.1, 0.5 + tick * 0.1);
    paused.skipTime(10.0);
    // Far enough to leave the glide (15 s) for the orbit on both.
    for (int tick = 1; tick <= 150; ++tick)
        stepBoth(15.0 + tick * 0.1, 2.5 + tick * 0.1);
    EXPECT_NEAR(paused.flightTime(30.0), straight.flightTime(17.5), 1e-5);

    // Hidden while paused: the resume still takes off only the paused time the scene saw.
    paused.setPaused(true, 31.0);
    paused.skipTime(7.0);
    paused.setPaused(false, 40.0);
    EXPECT_NEAR(paused.flightTime(40.0), straight.flightTime(17.5) + 1.0, 1e-4);
}

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

// Past the pole the direction's horizontal part would reverse and the picture turn over.
TEST(ControlsFreeCamera, PitchStopsJustShortOfStraightUpAndDown) {
    EXPECT_NEAR(camera::kPitchLimit, 1.5707963f - 0.01f, 1e-6f);
    for (float sign : {1.0f, -1.0f}) {
        Controls controls(0.0f);
        controls.cameraFlight = false;
        ControlsInput input = idleAt(1.0);
        input.cursor.y -= sign * 1e5; // far up, or far down
        step(controls, input);
        const Frame frame = step(controls, input); // and further still
        EXPECT_EQ(controls.verticalAngle, sign * camera::kPitchLimit);
        expectRigid(frame.view);
        const glm::vec3 forward = forwardOf(frame.view);
        EXPECT_NEAR(forward.y, sign * std::sin(camera::kPitchLimit), 1e-5f);
        EXPECT_GT(glm::dot(forward, camera::yawHeading(controls.horizontalAngle)), 0.0f);
        EXPECT_GT(screenUpOf(frame.view).y, 0.0f);

        // No travel is banked beyond the limit: the first move back leaves it at once.
        input = idleAt(1.0);
        input.cursor.y += sign * 15.0;
        step(controls, input);
        EXPECT_NEAR(controls.verticalAngle, sign * (camera::kPitchLimit - 0.01f), 1e-6f);
    }
}

// The pointer's place is motion only in a focused window this camera has re-centred, with the
// window where it was then; where the user left it, or moved it while working elsewhere, or where
// a moving window carried it, is no turn.
TEST(ControlsMouse, OnlyAFocusedWindowsCentredPointerTurns) {
    const glm::dvec2 centre(400.0, 240.0), away(500.0, 190.0), placed(50.0, 30.0), slid(80.0, 30.0);
    struct Case {
        bool focused;
        glm::dvec2 windowPosition;
        glm::dvec2 centre;
        bool turns;
        bool recentres;
        const char* what;
    };
    const Case cases[] = {
        {true, placed, centre, false, true, "first update: re-centre only"},
        {true, placed, centre, true, true, "then the offset is travel"},
        {false, placed, centre, false, false, "unfocused: neither read nor moved"},
        {false, placed, centre, false, false, "still unfocused"},
        {true, placed, centre, false, true, "focus back: re-centre only"},
        {true, placed, centre, true, true, "travel again"},
        {true, slid, centre, false, true, "the window moved: re-centre only"},
        {true, slid, centre, true, true, "it stopped: travel"},
        {true, slid, centre + 10.0, false, true, "resized: re-centre only"},
    };
    std::optional<glm::dvec2> placedAt = Controls(0.0f).cursorPlacedAt; // as a fresh camera starts
    for (const Case& c : cases) {
        const glm::dvec2 cursor = c.centre + (away - centre);
        const camera::CursorUse use =
            camera::useCursor(c.focused, placedAt, c.windowPosition, cursor, c.centre);
        EXPECT_EQ(use.cursor, c.turns ? cursor : c.centre) << c.what;
        EXPECT_EQ(use.recentre, c.recentres) << c.what;
    }

    // The rest point is the window's centre, not the framebuffer's: a screen of two pixels per
    // unit draws 2560 x 1440 for a 1280 x 720 window, and 100 units right still turn 0.1.
    Controls controls(0.0f);
    controls.cameraFlight = false;
    ControlsInput input = idleAt(1.0);
    input.centre = glm::dvec2(640.0, 360.0);
    input.cursor = glm::dvec2(740.0, 360.0);
    step(controls, input, 0.016f, 2560, 1440);
    EXPECT_NEAR(controls.horizontalAngle, 3.912f - 0.1f, 1e-6f);
    EXPECT_FLOAT_EQ(controls.verticalAngle, -0.006f);
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

TEST(ControlsProjection, AspectIsTheFramebuffersShape) {
    // 16:9 framebuffers keep the matrices the demo always drew with, to the bit.
    for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1920, 1080}}) {
        for (const auto& [time, fieldOfView] : {std::pair{14.9, 45.0f}, std::pair{20.0, 90.0f}}) {
            Controls controls(0.0f);
            const Frame frame = step(controls, idleAt(time), 0.016f, width, height);
            EXPECT_EQ(frame.projection,
                      glm::perspective(glm::radians(fieldOfView), 16.0f / 9.0f, 0.1f, 10.0f))
                << width << "x" << height << " at " << time;
        }
    }

    // Another shape narrows or widens x alone; y and depth stay.
    Controls wide(0.0f), other(0.0f);
    const glm::mat4 sixteenNine = step(wide, idleAt(20.0), 0.016f, 1280, 720).projection;
    for (const auto& [width, height] : {std::pair{1280, 768}, std::pair{1365, 767}, std::pair{100, 1000}}) {
        const glm::mat4 projection = step(other, idleAt(20.0), 0.016f, width, height).projection;
        EXPECT_FLOAT_EQ(projection[0][0], sixteenNine[1][1] * float(height) / float(width));
        glm::mat4 rest = projection;
        rest[0][0] = sixteenNine[0][0];
        EXPECT_EQ(rest, sixteenNine) << width << "x" << height;
    }

    // A framebuffer with no area (a minimised window) keeps the last shape rather than a NaN.
    const glm::mat4 last = step(other, idleAt(20.0), 0.016f, 1000, 500).projection;
    for (const auto& [width, height] :
         {std::pair{1000, 0}, std::pair{0, 0}, std::pair{-1, -1}, std::pair{0, 500}}) {
        const Frame frame = step(other, idleAt(20.0), 0.016f, width, height);
        EXPECT_TRUE(allFinite(frame.projection)) << width << "x" << height;
        EXPECT_EQ(frame.projection, last) << width << "x" << height;
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

TEST(ControlsOnAxis, LateOrbitFacesStraightUpWithAHeldScreenTop) {
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
        const Frame arrival = step(controls, idleAt(t));
        const float arrivalAngle = controls.orbitAngle;
        EXPECT_TRUE(allFinite(arrival.view)) << t;
        EXPECT_TRUE(allFinite(arrival.projection)) << t;
        expectRigid(arrival.view);
        EXPECT_EQ(controls.position.y, 0.2f);
        EXPECT_EQ(glm::vec2(controls.position.x, controls.position.z), glm::vec2(0.0f));
        expectVecNear(forwardOf(arrival.view), kUp, 1e-6f);
        // The first view straight up is the limit of the tilted ones: its top points out along the
        // orbit angle of that update...
        expectVecNear(screenUpOf(arrival.view),
                      glm::vec3(std::cos(arrivalAngle), 0.0f, std::sin(arrivalAngle)), 1e-5f);
        // ...and stays there while the angle races on, so the picture does not spin.
        for (int i = 1; i <= 3; ++i) {
            const float before = controls.orbitAngle;
            const Frame later = step(controls, idleAt(t + 0.016 * i));
            EXPECT_GT(controls.orbitAngle - before, 0.05f) << t;
            EXPECT_EQ(later.view, arrival.view) << t << " + " << i << " updates";
        }
    }
}

// Holding the heading on the axis changes no view before the orbit has closed on it for good:
// until then every matrix is the one the orbit's own heading gives, to the bit.
TEST(ControlsOnAxis, FlightBeforeSettlingOnTheAxisIsUnchanged) {
    const double settles = 45.0 + std::sqrt(50.0); // radius 0.75 - 1.5 (t - 45)^2 / 100 reaches 0
    for (float deltaTime : {1.0f / 60.0f, 1.0f / 7.0f}) {
        Controls controls(0.0f);
        glm::vec3 position = controls.position;
        float orbitAngle = 0.0f, lastFlightTime = 0.0f;
        double firstChanged = -1.0;
        for (double t = 0.0; t <= 70.0; t += deltaTime) {
            const Frame frame = step(controls, idleAt(t), deltaTime);
            const camera::FlightView flight =
                camera::fly(position, orbitAngle, lastFlightTime, 0.0f, t, deltaTime, controls.speed);
            const glm::vec3 heading = flight.orbiting ? camera::orbitHeading(orbitAngle)
                                                      : camera::yawHeading(controls.horizontalAngle);
            ASSERT_EQ(frame.projection, camera::cameraProjection(flight.fieldOfView, 16.0f / 9.0f)) << t;
            if (frame.view != camera::cameraView(position, flight.direction, flight.up, heading) &&
                firstChanged < 0.0)
                firstChanged = t;
        }
        EXPECT_GT(firstChanged, settles) << deltaTime;
        // Arriving (maybe still tilted), then straight up with the heading of that update, then held.
        EXPECT_LT(firstChanged, settles + 3.0 * deltaTime + 1e-3) << deltaTime;
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

    // The free camera set exactly to the pole (its next turn brings it back within the limit), and
    // a glide that starts on the centre.
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
