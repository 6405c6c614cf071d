#pragma once
// The camera: mouse look and W/A/S/D, arrows, Space, Left Shift, plus a scripted flight
// (a glide towards the centre, then an orbit) that J switches off and on. Writes the view
// and projection matrices every frame.

#include "input/CameraMath.h"
#include "input/KeyRecord.h"

#include <GLFW/glfw3.h>
#include <glm/glm.hpp>

namespace vantor {

// Everything one update reads (the cursor polled from the window, the keys from its record),
// gathered before any of it is used.
struct ControlsInput {
    glm::dvec2 cursor{0.0, 0.0}; // before re-centring
    camera::MoveKeys keys;
    bool toggleFlight = false;   // switch the flight (J) in this update
    bool printDirection = false; // M
    double time = 0.0;           // glfwGetTime()
};

// The keys of one update, from what the keyboard did since the last: the movement rows and M
// act while their key is active; J switches the flight once per press, however many updates
// the press lasts, so two presses between the same two updates cancel out.
void readKeys(const input::KeyRecord& keys, ControlsInput& input);

class Controls {
public:
    Controls(); // the flight's clock starts now
    explicit Controls(float startTime);
    virtual ~Controls() = default;

    // Where the flight reads the time: the windowing library's timer. The benchmark tool points
    // it at its own fixed-step clock, so a flight time is the same to the last bit in every run.
    static double (*clock)();

    void update(float deltaTime, GLFWwindow* window, int width, int height, glm::mat4& view,
                glm::mat4& projection);

    // The update without the window: turns, moves, flies and writes both matrices from `input`.
    void step(const ControlsInput& input, float deltaTime, int width, int height, glm::mat4& view,
              glm::mat4& projection);

    glm::vec3 position{6.0f, 1.0f, 6.0f};
    bool cameraFlight = true;
    float startTime = 0.0f;
    float lastFlightTime = 0.0f;
    float orbitAngle = 0.0f;
    float horizontalAngle = 3.912f;
    float verticalAngle = -0.006f;
    float speed = 1.0f;
    float mouseSpeed = 0.001f;
};

} // namespace vantor
