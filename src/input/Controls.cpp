#include "input/Controls.h"

#include "input/KeyEvents.h"

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

void Controls::update(float deltaTime, GLFWwindow* window, int width, int height, glm::mat4& view,
                      glm::mat4& projection) {
    ControlsInput input;
    // The cursor goes back to the centre every update, so its offset is this frame's travel.
    glfwGetCursorPos(window, &input.cursor.x, &input.cursor.y);
    const glm::dvec2 centre = camera::cursorCentre(width, height);
    glfwSetCursorPos(window, centre.x, centre.y);

    vantor::input::KeyRecord& keys = vantor::input::recordKeys(window);
    readKeys(keys, input);
    keys.endUpdate();
    input.time = clock();

    step(input, deltaTime, width, height, view, projection);
}

void Controls::step(const ControlsInput& input, float deltaTime, int width, int height, glm::mat4& view,
                    glm::mat4& projection) {
    // The mouse turns the angles in every mode; the flight ignores them until it is switched off.
    camera::turnByCursor(horizontalAngle, verticalAngle, mouseSpeed, input.cursor,
                         camera::cursorCentre(width, height));

    glm::vec3 direction = camera::viewDirection(horizontalAngle, verticalAngle);
    const glm::vec3 right = camera::rightDirection(horizontalAngle);

    position = camera::moveByKeys(position, direction, right, input.keys, deltaTime, speed);

    float fieldOfView = camera::kFreeFieldOfView;
    glm::vec3 up(0.0f, 1.0f, 0.0f);
    glm::vec3 heading = camera::yawHeading(horizontalAngle);

    if (cameraFlight) {
        const camera::FlightView flight =
            camera::fly(position, orbitAngle, lastFlightTime, startTime, input.time, deltaTime, speed);
        direction = flight.direction;
        up = flight.up;
        fieldOfView = flight.fieldOfView;
        if (flight.orbiting)
            heading = camera::orbitHeading(orbitAngle);
    }

    projection = camera::cameraProjection(fieldOfView);
    view = camera::cameraView(position, direction, up, heading);

    if (input.toggleFlight)
        cameraFlight = !cameraFlight;

    if (input.printDirection) {
        camera::writeDirectionLine(std::cout, direction, horizontalAngle, verticalAngle);
        std::cout << std::endl;
    }
}

} // namespace vantor
