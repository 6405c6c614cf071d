#pragma once
// The keys that look inside the running frame: 1-9 choose what the window shows (the final
// picture or one of the frame's targets), F1 switches the timing overlay, P pauses the scene,
// F12 saves what the window shows (ScreenshotWriter). Each acts once per press, however short
// or long the frame.

#include "input/KeyRecord.h"

namespace vantor {

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

} // namespace vantor
