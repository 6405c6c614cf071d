#include "input/FrameInputQueue.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vantor::input {

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
    unsigned held = buttonsHeld;
    std::size_t taken = 0;
    while (taken < queue.size()) {
        const InputEvent& e = queue[taken];
        if (e.kind == Kind::Text) {
            if (!changed.empty())
                break;
            textTaken = true;
        } else if (e.kind == Kind::Pointer) {
            if (buttonChanged)
                break;
            movedWhileHeld = movedWhileHeld || held != 0;
        } else {
            const std::pair<Kind, int> which{e.kind, e.key};
            if (textTaken || std::find(changed.begin(), changed.end(), which) != changed.end())
                break;
            if (e.kind == Kind::Button) {
                if (movedWhileHeld)
                    break;
                buttonChanged = true;
                held = e.down ? held | buttonBit(e.key) : held & ~buttonBit(e.key);
            }
            changed.push_back(which);
        }
        ++taken;
        if ((e.kind == Kind::Button && e.down) || e.endsFrame)
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

} // namespace vantor::input
