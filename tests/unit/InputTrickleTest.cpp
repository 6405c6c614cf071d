// What the settings panel's library is shown frame by frame when keys come faster than frames:
// everything typed between two frames of a slow demo, replayed through the queue.

#include "input/InputTrickle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vantor::input::InputEvent;
using vantor::input::InputTrickle;

namespace {

constexpr int ctrl = 341, keyA = 65, enter = 257;

// One frame as text: "C+" a key down, "C-" let go, 'x' a character typed.
std::string describe(const std::vector<InputEvent>& frame) {
    std::string text;
    for (const InputEvent& e : frame) {
        if (e.kind == InputEvent::Kind::Text)
            text += "'" + std::string(1, char(e.codepoint)) + "' ";
        else
            text += (e.key == ctrl ? "Ctrl" : e.key == keyA ? "A" : e.key == enter ? "Return" : "?") +
                    std::string(e.down ? "+ " : "- ");
    }
    return text;
}

std::vector<std::string> frames(InputTrickle& trickle) {
    std::vector<std::string> out;
    while (trickle.waiting() > 0)
        out.push_back(describe(trickle.nextFrame()));
    return out;
}

} // namespace

TEST(InputTrickle, ATypedValueArrivingBetweenTwoFramesIsSeenInOrder) {
    // Ctrl+A, "30" and Return, all tapped before the next frame: the shortcut is seen with Ctrl
    // down, the text only once Ctrl is up again (the library ignores text while Ctrl is down), and
    // Return down in one frame and up in a later one, after the text.
    InputTrickle trickle;
    for (const InputEvent& e :
         {InputEvent::keyChange(ctrl, true), InputEvent::keyChange(keyA, true), InputEvent::keyChange(keyA, false),
          InputEvent::keyChange(ctrl, false), InputEvent::text('3'), InputEvent::text('0'),
          InputEvent::keyChange(enter, true), InputEvent::keyChange(enter, false)})
        trickle.push(e);
    EXPECT_EQ(frames(trickle),
              (std::vector<std::string>{"Ctrl+ A+ ", "A- Ctrl- ", "'3' '0' ", "Return+ ", "Return- "}));
    EXPECT_TRUE(trickle.nextFrame().empty());

    // Held across frames, nothing waits: a frame takes all that came since the last.
    trickle.push(InputEvent::keyChange(enter, true));
    EXPECT_EQ(frames(trickle), std::vector<std::string>{"Return+ "});
    trickle.push(InputEvent::keyChange(enter, false));
    trickle.push(InputEvent::keyChange(keyA, true));
    EXPECT_EQ(frames(trickle), std::vector<std::string>{"Return- A+ "});
}

TEST(InputTrickle, AFloodOfTextNeverCostsAKeyChangeAndDrainTakesAll) {
    InputTrickle trickle;
    trickle.push(InputEvent::keyChange(enter, true));
    for (int i = 0; i < 3000; ++i)
        trickle.push(InputEvent::text('x'));
    trickle.push(InputEvent::keyChange(enter, false));
    EXPECT_EQ(trickle.waiting(), InputTrickle::maxWaiting);
    const std::vector<InputEvent> all = trickle.drain();
    ASSERT_EQ(all.size(), InputTrickle::maxWaiting);
    EXPECT_EQ(describe({all.front()}), "Return+ ");
    EXPECT_EQ(describe({all.back()}), "Return- ");
    EXPECT_EQ(trickle.waiting(), 0u);
}
