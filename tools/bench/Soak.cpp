#include "Soak.h"

#include "Capture.h"
#include "Stats.h"
#include "Timeline.h"
#include "app/DebugOutput.h"
#include "platform/Memory.h"
#include "render/Game.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <vector>

namespace vantor {

namespace {

struct DebugMessages {
    int errors = 0; // type GL_DEBUG_TYPE_ERROR
    int others = 0;
};

// Prints the message as the demo's own callback does, and counts it.
void GLAPIENTRY countingCallback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei,
                                 const GLchar* message, const void* userParam) {
    auto* counts = static_cast<DebugMessages*>(const_cast<void*>(userParam));
    (type == GL_DEBUG_TYPE_ERROR ? counts->errors : counts->others)++;
    std::cout << formatDebugMessage(source, type, id, severity, message) << std::endl;
}

bool installCountingCallback(DebugMessages& counts) {
    const DebugEntry offered = currentDebugEntry();
    const auto core =
        offered == DebugEntry::Core
            ? reinterpret_cast<PFNGLDEBUGMESSAGECALLBACKPROC>(glfwGetProcAddress("glDebugMessageCallback"))
            : nullptr;
    const auto arb = offered == DebugEntry::Arb ? reinterpret_cast<PFNGLDEBUGMESSAGECALLBACKARBPROC>(
                                                      glfwGetProcAddress("glDebugMessageCallbackARB"))
                                                : nullptr;
    if (core)
        core(countingCallback, &counts);
    else if (arb)
        arb(countingCallback, &counts);
    else
        return false;
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    return true;
}

// Resident set size in MB.
double residentMegabytes() {
    return static_cast<double>(residentMemoryBytes()) / (1024.0 * 1024.0);
}

// One frame as the demo's loop runs it; returns how many GL errors it left pending.
int runFrame(Game& game, Timeline& timeline, GLFWwindow* window) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwPollEvents();
    timeline.advance(timeline.frameStep());
    game.render();
    glfwSwapBuffers(window);
    int errors = 0;
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i)
        ++errors;
    return errors;
}

} // namespace

bool runSoak(Game& game, Timeline& timeline, GLFWwindow* window, const BenchOptions& o) {
    DebugMessages messages;
    const bool debugOutput = installCountingCallback(messages);

    const auto started = std::chrono::steady_clock::now();
    timeline.advanceTo(std::max(timeline.now(), o.start - o.step * (o.warmup + 1)));
    for (int i = 0; i < o.warmup; ++i)
        runFrame(game, timeline, window);
    timeline.advanceTo(std::max(timeline.now(), o.start - o.step));
    const double firstTime = timeline.now() + o.step;

    int errorFrames = 0, nanFrames = 0, nanChecks = 0;
    std::vector<double> resident;
    resident.reserve(o.soakFrames);
    for (int frame = 0; frame < o.soakFrames; ++frame) {
        if (runFrame(game, timeline, window) > 0 && errorFrames++ == 0)
            std::cout << "soak: GL error at frame " << frame << " (t = " << timeline.now() << " s)\n";
        if (frame % nanCheckInterval == 0) {
            ++nanChecks;
            if (const size_t bad = countNonFiniteGBufferValues(game); bad && nanFrames++ == 0)
                std::cout << "soak: " << bad << " NaN or infinite G-buffer values at frame " << frame
                          << " (t = " << timeline.now() << " s)\n";
        }
        resident.push_back(residentMegabytes());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const TenthPeaks memory = firstAndLastTenthPeaks(resident);
    const bool memoryOk = memory.growth() <= 1.05;

    std::cout << "soak: " << o.soakFrames << " frames at " << o.width << " x " << o.height
              << ", t = " << firstTime << " to " << timeline.now() << " s, " << seconds << " s wall\n"
              << "  GL errors: " << errorFrames << " frames"
              << (debugOutput ? "" : " (no debug output on this driver: glGetError only)")
              << "; debug messages: " << messages.errors << " errors, " << messages.others << " others\n"
              << "  G-buffer NaN/infinity: " << nanFrames << " of " << nanChecks << " checked frames (every "
              << nanCheckInterval << "th)\n"
              << "  resident memory peak: first tenth " << memory.first << " MB, last tenth " << memory.last
              << " MB (x" << memory.growth() << ", limit x1.05)\n";
    // `messages` goes out of scope: the demo's own callback takes over again.
    installDebugOutput();
    const bool ok = errorFrames == 0 && messages.errors == 0 && nanFrames == 0 && memoryOk;
    std::cout << (ok ? "soak: ok" : "soak: FAIL") << std::endl;
    return ok;
}

} // namespace vantor
