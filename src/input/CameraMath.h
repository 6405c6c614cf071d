#pragma once
// The camera's arithmetic, free of GLFW: cursor turning, key movement, the scripted flight and
// the two matrices. Controls feeds these with what it polls, so each step can be checked exactly
// without a window. Where a step mixes float and double the mix is deliberate: it fixes the
// exact values the camera produces.

#include <GLFW/glfw3.h> // key codes only; nothing here calls GLFW
#include <glm/glm.hpp>

#include <ostream>

namespace vantor::camera {

// Held movement keys; each field is one row (either of its two keys).
struct MoveKeys {
    bool forward = false; // W or up arrow
    bool back = false;    // S or down arrow
    bool right = false;   // D or right arrow
    bool left = false;    // A or left arrow
    bool rise = false;    // Space
    bool sink = false;    // Left Shift
};

// Fills the rows from `held(key)` (GLFW key codes): two keys of one row held together count once.
template <class Held> MoveKeys moveKeysFrom(Held held) {
    MoveKeys keys;
    keys.forward = held(GLFW_KEY_UP) || held(GLFW_KEY_W);
    keys.back = held(GLFW_KEY_DOWN) || held(GLFW_KEY_S);
    keys.right = held(GLFW_KEY_RIGHT) || held(GLFW_KEY_D);
    keys.left = held(GLFW_KEY_LEFT) || held(GLFW_KEY_A);
    keys.rise = held(GLFW_KEY_SPACE);
    keys.sink = held(GLFW_KEY_LEFT_SHIFT);
    return keys;
}

// What one flight update decided for the view.
struct FlightView {
    glm::vec3 direction;
    glm::vec3 up;
    float fieldOfView; // degrees
    bool orbiting;
};

constexpr float kGlideSeconds = 15.0f;
constexpr float kFreeFieldOfView = 90.0f;
constexpr float kGlideFieldOfView = 45.0f;

// The cursor's home: integer halves of the window size, so odd sizes truncate (1365 -> 682).
glm::dvec2 cursorCentre(int width, int height);

// Turns the angles by the cursor's offset from the centre; right and down lower them.
void turnByCursor(float& horizontalAngle, float& verticalAngle, float mouseSpeed, glm::dvec2 cursor,
                  glm::dvec2 centre);

glm::vec3 viewDirection(float horizontalAngle, float verticalAngle);
glm::vec3 rightDirection(float horizontalAngle);

// Applies the key rows in order; opposite rows cancel.
glm::vec3 moveByKeys(glm::vec3 position, glm::vec3 direction, glm::vec3 right, const MoveKeys& keys,
                     float deltaTime, float speed);

// One update of the scripted flight at timer reading `now`: glide towards (0, 0.2, 0) for the
// first 15 s after `startTime`, then orbit the vertical axis. Moves `position`, advances
// `orbitAngle` in the orbit, and stamps `lastFlightTime`.
FlightView fly(glm::vec3& position, float& orbitAngle, float& lastFlightTime, float startTime, double now,
               float deltaTime, float speed);

glm::mat4 cameraProjection(float fieldOfViewDegrees);

// glm::lookAt(position, position + direction, up), except where that has no value: a direction
// of zero length is replaced by `heading`, and for a direction (nearly) parallel to `up` the
// screen's top is taken from `heading` instead (pointing away from it when looking up, towards
// it when looking down). `heading` is a horizontal unit vector.
glm::mat4 cameraView(glm::vec3 position, glm::vec3 direction, glm::vec3 up, glm::vec3 heading);

// The horizontal way the camera faces when the look direction is vertical: towards the axis
// while orbiting, else along the yaw.
glm::vec3 orbitHeading(float orbitAngle);
glm::vec3 yawHeading(float horizontalAngle);

// "x  y  z  horizontal   vertical" in the stream's current float format, no newline.
void writeDirectionLine(std::ostream& out, glm::vec3 direction, float horizontalAngle, float verticalAngle);

} // namespace vantor::camera
