#include "input/InputTrickle.h"

#include <algorithm>
#include <iterator>

namespace vantor::input {

void InputTrickle::push(const InputEvent& event) {
    queue.push_back(event);
    if (queue.size() <= maxWaiting)
        return;
    const auto oldestText = std::find_if(
        queue.begin(), queue.end(), [](const InputEvent& e) { return e.kind == InputEvent::Kind::Text; });
    if (oldestText != queue.end())
        queue.erase(oldestText);
}

std::vector<InputEvent> InputTrickle::nextFrame() {
    std::vector<int> changed;
    bool textTaken = false;
    std::size_t taken = 0;
    for (; taken < queue.size(); ++taken) {
        const InputEvent& e = queue[taken];
        if (e.kind == InputEvent::Kind::Text) {
            if (!changed.empty())
                break;
            textTaken = true;
            continue;
        }
        if (textTaken || std::find(changed.begin(), changed.end(), e.key) != changed.end())
            break;
        changed.push_back(e.key);
    }
    std::vector<InputEvent> frame(queue.begin(), queue.begin() + std::ptrdiff_t(taken));
    queue.erase(queue.begin(), queue.begin() + std::ptrdiff_t(taken));
    return frame;
}

std::vector<InputEvent> InputTrickle::drain() {
    std::vector<InputEvent> all(std::make_move_iterator(queue.begin()), std::make_move_iterator(queue.end()));
    queue.clear();
    return all;
}

} // namespace vantor::input
