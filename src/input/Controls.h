#pragma once
// The camera: mouse look and W/A/S/D, arrows, Space, Left Shift, plus a scripted flight
// (a glide towards the centre, then an orbit) that J switches off and on. Writes the view
// and projection matrices every frame.

#include "input/CameraMath.h"
#include "input/KeyRecord.h"

#include <GLFW/glfw3.h>
#include <glm/glm.hpp>

#include <optional>

namespace vantor {

// Everything one update reads (the cursor polled from the window, the keys from its record),
// gathered before any of it is used.
struct ControlsInput {
    glm::dvec2 cursor{0.0, 0.0}; // before re-centring; the centre itself when the mouse must not turn
    // Where the cursor is re-centred to, in the window's units (half of glfwGetWindowSize). Unset,
    // half the framebuffer size the step is given, which is the same on a screen of one pixel per unit.
    std::optional<glm::dvec2> centre;
    camera::MoveKeys keys;
    bool toggleFlight = false;   // switch the flight (J) in this update
    bool printDirection = false; // M
    double time = 0.0;           // glfwGetTime()
};

// The keys of one update, from what the keyboard did since the last: the movement rows and M
// act while their key is active; J switches the flight once per press, however many updates
// the press lasts, so two presses between the same two updates cancel out.
void readKeys(const input::KeyRecord& keys, ControlsInput& input);

// What the camera may take from the user in this update. The settings panel, when open, keeps
// the mouse for itself unless the right button is held, and the keys while it takes text.
struct ControlsFocus {
    bool mouse = true;
    bool keys = true;
};

class Controls {
public:
    Controls(); // the flight's clock starts now
    explicit Controls(float startTime);
    virtual ~Controls() = default;

    // Where the flight reads the time: the windowing library's timer. The benchmark tool points
    // it at its own fixed-step clock, so a flight time is the same to the last bit in every run.
    static double (*clock)();

    // `framebufferWidth` x `framebufferHeight` is the size in pixels the frame is drawn at (its
    // shape is the projection's aspect); the mouse works in the window's own units, read here.
    void update(float deltaTime, GLFWwindow* window, int framebufferWidth, int framebufferHeight,
                glm::mat4& view, glm::mat4& projection, ControlsFocus focus = {});

    // The update without the window: turns, moves, flies and writes both matrices from `input`.
    void step(const ControlsInput& input, float deltaTime, int framebufferWidth, int framebufferHeight,
              glm::mat4& view, glm::mat4& projection);

    // Paused, the flight holds: its clock stops (the time spent paused is taken off when it
    // resumes, so it goes on exactly where it stopped) and its last view stays; paused before
    // any update, it holds its view at the moment of the pause. The free camera still moves
    // and looks around. `now` is a reading of `clock`.
    void setPaused(bool pause, double now);
    // Time the scene did not see (a minimised window): the flight's clock stands still over
    // `seconds`, exactly as over a pause, and goes on from where it was.
    void skipTime(double seconds);
    // Seconds of flight since the start at `now`, time spent paused or skipped not counted.
    double flightTime(double now) const;
    // Puts the flight at `t` seconds after its start (clamped to 0 .. kFlightSeconds) as if it
    // had flown there from the start (camera::flightPlaceAt); it goes on from there, or holds
    // there while paused. With the free camera on, the camera stays where it is and the flight
    // takes up that place when it is switched back on.
    void jumpFlightTo(double t, double now);
    // Switches the scripted flight on or off (J). On again after a jump made while it was off,
    // it shows the moment its clock has reached, not the free camera's place.
    void setFlight(bool on, double now);

    glm::vec3 position = camera::kStartPosition;
    bool cameraFlight = true;
    bool paused = false;
    double pausedAt = 0.0;
    // The flight's last view (direction, up, field of view, heading), held while paused.
    struct HeldFlight {
        glm::vec3 direction, up, heading;
        float fieldOfView;
    };
    std::optional<HeldFlight> heldFlight;
    bool jumpedWhileFree = false;
    float startTime = 0.0f;
    float lastFlightTime = 0.0f;
    float orbitAngle = 0.0f;
    float horizontalAngle = 3.912f;
    float verticalAngle = -0.006f;
    float speed = 1.0f;
    float mouseSpeed = 0.001f;
    float aspect = 16.0f / 9.0f; // the last framebuffer shape with both sides positive
    // Where this camera last put the pointer on the screen (camera::useCursor).
    std::optional<glm::dvec2> cursorPlacedAt;
    // The heading the flight's view took when it turned straight up, held while it stays so.
    std::optional<glm::vec3> axisHeading;
    // Set (by fitFlight) when a model of the user's stands in place of the hall: the flight glides
    // in towards it and orbits it (camera::fittedPlaceAt) instead of taking the hall's path.
    std::optional<camera::FittedFlight> fittedFlight;
    // Takes up the fitted flight, the camera at its first place.
    void fitFlight(const camera::FittedFlight& flight);

private:
    // Where the flight, hall's or fitted, stands `t` seconds after its start.
    camera::FlightPlace flightPlace(double t) const;
};

} // namespace vantor
