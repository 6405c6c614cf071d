#pragma once
// A Game in the shared test window at a fixed moment of its flight, the same every run: the
// lights drawn from the start of the generator's sequence, the flight's clock started at 0 and
// the scene updated as the frame loop would, in fixed steps. `lights` is set before the Game is
// made ready, as the bench's --set does.

#include "GlTestContext.h"
#include "input/Controls.h"
#include "platform/Random.h"
#include "render/Game.h"

#include <GLFW/glfw3.h>

#include <memory>

using namespace vantor;

// While one lives, the flight reads the times the test steps to and nothing else: the GL timer
// runs on between glfwSetTime and the update that reads it, a hair more under load, and moved
// the orbit by that much from run to run.
class SteppedClock {
public:
    SteppedClock() {
        now = 0.0;
        vantor::Controls::clock = [] { return now; };
    }
    ~SteppedClock() { vantor::Controls::clock = previous; }
    SteppedClock(const SteppedClock&) = delete;
    SteppedClock& operator=(const SteppedClock&) = delete;

    static inline double now = 0.0;

private:
    double (*const previous)() = vantor::Controls::clock;
};

// Goes on updating in steps of `step` seconds from `now` until `seconds`, and moves `now` there.
// `eachFrame` runs after every update, as a frame's passes would.
template <typename EachFrame>
void advanceFromTo(Game& game, double& now, double seconds, double step, EachFrame eachFrame) {
    for (now += step; now <= seconds + 1e-9; now += step) {
        glfwSetTime(now);
        SteppedClock::now = now;
        game.deltaTime = step;
        game.update();
        eachFrame(now);
    }
    now = seconds;
}

inline void advanceFromTo(Game& game, double& now, double seconds, double step = 0.5) {
    advanceFromTo(game, now, seconds, step, [](double) {});
}

// Made ready with its flight at 0 (`seconds` 0) or flown there in half-second steps.
inline std::unique_ptr<Game> gameFlownTo(double seconds, int width, int height,
                                         int lights = RenderSettings{}.lights) {
    // The lights' speeds and colours come from rand(), never seeded, so the demo always shows the
    // same ones; a test sees those too only from the start of the sequence, not from wherever
    // the tests before it (or the run before, repeated) left it.
    seedRandom(1);
    auto game = std::make_unique<Game>(glTestWindow(), width, height);
    game->settings.lights = lights;
    game->init();
    game->controls->startTime = 0.0f;
    game->controls->lastFlightTime = 0.0f;
    glfwSetTime(0.0);
    const SteppedClock clock;
    double now = 0.0;
    advanceFromTo(*game, now, seconds);
    return game;
}
