#include "platform/FrameLoop.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <utility>

namespace vantor {

#ifdef __EMSCRIPTEN__

namespace {

void browserFrame(void* frame) {
    if (!(*static_cast<std::function<bool()>*>(frame))()) {
        emscripten_cancel_main_loop();
        // The page stays: it says the program has ended rather than leave the last frame standing.
        EM_ASM({
            if (Module['onFrameLoopEnd'])
                Module['onFrameLoopEnd']();
        });
    }
}

} // namespace

void runFrameLoop(std::function<bool()> frame) {
    // The loop outlives this call (the stack is unwound to the browser), so it owns a copy.
    auto* kept = new std::function<bool()>(std::move(frame));
    emscripten_set_main_loop_arg(browserFrame, kept, 0, 1);
}

bool threadsAvailable() {
    return false;
}

#else

void runFrameLoop(std::function<bool()> frame) {
    while (frame()) {
    }
}

bool threadsAvailable() {
    return true;
}

#endif

} // namespace vantor
