#pragma once
// The GLFW side of KeyRecord: a key callback that feeds a window's record. Events arrive during
// glfwPollEvents, on the thread that polls.

#include "input/KeyRecord.h"

#include <GLFW/glfw3.h>

namespace vantor {

namespace input {

// Starts recording `window`'s keys (once; later calls find the running record) and returns its
// record. A callback installed over ours (the settings panel's) must pass keys on to ours, or
// hand them to passKey. A press of Escape also asks the window to close, so a tap too short for
// any update to see it held still ends the run; a press the record does not count (typing)
// closes nothing.
KeyRecord& recordKeys(GLFWwindow* window);

// One key's press (`down`) or release for `window`'s record, as the callback takes it, for a user
// interface that holds keys back and hands them on in the order they came: `typing` says the key
// went to one of its text fields, so its press neither counts nor holds the key down (nor ends
// the run, for Escape), while a release always counts.
void passKey(GLFWwindow* window, int key, bool down, bool typing);

} // namespace input

} // namespace vantor
