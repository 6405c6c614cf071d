#include "Timeline.h"

#include "render/Game.h"

#include <GLFW/glfw3.h>

void Timeline::advance(double dt) {
    time += dt;
    glfwSetTime(time);
    game.deltaTime = dt;
    game.update();
}

void Timeline::advanceTo(double t) {
    constexpr double slack = 1e-9;
    while (time + step <= t + slack)
        advance(step);
    if (t - time > slack)
        advance(t - time);
}
