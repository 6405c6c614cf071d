#include "input/KeyEvents.h"

#include <map>

namespace vantor {

namespace input {

namespace {

std::map<GLFWwindow*, KeyRecord>& records() {
    static std::map<GLFWwindow*, KeyRecord> byWindow;
    return byWindow;
}

void onKey(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    // Auto-repeat while a key is held is not a new press.
    if (action == GLFW_PRESS || action == GLFW_RELEASE)
        passKey(window, key, action == GLFW_PRESS, false);
}

} // namespace

void passKey(GLFWwindow* window, int key, bool down, bool typing) {
    KeyRecord& record = records()[window];
    record.setTyping(typing);
    if (!down)
        record.release(key);
    else if (record.press(key) && key == GLFW_KEY_ESCAPE)
        glfwSetWindowShouldClose(window, GLFW_TRUE);
    record.setTyping(false);
}

KeyRecord& recordKeys(GLFWwindow* window) {
    // A window without a key callback is new to us, even if a destroyed one had its address. One
    // with another callback got it after ours from a user-interface library that passes every
    // key on to the callback it replaced: that one stays, and so does the record.
    const GLFWkeyfun previous = glfwSetKeyCallback(window, onKey);
    if (previous == nullptr)
        records()[window] = KeyRecord{};
    else if (previous != onKey)
        glfwSetKeyCallback(window, previous);
    return records()[window];
}

} // namespace input

} // namespace vantor
