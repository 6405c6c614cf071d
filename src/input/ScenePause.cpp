#include "input/ScenePause.h"

namespace vantor {

void ScenePause::setPaused(bool pause) {
    paused = pause;
    if (controls)
        controls->setPaused(pause, Controls::clock());
}

double ScenePause::flightTime() const {
    return controls ? controls->flightTime(Controls::clock()) : 0.0;
}

void ScenePause::jumpFlightTo(double t) {
    if (controls)
        controls->jumpFlightTo(t, Controls::clock());
}

} // namespace vantor
