#pragma once
// The keys that look inside the running frame, and the screenshots they take: 1-9 choose what
// the window shows (the final picture or one of the frame's targets), F1 switches the timing
// overlay, P pauses the scene, F12 saves what the window shows. Each acts once per press,
// however short or long the frame.

#include "input/KeyRecord.h"

#include <string>

struct InspectKeys {
    int view = 0; // 1-9 when a number key was pressed, else 0
    bool toggleOverlay = false;
    bool togglePause = false;
    bool togglePanel = false; // F2: the settings panel
    int screenshots = 0;
};

// What the keyboard asked for since the last update; read before the camera's update uses the
// record up. Of several number keys pressed between two frames the highest counts.
InspectKeys readInspectKeys(const vantor::input::KeyRecord& keys);

// "screenshot-0001.png", "screenshot-0002.png", ...: the first name in `folder` no file has,
// so a screenshot never overwrites an earlier one. Empty when all 9999 are taken.
std::string nextScreenshotName(const std::string& folder);

// Saves the window's back buffer (`width` x `height`) as a PNG at the next free name in
// `folder` ("" for the working folder); prints the file's name on standard output, or on standard error why
// it could not be written. Needs the window's context current.
bool saveScreenshot(const std::string& folder, int width, int height);
