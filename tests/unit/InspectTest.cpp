// The keys that look inside the frame, read from the key record, and the screenshots' names.

#include "app/Inspect.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using vantor::input::KeyRecord;

TEST(InspectKeys, EachPressActsOnceWhateverTheFrameRate) {
    KeyRecord keys;
    // A tap between two frames counts; a key still held in the next frame does not count again.
    keys.press(GLFW_KEY_P);
    keys.release(GLFW_KEY_P);
    keys.press(GLFW_KEY_F1);
    InspectKeys inspect = readInspectKeys(keys);
    EXPECT_TRUE(inspect.togglePause);
    EXPECT_TRUE(inspect.toggleOverlay);
    EXPECT_EQ(inspect.view, 0);
    keys.endUpdate();
    inspect = readInspectKeys(keys);
    EXPECT_FALSE(inspect.toggleOverlay) << "F1 held";
    EXPECT_FALSE(inspect.togglePause);

    // Two presses of a switch between frames cancel; every F12 press is a screenshot; of several
    // number keys the highest wins.
    keys.release(GLFW_KEY_F1);
    for (int i = 0; i < 2; ++i) {
        keys.press(GLFW_KEY_P);
        keys.release(GLFW_KEY_P);
    }
    for (int i = 0; i < 3; ++i) {
        keys.press(GLFW_KEY_F12);
        keys.release(GLFW_KEY_F12);
    }
    keys.press(GLFW_KEY_3);
    keys.press(GLFW_KEY_6);
    inspect = readInspectKeys(keys);
    EXPECT_FALSE(inspect.togglePause);
    EXPECT_EQ(inspect.screenshots, 3);
    EXPECT_EQ(inspect.view, 6);
    // The described keys are not among them.
    keys.endUpdate();
    for (int key : {GLFW_KEY_J, GLFW_KEY_M, GLFW_KEY_W, GLFW_KEY_SPACE, GLFW_KEY_0, GLFW_KEY_ESCAPE})
        keys.press(key);
    inspect = readInspectKeys(keys);
    EXPECT_EQ(inspect.view, 0);
    EXPECT_FALSE(inspect.toggleOverlay || inspect.togglePause || inspect.screenshots);
}

TEST(InspectKeys, AScreenshotNeverTakesAnExistingName) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "demo-screenshot-names";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    EXPECT_EQ(nextScreenshotName(folder.string()), "screenshot-0001.png");
    std::ofstream(folder / "screenshot-0001.png") << "taken";
    std::filesystem::create_directory(folder / "screenshot-0002.png");
    std::filesystem::create_symlink("nowhere", folder / "screenshot-0003.png");
    EXPECT_EQ(nextScreenshotName(folder.string()), "screenshot-0004.png")
        << "files, folders and dangling links all keep their names";
    std::filesystem::remove_all(folder);
}
