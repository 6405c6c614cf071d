#include "input/SceneClock.h"

namespace vantor {

void SceneClock::setPaused(bool pause) {
    paused = pause;
    if (controls)
        controls->setPaused(pause, Controls::clock());
}

double SceneClock::flightTime() const {
    return controls ? controls->flightTime(Controls::clock()) : 0.0;
}

void SceneClock::jumpFlightTo(double t) {
    if (controls)
        controls->jumpFlightTo(t, Controls::clock());
}

} // namespace vantor
