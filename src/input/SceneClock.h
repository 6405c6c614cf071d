#pragma once
// The scene's pause as the keys and the panel see it: paused, the coloured lights and the shadow
// light stand still (the renderer reads `paused`) and the camera's flight holds (told to the
// camera here). Also the flight's clock as they read and set it, on the camera's own clock.

#include "input/Controls.h"

namespace vantor {

class SceneClock {
public:
    // The camera told about the pause and asked for the flight's time; null until there is one.
    Controls* controls = nullptr;
    bool paused = false;

    void setPaused(bool pause);
    // Seconds the camera's flight has run, time spent paused not counted (0 without a camera).
    double flightTime() const;
    // Puts the camera's flight at `t` seconds from its start (see Controls::jumpFlightTo).
    void jumpFlightTo(double t);
};

} // namespace vantor
