#include "input/Controls.h"

#include "input/KeyEvents.h"

#include <algorithm>
#include <iostream>

namespace vantor {

void readKeys(const input::KeyRecord& keys, ControlsInput& input) {
    input.keys = camera::moveKeysFrom([&keys](int key) { return keys.active(key); });
    input.toggleFlight = keys.presses(GLFW_KEY_J) % 2 == 1;
    input.printDirection = keys.active(GLFW_KEY_M);
}

double (*Controls::clock)() = glfwGetTime;

Controls::Controls() : Controls(float(clock())) {}

Controls::Controls(float startTime) : startTime(startTime) {}

void Controls::update(float deltaTime, GLFWwindow* window, int framebufferWidth, int framebufferHeight,
                      glm::mat4& view, glm::mat4& projection, ControlsFocus focus) {
    ControlsInput input;
    // The cursor goes back to the centre every focused update, so its offset is this frame's travel.
    // Cursor positions are in window units, which on a dense screen are not framebuffer pixels.
    int windowWidth = 0, windowHeight = 0, windowX = 0, windowY = 0;
    glfwGetWindowSize(window, &windowWidth, &windowHeight);
    const glm::dvec2 centre = camera::cursorCentre(windowWidth, windowHeight);
    // A mouse the camera may not use counts as one outside the window: no turn, no re-centring,
    // and when it comes back the first update re-centres without turning.
    const bool focused = focus.mouse && glfwGetWindowAttrib(window, GLFW_FOCUSED) == GLFW_TRUE;
    glm::dvec2 pointer = centre;
    if (focused) {
        glfwGetWindowPos(window, &windowX, &windowY);
        glfwGetCursorPos(window, &pointer.x, &pointer.y);
    }
    const camera::CursorUse use =
        camera::useCursor(focused, cursorPlacedAt, glm::dvec2(windowX, windowY), pointer, centre);
    if (use.recentre)
        glfwSetCursorPos(window, centre.x, centre.y);
    input.cursor = use.cursor;
    input.centre = centre;

    vantor::input::KeyRecord& keys = vantor::input::recordKeys(window);
    if (focus.keys)
        readKeys(keys, input);
    keys.endUpdate();
    input.time = clock();

    step(input, deltaTime, framebufferWidth, framebufferHeight, view, projection);
}

void Controls::step(const ControlsInput& input, float deltaTime, int framebufferWidth, int framebufferHeight,
                    glm::mat4& view, glm::mat4& projection) {
    // The mouse turns the angles in every mode; the flight ignores them until it is switched off.
    camera::turnByCursor(horizontalAngle, verticalAngle, mouseSpeed, input.cursor,
                         input.centre.value_or(camera::cursorCentre(framebufferWidth, framebufferHeight)));

    glm::vec3 direction = camera::viewDirection(horizontalAngle, verticalAngle);
    const glm::vec3 right = camera::rightDirection(horizontalAngle);

    position = camera::moveByKeys(position, direction, right, input.keys, deltaTime, speed);

    float fieldOfView = camera::kFreeFieldOfView;
    glm::vec3 up(0.0f, 1.0f, 0.0f);
    glm::vec3 heading = camera::yawHeading(horizontalAngle);
    bool holdHeading = false;
    bool flew = false;

    if (cameraFlight && paused && heldFlight) {
        direction = heldFlight->direction;
        up = heldFlight->up;
        fieldOfView = heldFlight->fieldOfView;
        heading = heldFlight->heading;
    } else if (cameraFlight) {
        // Paused with no view held yet (paused before any update), the flight is placed where its
        // clock stopped, without a step of motion, and that view is held from then on.
        const camera::FlightView flight =
            fittedFlight ? camera::flyFitted(*fittedFlight, position, orbitAngle, lastFlightTime, startTime,
                                             paused ? pausedAt : input.time, speed,
                                             camera::aspectRatio(framebufferWidth, framebufferHeight, aspect))
            : paused
                ? camera::fly(position, orbitAngle, lastFlightTime, startTime, pausedAt, 0.0f, speed)
                : camera::fly(position, orbitAngle, lastFlightTime, startTime, input.time, deltaTime, speed);
        flew = true;
        direction = flight.direction;
        up = flight.up;
        fieldOfView = flight.fieldOfView;
        if (flight.orbiting)
            heading = camera::orbitHeading(orbitAngle);
        // Straight up the screen's orientation comes from the heading alone, and once the orbit
        // has closed on the axis its angle races on: following it would spin the picture by a new
        // angle every frame. So the heading the view arrived with stays while it looks up from
        // there. (Earlier visits to the axis come between tilted views that turn with the orbit
        // anyway; they keep the orbit's heading.)
        holdHeading = flight.onAxisForGood && camera::viewFollowsHeading(position, direction, up);
    }

    if (holdHeading) {
        if (!axisHeading)
            axisHeading = heading;
        heading = *axisHeading;
    } else if (!(cameraFlight && paused)) {
        axisHeading.reset();
    }
    if (flew)
        heldFlight = HeldFlight{direction, up, heading, fieldOfView};

    aspect = camera::aspectRatio(framebufferWidth, framebufferHeight, aspect);
    projection = camera::cameraProjection(fieldOfView, aspect);
    view = camera::cameraView(position, direction, up, heading);

    if (input.toggleFlight)
        setFlight(!cameraFlight, input.time);

    if (input.printDirection) {
        camera::writeDirectionLine(std::cout, direction, horizontalAngle, verticalAngle);
        std::cout << std::endl;
    }
}

void Controls::setPaused(bool pause, double now) {
    if (pause == paused)
        return;
    paused = pause;
    if (pause) {
        pausedAt = now;
        return;
    }
    // The flight reads its time from `startTime` and its last step from `lastFlightTime`: moved
    // on by the pause, both see the flight as it was when it stopped.
    const double pausedFor = now - pausedAt;
    startTime = float(double(startTime) + pausedFor);
    lastFlightTime = float(double(lastFlightTime) + pausedFor);
}

void Controls::jumpFlightTo(double t, double now) {
    t = std::clamp(t, 0.0, double(camera::kFlightSeconds));
    const double at = paused ? pausedAt : now;
    const camera::FlightPlace place = flightPlace(t);
    if (cameraFlight)
        position = place.position;
    jumpedWhileFree = !cameraFlight;
    orbitAngle = place.orbitAngle;
    startTime = float(at - t);
    lastFlightTime = float(at);
    axisHeading.reset();
    // Paused, the next update shows the new moment instead of the one held.
    heldFlight.reset();
}

void Controls::setFlight(bool on, double now) {
    if (on && !cameraFlight && jumpedWhileFree) {
        position = flightPlace(std::clamp(flightTime(now), 0.0, double(camera::kFlightSeconds))).position;
        heldFlight.reset();
    }
    jumpedWhileFree = false;
    cameraFlight = on;
}

void Controls::skipTime(double seconds) {
    if (!(seconds > 0.0))
        return;
    // As a resume does, but before it: paused, the pause's start moves on too, so the resume
    // takes off only the time the scene saw paused.
    startTime = float(double(startTime) + seconds);
    lastFlightTime = float(double(lastFlightTime) + seconds);
    if (paused)
        pausedAt += seconds;
}

void Controls::fitFlight(const camera::FittedFlight& flight) {
    fittedFlight = flight;
    position = flightPlace(0.0).position;
}

camera::FlightPlace Controls::flightPlace(double t) const {
    return fittedFlight ? camera::fittedPlaceAt(*fittedFlight, t, speed, aspect)
                        : camera::flightPlaceAt(t, speed);
}

double Controls::flightTime(double now) const {
    return (paused ? pausedAt : now) - double(startTime);
}

} // namespace vantor
