#pragma once
// Keyboard and mouse events handed to a user interface a frame's worth at a time, in the order
// they came. A user interface that looks once a frame at which keys and buttons are down loses a
// key or a click pressed and let go between two frames (a tapped Return, a click at ten frames a
// second), and sees Ctrl going down, a click and Ctrl going up as one moment with no Ctrl held.
// Here a frame takes events while the interface can see all of them at once, as the interface
// reads them: keys down and up as the frame ends, and the characters typed in a field before the
// keys that edit it (Return, Backspace, Ctrl+A). A frame ends before an event that would
// - change a key or button already changed in it (but a key that typed a character is only that
//   character to the interface: it may go up and down again);
// - bring text after a key press that typed none (the key would act before the text it came
//   after), or after a modifier pressed (the field ignores text while Ctrl is held), or a
//   modifier press after text;
// - mix text and button changes, move the pointer after a button changed, or change a button
//   after the pointer moved with a button held.
// And it ends after an event that may hand the keyboard to a text field or take it away (a button
// pressed, a key pressed that ends an edit): every later key then meets the field as that event
// left it, and can be given to the field or to whatever lies behind it, never both. Typing, a key
// down, its character and the key up, flows on within one frame. The rest wait for the next
// frames. Pure: no window, no library.

#include <cstddef>
#include <deque>
#include <vector>

namespace vantor {

namespace input {

struct InputEvent {
    enum class Kind { Key, Text, Button, Pointer };
    // What a key may do to a text field besides typing: be a modifier (Ctrl, Alt, Super), or end
    // the edit (Return, Escape).
    enum class KeyRole { Plain, Modifier, EndsEdit };
    Kind kind = Kind::Key;
    int key = 0;                   // Key: the key's code; Button: the button's number
    bool down = false;             // Key, Button: pressed (true) or let go
    KeyRole role = KeyRole::Plain; // Key
    unsigned codepoint = 0;        // Text: the character typed
    double x = 0.0, y = 0.0;       // Pointer: where it went

    static InputEvent keyChange(int key, bool down, KeyRole role = KeyRole::Plain) {
        InputEvent e;
        e.key = key;
        e.down = down;
        e.role = role;
        return e;
    }
    static InputEvent text(unsigned codepoint) {
        InputEvent e;
        e.kind = Kind::Text;
        e.codepoint = codepoint;
        return e;
    }
    static InputEvent button(int button, bool down) {
        InputEvent e;
        e.kind = Kind::Button;
        e.key = button;
        e.down = down;
        return e;
    }
    static InputEvent pointer(double x, double y) {
        InputEvent e;
        e.kind = Kind::Pointer;
        e.x = x;
        e.y = y;
        return e;
    }
};

class FrameInputQueue {
public:
    // Beyond this many waiting events the oldest text is dropped (a key held in auto-repeat over a
    // user interface that is not drawing), or failing that the oldest pointer move; never a key or
    // button change.
    static constexpr std::size_t maxWaiting = 1024;

    // Moves in a row wait as the last of them: no frame could tell them apart.
    void push(const InputEvent& event);
    // The events for the next frame, at least one while any waits.
    std::vector<InputEvent> nextFrame();
    // Every waiting event at once (no frame will look at them one by one).
    std::vector<InputEvent> drain();
    std::size_t waiting() const { return queue.size(); }

private:
    std::vector<InputEvent> take(std::size_t count);

    std::deque<InputEvent> queue;
    unsigned buttonsHeld = 0; // as the events taken so far left them, one bit a button
};

} // namespace input

} // namespace vantor
