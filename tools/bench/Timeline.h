#pragma once
// Drives a Game on a fixed time step: the windowing library's timer is set before every update,
// so the camera flight and the lights reach exactly the chosen time in every run.

class Game;

class Timeline {
public:
    Timeline(Game& game, double step) : game(game), step(step) {}

    // One update that moves the scene `dt` seconds on.
    void advance(double dt);
    // Updates in steps of `step` (the last one shorter) until the scene stands at time `t`.
    void advanceTo(double t);

    double now() const { return time; }
    double frameStep() const { return step; }

private:
    Game& game;
    double step;
    double time = 0.0;
};
