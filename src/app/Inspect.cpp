#include "app/Inspect.h"

#include "gpu/PictureFile.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

InspectKeys readInspectKeys(const vantor::input::KeyRecord& keys) {
    InspectKeys inspect;
    for (int number = 1; number <= 9; ++number)
        if (keys.presses(GLFW_KEY_0 + number) > 0)
            inspect.view = number;
    inspect.toggleOverlay = keys.presses(GLFW_KEY_F1) % 2 == 1;
    inspect.togglePause = keys.presses(GLFW_KEY_P) % 2 == 1;
    inspect.togglePanel = keys.presses(GLFW_KEY_F2) % 2 == 1;
    inspect.screenshots = keys.presses(GLFW_KEY_F12);
    return inspect;
}

std::string nextScreenshotName(const std::string& folder) {
    for (int number = 1; number <= 9999; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "screenshot-%04d.png", number);
        std::error_code error;
        const std::filesystem::path path = std::filesystem::path(folder) / name;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, error)))
            return name;
    }
    return std::string();
}

bool saveScreenshot(const std::string& folder, int width, int height) {
    const std::string name = nextScreenshotName(folder);
    if (name.empty()) {
        std::cerr << "Screenshot not saved: screenshot-0001.png to screenshot-9999.png all exist"
                  << std::endl;
        return false;
    }
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (!writePng(path, readWindow(width, height))) {
        std::cerr << "Screenshot not saved: cannot write " << path << std::endl;
        return false;
    }
    std::cout << "Screenshot saved: " << path << std::endl;
    return true;
}
