// The flight about a model of the user's: on the shapes models come in once fitted (a wide flat
// plan, a tall pole, a single point), at every moment of the flight and in pictures of two
// shapes, the camera stays outside the model's bounds, looks at their centre and has every
// corner of them in the picture. Through the camera itself, it flies without a jump from the
// glide into the orbit, and a jump to a moment lands where flying there does.

#include "input/Controls.h"
#include "scene/SceneFit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vantor;

struct Model {
    const char* name;
    glm::vec3 min, max; // as the file has it
};

const Model models[] = {
    {"flat plan", {100.0f, 5.0f, -300.0f}, {900.0f, 45.0f, 200.0f}},
    {"tall pole", {-0.01f, 0.0f, -0.01f}, {0.01f, 3.0f, 0.01f}},
    {"unit cube", {-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}},
    {"point", {2.0f, 2.0f, 2.0f}, {2.0f, 2.0f, 2.0f}},
};

bool inside(const scenefit::Bounds& b, glm::vec3 p) {
    return p.x >= b.min.x && p.x <= b.max.x && p.y >= b.min.y && p.y <= b.max.y && p.z >= b.min.z &&
           p.z <= b.max.z;
}

TEST(FittedFlight, StaysOutsideLooksAtTheModelAndKeepsItInThePicture) {
    for (const Model& model : models) {
        const glm::mat4 fit = scenefit::fitBounds(model.min, model.max);
        const scenefit::Bounds placed = scenefit::placedBounds(model.min, model.max, fit);
        const camera::FittedFlight flight = camera::fitFlight(placed.min, placed.max);
        for (const float aspect : {16.0f / 9.0f, 0.75f}) {
            for (int tenth = 0; tenth <= 700; ++tenth) {
                SCOPED_TRACE(std::string(model.name) + ", aspect " + std::to_string(aspect) +
                             ", t = " + std::to_string(tenth / 10.0));
                glm::vec3 position(0.0f);
                float angle = 0.0f, last = 0.0f;
                const camera::FlightView view =
                    camera::flyFitted(flight, position, angle, last, 0.0f, tenth / 10.0, 1.0f, aspect);
                ASSERT_FALSE(inside(placed, position));
                EXPECT_EQ(view.fieldOfView, camera::kFittedFieldOfView);
                EXPECT_EQ(view.orbiting, tenth >= 150);
                const glm::mat4 clip =
                    camera::cameraProjection(view.fieldOfView, aspect) *
                    camera::cameraView(position, view.direction, view.up, camera::orbitHeading(angle));
                const glm::vec4 centre = clip * glm::vec4(flight.centre, 1.0f);
                ASSERT_NEAR(centre.x / centre.w, 0.0f, 1e-4f);
                ASSERT_NEAR(centre.y / centre.w, 0.0f, 1e-4f);
                for (int corner = 0; corner < 8; ++corner) {
                    const glm::vec3 p((corner & 1) ? placed.max.x : placed.min.x,
                                      (corner & 2) ? placed.max.y : placed.min.y,
                                      (corner & 4) ? placed.max.z : placed.min.z);
                    const glm::vec4 c = clip * glm::vec4(p, 1.0f);
                    ASSERT_GT(c.w, 0.0f);
                    ASSERT_LE(std::abs(c.x / c.w), 1.0f) << "corner " << corner;
                    ASSERT_LE(std::abs(c.y / c.w), 1.0f) << "corner " << corner;
                    ASSERT_LT(std::abs(c.z / c.w), 1.0f) << "corner " << corner << ", between near and far";
                }
            }
        }
    }
}

TEST(FittedFlight, FliesSmoothlyAndJumpsWhereItWouldHaveFlown) {
    const scenefit::Bounds placed{{-2.6f, 0.0f, -1.0f}, {2.6f, 0.8f, 1.0f}};
    Controls flying(0.0f);
    flying.fitFlight(camera::fitFlight(placed.min, placed.max));
    glm::mat4 view, projection;
    glm::vec3 previous = flying.position;
    float longest = 0.0f;
    for (int frame = 1; frame <= 60 * 60; ++frame) {
        ControlsInput input;
        input.centre = glm::dvec2(320, 192);
        input.cursor = *input.centre;
        input.time = frame / 60.0;
        flying.step(input, 1.0f / 60, 640, 384, view, projection);
        longest = std::max(longest, glm::distance(previous, flying.position));
        previous = flying.position;
    }
    // The orbit's own pace at its distance is about 0.02 a frame.
    EXPECT_LT(longest, 0.05f) << "no jump between frames, also not at the start or the glide's end";
    EXPECT_GT(longest, 0.005f) << "it does move";

    for (const double moment : {3.0, 20.0, 48.0}) {
        Controls jumped(0.0f);
        jumped.fitFlight(*flying.fittedFlight);
        jumped.jumpFlightTo(moment, 100.0);
        ControlsInput input;
        input.centre = glm::dvec2(320, 192);
        input.cursor = *input.centre;
        input.time = 100.0;
        jumped.step(input, 1.0f / 60, 640, 384, view, projection);
        EXPECT_LT(
            glm::distance(jumped.position,
                          camera::fittedPlaceAt(*flying.fittedFlight, moment, 1.0f, 640.0f / 384).position),
            1e-3f)
            << "t = " << moment;
    }
}

} // namespace
