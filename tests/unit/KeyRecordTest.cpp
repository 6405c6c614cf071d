// Key presses and releases replayed against camera updates, without a window: the record that
// the key callback fills, read by each update the way Controls::update reads it.

#include "input/KeyRecord.h"
#include "input/Controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>

using namespace vantor;

using vantor::Controls;
using vantor::ControlsInput;
using vantor::input::KeyRecord;

namespace {

// A free-camera or flying Controls driven by recorded keys; counts the view lines M prints.
class KeyedCamera {
public:
    KeyedCamera() : controls(0.0f) {}

    void press(int key) { keys.press(key); }
    void release(int key) { keys.release(key); }
    void tap(int key) {
        press(key);
        release(key);
    }

    void update() {
        ControlsInput input;
        input.cursor = vantor::camera::cursorCentre(1280, 768);
        input.time = time;
        vantor::readKeys(keys, input);
        keys.endUpdate();
        std::ostringstream captured;
        std::streambuf* saved = std::cout.rdbuf(captured.rdbuf());
        glm::mat4 view(1.0f), projection(1.0f);
        controls.step(input, 0.1f, 1280, 768, view, projection);
        std::cout.rdbuf(saved);
        const std::string text = captured.str();
        lines += int(std::count(text.begin(), text.end(), '\n'));
        time += 0.1;
    }
    void updates(int count) {
        for (int i = 0; i < count; ++i)
            update();
    }

    Controls controls;
    KeyRecord keys;
    double time = 1.0;
    int lines = 0;
};

} // namespace

TEST(KeyRecordFlight, EachPressOfJSwitchesOnceHoweverManyUpdatesItLasts) {
    // A tap that starts and ends between two updates.
    KeyedCamera tapped;
    tapped.tap(GLFW_KEY_J);
    tapped.update();
    EXPECT_FALSE(tapped.controls.cameraFlight);
    tapped.updates(2);
    EXPECT_FALSE(tapped.controls.cameraFlight);

    // Down over one update, up before the next.
    KeyedCamera overOne;
    overOne.press(GLFW_KEY_J);
    overOne.update();
    EXPECT_FALSE(overOne.controls.cameraFlight);
    overOne.release(GLFW_KEY_J);
    overOne.updates(2);
    EXPECT_FALSE(overOne.controls.cameraFlight);

    // Held over three updates: still one switch, and the release adds none.
    KeyedCamera overThree;
    overThree.press(GLFW_KEY_J);
    for (int i = 0; i < 3; ++i) {
        overThree.update();
        EXPECT_FALSE(overThree.controls.cameraFlight) << "update " << i;
    }
    overThree.release(GLFW_KEY_J);
    overThree.update();
    EXPECT_FALSE(overThree.controls.cameraFlight);

    // The next press switches back.
    overThree.press(GLFW_KEY_J);
    overThree.updates(2);
    overThree.release(GLFW_KEY_J);
    overThree.update();
    EXPECT_TRUE(overThree.controls.cameraFlight);
}

TEST(KeyRecordFlight, PressesBetweenTheSameTwoUpdatesEachCount) {
    KeyedCamera twoTaps;
    twoTaps.tap(GLFW_KEY_J);
    twoTaps.tap(GLFW_KEY_J);
    twoTaps.update();
    EXPECT_TRUE(twoTaps.controls.cameraFlight); // off and on again

    KeyedCamera threeTaps;
    for (int i = 0; i < 3; ++i)
        threeTaps.tap(GLFW_KEY_J);
    threeTaps.update();
    EXPECT_FALSE(threeTaps.controls.cameraFlight);

    // Released after one update and pressed again before the next: a second press.
    KeyedCamera again;
    again.press(GLFW_KEY_J);
    again.update();
    again.release(GLFW_KEY_J);
    again.press(GLFW_KEY_J);
    again.update();
    EXPECT_TRUE(again.controls.cameraFlight);
    again.update(); // still held: nothing more
    EXPECT_TRUE(again.controls.cameraFlight);
}

TEST(KeyRecordPrint, MPrintsOnTheUpdatesItActsOnAndNoneAfterItsRelease) {
    KeyedCamera camera;
    camera.tap(GLFW_KEY_M); // shorter than a frame: still one line
    camera.update();
    EXPECT_EQ(camera.lines, 1);
    camera.update();
    EXPECT_EQ(camera.lines, 1);

    camera.press(GLFW_KEY_M); // over one update
    camera.update();
    camera.release(GLFW_KEY_M);
    camera.update();
    EXPECT_EQ(camera.lines, 2);

    camera.press(GLFW_KEY_M); // over three updates: a line each
    camera.updates(3);
    camera.release(GLFW_KEY_M);
    camera.updates(2);
    EXPECT_EQ(camera.lines, 5);

    camera.tap(GLFW_KEY_M); // two taps before one update: one update, one line
    camera.tap(GLFW_KEY_M);
    camera.update();
    EXPECT_EQ(camera.lines, 6);
}

TEST(KeyRecordMove, ReleasedKeyStopsTheCameraOnTheNextUpdate) {
    KeyedCamera camera;
    camera.controls.cameraFlight = false;
    const glm::vec3 start = camera.controls.position;
    const float step = 0.1f * camera.controls.speed; // deltaTime 0.1 per update

    camera.press(GLFW_KEY_D); // over three updates
    camera.updates(3);
    const glm::vec3 afterHold = camera.controls.position;
    EXPECT_NEAR(glm::length(afterHold - start), 3.0f * step, 1e-4f);
    camera.release(GLFW_KEY_D);
    camera.updates(2);
    EXPECT_EQ(camera.controls.position, afterHold);

    camera.tap(GLFW_KEY_SPACE); // shorter than a frame: one update's step, no more
    const float y = camera.controls.position.y;
    camera.updates(2);
    EXPECT_FLOAT_EQ(camera.controls.position.y, y + step);

    // A key held across an update and released before the next takes no extra step.
    camera.press(GLFW_KEY_SPACE);
    camera.update();
    camera.release(GLFW_KEY_SPACE);
    camera.update();
    EXPECT_FLOAT_EQ(camera.controls.position.y, y + 2.0f * step);
}

TEST(KeyRecordCodes, KeysOutsideTheKnownRangeAreIgnored) {
    KeyRecord keys;
    keys.press(GLFW_KEY_UNKNOWN); // what GLFW reports for keys it has no code for
    keys.press(GLFW_KEY_LAST + 1);
    keys.release(-2);
    EXPECT_FALSE(keys.active(GLFW_KEY_UNKNOWN));
    EXPECT_EQ(keys.presses(GLFW_KEY_LAST + 1), 0);
    keys.press(GLFW_KEY_LAST);
    EXPECT_TRUE(keys.active(GLFW_KEY_LAST));
    EXPECT_EQ(keys.presses(GLFW_KEY_LAST), 1);
    keys.endUpdate();
    EXPECT_TRUE(keys.active(GLFW_KEY_LAST)); // still down
    EXPECT_EQ(keys.presses(GLFW_KEY_LAST), 0);
}
