// What the settings panel's library is shown frame by frame when keys and clicks come faster than
// frames.

#include "input/FrameInputQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantor;

using vantor::input::FrameInputQueue;
using vantor::input::InputEvent;

namespace {

constexpr int ctrl = 341, keyA = 65, key1 = 49, key2 = 50, enter = 257, backspace = 259;

// Each frame the queue gives as text: "Ctrl+" a key down, "Ctrl-" let go, "B+"/"B-" the left
// button, "@" a pointer move, "3" a character typed.
std::string name(const InputEvent& e) {
    switch (e.kind) {
    case InputEvent::Kind::Text:
        return std::string(1, char(e.codepoint));
    case InputEvent::Kind::Pointer:
        return "@";
    case InputEvent::Kind::Button:
        return std::string("B") + (e.down ? "+" : "-");
    case InputEvent::Kind::Key:
        break;
    }
    const std::string key = e.key == ctrl        ? "Ctrl"
                            : e.key == keyA      ? "A"
                            : e.key == key1      ? "1"
                            : e.key == key2      ? "2"
                            : e.key == backspace ? "Back"
                                                 : "Return";
    return key + (e.down ? "+" : "-");
}

std::vector<std::string> frames(FrameInputQueue& queue, const std::vector<InputEvent>& events) {
    for (const InputEvent& e : events)
        queue.push(e);
    std::vector<std::string> out;
    while (queue.waiting() > 0) {
        std::string text;
        for (const InputEvent& e : queue.nextFrame())
            text += name(e);
        out.push_back(text);
    }
    return out;
}

InputEvent key(int code, bool down) {
    using Role = InputEvent::KeyRole;
    return InputEvent::keyChange(code, down,
                                 code == ctrl    ? Role::Modifier
                                 : code == enter ? Role::EndsEdit
                                                 : Role::Plain);
}

using Frames = std::vector<std::string>;

} // namespace

TEST(FrameInputQueue, TypingFasterThanFramesIsSeenInOrderAndNothingIsLost) {
    // Ctrl+A, "30" and Return, all tapped before the next frame: the shortcut seen with Ctrl down,
    // the text once Ctrl is up (the library ignores text while it is down), Return after the
    // text (the field takes a frame's text before its keys) and up in a later frame.
    FrameInputQueue queue;
    EXPECT_EQ(
        frames(queue, {key(ctrl, true), key(keyA, true), key(keyA, false), key(ctrl, false),
                       InputEvent::text('3'), InputEvent::text('0'), key(enter, true), key(enter, false)}),
        (Frames{"Ctrl+A+", "A-Ctrl-30Return+", "Return-"}));
    // Keys slower than frames wait for nothing; typed keys with their characters flow on.
    EXPECT_EQ(frames(queue, {key(keyA, true), key(ctrl, true)}), Frames{"A+Ctrl+"});
    EXPECT_EQ(frames(queue, {key(ctrl, false), key(key1, true), InputEvent::text('1'), key(key1, false),
                             key(key2, true), InputEvent::text('2'), key(key2, false), key(key1, true),
                             InputEvent::text('1'), key(key1, false), key(enter, true)}),
              (Frames{"Ctrl-1+11-2+22-1+11-Return+"}));
    // A key that types nothing (Backspace) keeps its place: text after it waits for the next
    // frame, so it is not typed before the key acts. A modifier pressed after text waits too.
    EXPECT_EQ(frames(queue, {key(enter, false), InputEvent::text('1'), key(backspace, true),
                             key(backspace, false), InputEvent::text('2'), key(ctrl, true)}),
              (Frames{"Return-1Back+", "Back-2", "Ctrl+"}));
    // Return, then a digit at once: the digit's press and its text both come after the frame in
    // which Return ends the edit, so both meet the field as Return left it (gone: the digit is
    // the demo's).
    EXPECT_EQ(frames(queue, {key(ctrl, false), key(enter, true), key(enter, false), key(key2, true),
                             InputEvent::text('2'), key(key2, false)}),
              (Frames{"Ctrl-Return+", "Return-2+22-"}));

    // The same key typed twice before a frame, then another ("221" at a few frames a second): one
    // frame, each character in its place (the second "2" once corrupted the heap).
    EXPECT_EQ(frames(queue, {key(key2, true), InputEvent::text('2'), key(key2, false), key(key2, true),
                             InputEvent::text('2'), key(key2, false), key(key1, true), InputEvent::text('1'),
                             key(key1, false), key(ctrl, true)}),
              (Frames{"2+22-2+22-1+11-", "Ctrl+"}));

    // A flood of text (a key repeating while nothing draws) costs the oldest text, never a key.
    for (int i = 0; i < 3000; ++i)
        queue.push(InputEvent::text('x'));
    queue.push(key(enter, false));
    const std::vector<InputEvent> all = queue.drain();
    ASSERT_EQ(all.size(), FrameInputQueue::maxWaiting);
    EXPECT_EQ(all.back().key, enter);
    EXPECT_EQ(queue.waiting(), 0u);
}

TEST(FrameInputQueue, ClicksKeepTheirPlaceAmongKeysAndMoves) {
    FrameInputQueue queue;
    // Ctrl down, a click and Ctrl up within one frame: the press is seen with Ctrl held, and the
    // press ends its frame, so a digit typed at once meets the field the Ctrl+click opened.
    EXPECT_EQ(frames(queue, {key(ctrl, true), InputEvent::button(0, true), InputEvent::button(0, false),
                             key(ctrl, false), key(key2, true), InputEvent::text('2'), key(key2, false)}),
              (Frames{"Ctrl+B+", "B-Ctrl-2+", "22-"}));
    // A move then a click: pressed where the pointer went. A release then a move away: let go
    // where it was, not dragged along.
    EXPECT_EQ(frames(queue, {InputEvent::pointer(1, 1), InputEvent::button(0, true),
                             InputEvent::button(0, false), InputEvent::pointer(2, 2)}),
              (Frames{"@B+", "B-", "@"}));
    // A drag: the moves while held are seen held, moves in a row as their last, and the release
    // after them in a frame of its own.
    queue.push(InputEvent::button(0, true));
    queue.push(InputEvent::pointer(3, 3));
    queue.push(InputEvent::pointer(4, 5));
    queue.push(InputEvent::button(0, false));
    EXPECT_EQ(queue.nextFrame().size(), 1u);
    const std::vector<InputEvent> moved = queue.nextFrame();
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].y, 5.0);
    EXPECT_EQ(frames(queue, {}), Frames{"B-"});
    // A button pressed while nothing drew is still held: a move after it is a drag, and the
    // release waits for the next frame. With no button held, a move and a press share one.
    queue.push(InputEvent::button(0, true));
    queue.drain();
    EXPECT_EQ(frames(queue, {InputEvent::pointer(6, 6), InputEvent::button(0, false)}), (Frames{"@", "B-"}));
    EXPECT_EQ(frames(queue, {InputEvent::pointer(8, 8), InputEvent::button(0, true)}), Frames{"@B+"});
}
