#pragma once
// The camera's arithmetic, free of GLFW: cursor turning, key movement, the scripted flight and
// the two matrices. Controls feeds these with what it polls, so each step can be checked exactly
// without a window. Where a step mixes float and double the mix is deliberate: it fixes the
// exact values the camera produces.

#include <GLFW/glfw3.h> // key codes only; nothing here calls GLFW
#include <glm/glm.hpp>

#include <optional>
#include <ostream>

namespace vantor {

namespace camera {

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
    bool onAxisForGood; // the orbit's radius has shrunk to 0 whatever its angle
};

constexpr float kGlideSeconds = 15.0f;
// By then the orbit has closed on the axis for good and the view has looked up the shaft for a
// while: the end of what the flight has to show.
constexpr float kFlightSeconds = 60.0f;
// Where the camera stands when the demo starts, and the flight with it.
constexpr glm::vec3 kStartPosition{6.0f, 1.0f, 6.0f};
constexpr float kFreeFieldOfView = 90.0f;
constexpr float kGlideFieldOfView = 45.0f;
// The pitch stops a hundredth of a radian short of straight up or down, where the view would
// lose its side direction and then turn over.
constexpr float kPitchLimit = float(1.5707963267948966 - 0.01);

// The cursor's home: integer halves of the window size in the window's own units (the ones the
// cursor is read and set in, not framebuffer pixels), so odd sizes truncate (1365 -> 682).
glm::dvec2 cursorCentre(int width, int height);

// What one update makes of the pointer.
struct CursorUse {
    glm::dvec2 cursor; // the reading the turn takes: the pointer, or the centre itself for no turn
    bool recentre;     // send the pointer back to the centre
};

// The pointer's offset from the centre is this update's travel only in a focused window, and only
// if this camera put it at that centre, in that same place on the screen, the update before. The
// first focused update after start-up or after focus returns re-centres without turning (the
// pointer is where the user left it); so does one after the window moved or was resized, as when
// a window manager slides a restored window into place (the pointer stayed put on the screen). An
// unfocused window's pointer is neither read nor moved: it belongs to whatever the user does
// elsewhere. `placedAt` is where the pointer was put, in screen units (the window's position
// plus the centre); it starts unset, and is what carries the state between updates.
CursorUse useCursor(bool focused, std::optional<glm::dvec2>& placedAt, glm::dvec2 windowPosition,
                    glm::dvec2 cursor, glm::dvec2 centre);

// Turns the angles by the cursor's offset from the centre; right and down lower them. The pitch
// is held within +-kPitchLimit.
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

// Where the flight stands `t` seconds after its start when it flew there uninterrupted from the
// camera's starting place at 60 updates a second (the late orbit's extra turn is per update):
// the glide's exponential approach in closed form, the orbit's angle summed. Jumping to any
// moment of the flight starts from here.
struct FlightPlace {
    glm::vec3 position;
    float orbitAngle;
};
FlightPlace flightPlaceAt(double t, float speed);

// The flight about a model of the user's instead of the hall: a glide in from the starting
// place towards the model, then an orbit about the centre of its bounds, always looking at that
// centre, from just far enough that the whole of the bounds stays inside the picture (and the
// camera outside them). The hall's path is laid out for being inside the hall; a model seen from
// inside shows only its nearest walls.
struct FittedFlight {
    glm::vec3 centre{0.0f};
    float radius = 0.0f;     // of the sphere about the bounds
    float across = 0.0f;     // half the bounds' floor plan diagonal: the cylinder they turn in
    float halfHeight = 0.0f; // of the bounds
};
constexpr float kFittedFieldOfView = 60.0f;
// The orbit's height above the centre, as an angle: it rises from the first to the second over
// the orbit's first 45 s, showing the model from the side and then from above.
constexpr float kFittedElevationFrom = 0.35f;
constexpr float kFittedElevationTo = 0.7f;
constexpr float kFittedOrbitSpeed = 0.2f; // radians a second: a turn in about half a minute
// Within this the whole sphere stays in front of the projection's far plane.
constexpr float kFarReach = 9.5f;

// From world-space bounds (after the scene's fit); bounds that are not finite or inverted give a
// small model at the origin.
FittedFlight fitFlight(glm::vec3 boundsMin, glm::vec3 boundsMax);
// The orbit's distance from the centre, seen from `elevation` (radians) in a picture of shape
// `aspect`: the least at which every point of the cylinder the bounds turn in lies within both
// fields of view with a tenth to spare, whatever the bearing. At least outside the bounds' sphere
// and half a unit off; at most what keeps the sphere's far side within kFarReach (a very tall
// window crops the model rather than losing it to the far plane).
float fittedDistance(const FittedFlight& flight, float aspect, double elevation);
// Where the fitted flight stands `t` seconds after its start, in closed form, so an update, a jump
// and a pause all see the same path: the glide moves distance and elevation from the starting
// place's to the orbit's (an exponential approach that lands exactly on the orbit at 15 s), on
// the starting place's bearing, from no farther off than keeps the model's far side in front of
// the far plane; the orbit then turns at kFittedOrbitSpeed.
FlightPlace fittedPlaceAt(const FittedFlight& flight, double t, float speed, float aspect);
// One update of the fitted flight: moves `position` to fittedPlaceAt, looks at the centre.
FlightView flyFitted(const FittedFlight& flight, glm::vec3& position, float& orbitAngle,
                     float& lastFlightTime, float startTime, double now, float speed, float aspect);

// Width over height of a framebuffer; `fallback` while either side is not positive (a minimised
// window), so the projection never divides by zero.
float aspectRatio(int width, int height, float fallback);

glm::mat4 cameraProjection(float fieldOfViewDegrees, float aspect);

// glm::lookAt(position, position + direction, up), except where that has no value: a direction
// of zero length is replaced by `heading`, and for a direction (nearly) parallel to `up` the
// screen's top is taken from `heading` instead (pointing away from it when looking up, towards
// it when looking down). `heading` is a horizontal unit vector.
glm::mat4 cameraView(glm::vec3 position, glm::vec3 direction, glm::vec3 up, glm::vec3 heading);

// Whether cameraView takes the screen's orientation from `heading` for these arguments.
bool viewFollowsHeading(glm::vec3 position, glm::vec3 direction, glm::vec3 up);

// The horizontal way the camera faces when the look direction is vertical: towards the axis
// while orbiting, else along the yaw.
glm::vec3 orbitHeading(float orbitAngle);
glm::vec3 yawHeading(float horizontalAngle);

// "x  y  z  horizontal   vertical" in the stream's current float format, no newline.
void writeDirectionLine(std::ostream& out, glm::vec3 direction, float horizontalAngle, float verticalAngle);

} // namespace camera

} // namespace vantor
