#pragma once
// What the keyboard did between two camera updates, kept from key events rather than polled:
// a poll at update time misses a tap that starts and ends between two updates, and GLFW's sticky
// keys (the usual cure) report a key once more after its release, which both moves the camera a
// frame too long and, for a key that switches something, turns one press into two switches.
// Free of GLFW calls, so press and release sequences can be replayed against updates in tests.

#include <array>

namespace vantor {

namespace input {

class KeyRecord {
public:
    // Key codes are GLFW's (GLFW_KEY_*); codes outside its range are ignored. Whether the press
    // counts: none does while the keys are typing.
    bool press(int key);
    void release(int key);

    // Whether `key` counts as held in this update: it is down now, or it went down since the
    // last update (a tap shorter than a frame acts for exactly one update).
    bool active(int key) const;
    // How many times `key` went down since the last update.
    int presses(int key) const;

    // Called once the update has read the record: the presses it saw are used up.
    void endUpdate();

    // While a text field has the keyboard (one of the settings panel's), every key is typing and
    // none of the demo's keys acts, Escape included: presses are not counted and keys do not
    // go down. Releases still count, so a key held when the field took the keyboard is let go.
    void setTyping(bool on) { typing = on; }

private:
    struct State {
        bool down = false;
        int presses = 0;
    };
    static constexpr int kKeyCount = 349; // GLFW_KEY_LAST + 1
    std::array<State, kKeyCount> keys{};
    bool typing = false;
};

} // namespace input

} // namespace vantor
