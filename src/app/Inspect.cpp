#include "app/Inspect.h"

#include <GLFW/glfw3.h>

namespace vantor {

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

} // namespace vantor
