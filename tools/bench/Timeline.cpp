#include "Timeline.h"

#include "input/Controls.h"
#include "render/Game.h"

namespace vantor {

namespace {

// Function pointers carry no state, so the one timeline's time lives here.
double timelineTime = 0.0;

double readTimeline() {
    return timelineTime;
}

} // namespace

Timeline::Timeline(Game& game, double step) : game(game), step(step) {
    timelineTime = 0.0;
    vantor::Controls::clock = readTimeline;
}

Timeline::~Timeline() {
    vantor::Controls::clock = glfwGetTime;
}

double Timeline::now() const {
    return timelineTime;
}

void Timeline::advance(double dt) {
    timelineTime += dt;
    game.deltaTime = dt;
    game.update();
}

void Timeline::advanceTo(double t) {
    constexpr double slack = 1e-9;
    while (timelineTime + step <= t + slack)
        advance(step);
    if (t - timelineTime > slack)
        advance(t - timelineTime);
}

} // namespace vantor
