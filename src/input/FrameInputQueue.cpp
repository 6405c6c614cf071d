#include "input/FrameInputQueue.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vantor {

namespace input {

namespace {

using Kind = InputEvent::Kind;

unsigned buttonBit(int button) {
    return button >= 0 && button < 32 ? 1u << unsigned(button) : 0u;
}

} // namespace

void FrameInputQueue::push(const InputEvent& event) {
    if (event.kind == Kind::Pointer && !queue.empty() && queue.back().kind == Kind::Pointer) {
        queue.back() = event;
        return;
    }
    queue.push_back(event);
    if (queue.size() <= maxWaiting)
        return;
    auto dropped =
        std::find_if(queue.begin(), queue.end(), [](const InputEvent& e) { return e.kind == Kind::Text; });
    if (dropped == queue.end())
        dropped = std::find_if(queue.begin(), queue.end(),
                               [](const InputEvent& e) { return e.kind == Kind::Pointer; });
    if (dropped != queue.end())
        queue.erase(dropped);
}

std::vector<InputEvent> FrameInputQueue::nextFrame() {
    std::vector<std::pair<Kind, int>> changed;
    bool textTaken = false;
    bool buttonChanged = false;
    bool movedWhileHeld = false;
    bool modifierPressed = false;
    bool lastWasPress = false;     // the event before was a key press: text now is its character
    bool pressWithoutText = false; // a key press in the frame typed nothing
    std::vector<int> typed;        // keys whose press typed text: their state is no one's concern
    unsigned held = buttonsHeld;
    std::size_t taken = 0;
    while (taken < queue.size()) {
        const InputEvent& e = queue[taken];
        if (e.kind == Kind::Text) {
            if (buttonChanged || modifierPressed || pressWithoutText)
                break;
            textTaken = true;
            if (lastWasPress) {
                const int typing = queue[taken - 1].key;
                // A key typed before in this frame was never listed as changed: nothing to take back.
                const auto listed =
                    std::find(changed.begin(), changed.end(), std::pair<Kind, int>{Kind::Key, typing});
                if (listed != changed.end())
                    changed.erase(listed);
                typed.push_back(typing);
            }
        } else if (e.kind == Kind::Pointer) {
            if (buttonChanged)
                break;
            movedWhileHeld = movedWhileHeld || held != 0;
        } else {
            const std::pair<Kind, int> which{e.kind, e.key};
            if (std::find(changed.begin(), changed.end(), which) != changed.end())
                break;
            const bool typingKey =
                e.kind == Kind::Key && std::find(typed.begin(), typed.end(), e.key) != typed.end();
            if (e.kind == Kind::Button) {
                if (textTaken || movedWhileHeld)
                    break;
                buttonChanged = true;
                held = e.down ? held | buttonBit(e.key) : held & ~buttonBit(e.key);
            } else if (e.down && e.role == InputEvent::KeyRole::Modifier) {
                if (textTaken)
                    break;
                modifierPressed = true;
            }
            if (!typingKey)
                changed.push_back(which);
        }
        pressWithoutText = pressWithoutText || (lastWasPress && e.kind != Kind::Text);
        lastWasPress = e.kind == Kind::Key && e.down;
        ++taken;
        if (e.down && (e.kind == Kind::Button || e.role == InputEvent::KeyRole::EndsEdit))
            break;
    }
    return take(taken);
}

std::vector<InputEvent> FrameInputQueue::drain() {
    return take(queue.size());
}

std::vector<InputEvent> FrameInputQueue::take(std::size_t count) {
    std::vector<InputEvent> out(std::make_move_iterator(queue.begin()),
                                std::make_move_iterator(queue.begin() + std::ptrdiff_t(count)));
    queue.erase(queue.begin(), queue.begin() + std::ptrdiff_t(count));
    for (const InputEvent& e : out)
        if (e.kind == Kind::Button)
            buttonsHeld = e.down ? buttonsHeld | buttonBit(e.key) : buttonsHeld & ~buttonBit(e.key);
    return out;
}

} // namespace input

} // namespace vantor
