// What the settings panel's library is shown frame by frame when keys come faster than frames.

#include "input/InputTrickle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vantor::input::InputEvent;
using vantor::input::InputTrickle;

namespace {

constexpr int ctrl = 341, keyA = 65, enter = 257;

// Each frame the queue gives as text: "Ctrl+" a key down, "Ctrl-" let go, "3" a character typed.
std::vector<std::string> frames(InputTrickle& trickle) {
    std::vector<std::string> out;
    while (trickle.waiting() > 0) {
        std::string text;
        for (const InputEvent& e : trickle.nextFrame())
            text += e.kind == InputEvent::Kind::Text ? std::string(1, char(e.codepoint))
                                                     : (e.key == ctrl   ? "Ctrl"
                                                        : e.key == keyA ? "A"
                                                                        : "Return") +
                                                           std::string(e.down ? "+" : "-");
        out.push_back(text);
    }
    return out;
}

} // namespace

TEST(InputTrickle, TypingFasterThanFramesIsSeenInOrderAndNothingIsLost) {
    // Ctrl+A, "30" and Return, all tapped before the next frame: the shortcut seen with Ctrl down,
    // the text once Ctrl is up (the library ignores text while it is down), Return down in one
    // frame and up in a later one.
    InputTrickle trickle;
    for (const InputEvent& e :
         {InputEvent::keyChange(ctrl, true), InputEvent::keyChange(keyA, true),
          InputEvent::keyChange(keyA, false), InputEvent::keyChange(ctrl, false), InputEvent::text('3'),
          InputEvent::text('0'), InputEvent::keyChange(enter, true), InputEvent::keyChange(enter, false)})
        trickle.push(e);
    EXPECT_EQ(frames(trickle), (std::vector<std::string>{"Ctrl+A+", "A-Ctrl-", "30", "Return+", "Return-"}));
    // Keys slower than frames wait for nothing.
    trickle.push(InputEvent::keyChange(enter, true));
    trickle.push(InputEvent::keyChange(keyA, true));
    EXPECT_EQ(frames(trickle), std::vector<std::string>{"Return+A+"});

    // A flood of text (a key repeating while nothing draws) costs the oldest text, never a key.
    for (int i = 0; i < 3000; ++i)
        trickle.push(InputEvent::text('x'));
    trickle.push(InputEvent::keyChange(enter, false));
    const std::vector<InputEvent> all = trickle.drain();
    ASSERT_EQ(all.size(), InputTrickle::maxWaiting);
    EXPECT_EQ(all.back().key, enter);
    EXPECT_EQ(trickle.waiting(), 0u);
}
