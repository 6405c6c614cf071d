#pragma once
// Keyboard events handed to a user interface a frame's worth at a time, in the order they came.
// A user interface that looks once a frame at which keys are down loses a key pressed and let go
// between two frames (a tapped Return at ten frames a second), and sees Ctrl+A typed with the
// letters after it as one moment. Here each frame takes events up to the first that would change
// a key already changed in it, or mix key changes and text; the rest wait for the next frames.
// Pure: no window, no library.

#include <cstddef>
#include <deque>
#include <vector>

namespace vantor::input {

struct InputEvent {
    enum class Kind { Key, Text };
    Kind kind = Kind::Key;
    int key = 0;            // Key: the key's code
    bool down = false;      // Key: pressed (true) or let go
    unsigned codepoint = 0; // Text: the character typed

    static InputEvent keyChange(int key, bool down) { return {Kind::Key, key, down, 0}; }
    static InputEvent text(unsigned codepoint) { return {Kind::Text, 0, false, codepoint}; }
};

class InputTrickle {
public:
    // Beyond this many waiting events the oldest text is dropped (a key held in auto-repeat over a
    // user interface that is not drawing), never a key change.
    static constexpr std::size_t maxWaiting = 1024;

    void push(const InputEvent& event);
    // The events for the next frame, at least one while any waits.
    std::vector<InputEvent> nextFrame();
    // Every waiting event at once (no frame will look at them one by one).
    std::vector<InputEvent> drain();
    std::size_t waiting() const { return queue.size(); }

private:
    std::deque<InputEvent> queue;
};

} // namespace vantor::input
