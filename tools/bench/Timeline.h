#pragma once
// Drives a Game on a fixed time step. The camera's flight reads its time from this timeline
// instead of the real timer, so every run puts the flight and the lights at exactly the chosen
// time, bit for bit, however long each frame took.

namespace vantor {

class Game;

class Timeline {
public:
    // Takes over the camera's clock at time 0; build it before Game::init creates the camera.
    Timeline(Game& game, double step);
    ~Timeline();
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    // One update that moves the scene `dt` seconds on.
    void advance(double dt);
    // Updates in steps of `step` (the last one shorter) until the scene stands at time `t`.
    void advanceTo(double t);

    double now() const;
    double frameStep() const { return step; }

private:
    Game& game;
    double step;
};

} // namespace vantor
