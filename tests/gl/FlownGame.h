#pragma once
// A Game in the shared test window, its flight's clock started at 0 and the scene updated as the
// frame loop would, in half-second steps up to `seconds`, so a test sees the same moment of the
// flight every run. `lights` is set before the Game is made ready, as the bench's --set does.

#include "GlTestContext.h"
#include "render/Game.h"

#include <GLFW/glfw3.h>

#include <memory>

inline std::unique_ptr<Game> flownGame(double seconds, int width, int height,
                                       int lights = RenderSettings{}.lights) {
    auto game = std::make_unique<Game>(glTestWindow(), width, height);
    game->settings.lights = lights;
    game->init();
    game->controls->startTime = 0.0f;
    game->controls->lastFlightTime = 0.0f;
    for (double now = 0.5; now <= seconds + 1e-9; now += 0.5) {
        glfwSetTime(now);
        game->deltaTime = 0.5;
        game->update();
    }
    return game;
}
