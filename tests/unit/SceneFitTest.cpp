// The placement of a loaded scene and the reduction of its materials: pure maths, checked on
// the shapes models come in (tall, flat, a point, broken bounds) and the axes files declare.

#include "scene/SceneFit.h"
#include "scene/SceneMaterials.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vantor;

namespace {

glm::vec3 place(const glm::mat4& m, const glm::vec3& p) {
    return glm::vec3(m * glm::vec4(p, 1.0f));
}

// Every corner of the bounds lands inside the fitted volume, the lowest point on the floor, and
// at least one measure fills the volume (the scene is as large as it may be).
TEST(SceneFit, BoundsFillTheVolume) {
    const glm::vec3 boxes[][2] = {
        {{-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}},        // a unit cube
        {{100.0f, 5.0f, -300.0f}, {900.0f, 45.0f, 200.0f}}, // a far-off, flat floor plan (Sponza-like)
        {{-0.01f, 0.0f, -0.01f}, {0.01f, 3.0f, 0.01f}},     // a tall pole
        {{-5.0f, 2.0f, -5.0f}, {5.0f, 2.0f, 5.0f}},         // a sheet with no height
        {{0.0f, -2.0f, 0.0f}, {0.0f, 2.0f, 0.0f}},          // a vertical line with no width
    };
    for (const auto& box : boxes) {
        const glm::mat4 m = scenefit::fitBounds(box[0], box[1]);
        float lowest = INFINITY, highest = -INFINITY, widest = 0.0f;
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec3 p = place(m, {corner & 1 ? box[1].x : box[0].x, corner & 2 ? box[1].y : box[0].y,
                                          corner & 4 ? box[1].z : box[0].z});
            lowest = std::min(lowest, p.y);
            highest = std::max(highest, p.y);
            widest = std::max(widest, std::hypot(p.x, p.z));
        }
        EXPECT_NEAR(lowest, scenefit::floorHeight, 1e-4f);
        EXPECT_LE(highest, scenefit::floorHeight + scenefit::height + 1e-4f);
        EXPECT_LE(widest, scenefit::radius + 1e-4f);
        EXPECT_TRUE(std::fabs(widest - scenefit::radius) < 1e-3f ||
                    std::fabs(highest - scenefit::floorHeight - scenefit::height) < 1e-3f)
            << "neither measure fills the volume";
        // Uniform: no shape is stretched.
        EXPECT_FLOAT_EQ(m[0][0], m[1][1]);
        EXPECT_FLOAT_EQ(m[1][1], m[2][2]);
    }
}

TEST(SceneFit, DegenerateBoundsStayFinite) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(scenefit::fitBounds({0.0f, nan, 0.0f}, {1.0f, 1.0f, 1.0f}), glm::mat4(1.0f));
    EXPECT_EQ(scenefit::fitBounds({-inf, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}), glm::mat4(1.0f));
    // Inverted bounds (nothing was read) and a single point.
    EXPECT_EQ(scenefit::fitBounds({1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}), glm::mat4(1.0f));
    const glm::mat4 point = scenefit::fitBounds({3.0f, 4.0f, 5.0f}, {3.0f, 4.0f, 5.0f});
    EXPECT_EQ(place(point, {3.0f, 4.0f, 5.0f}), glm::vec3(0.0f, scenefit::floorHeight, 0.0f));
    // Bounds whose size overflows a float.
    const glm::mat4 huge = scenefit::fitBounds(glm::vec3(-3e38f), glm::vec3(3e38f));
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_TRUE(std::isfinite(huge[c][r]));
}

// The declared up axis ends up pointing up, and the turn is a rotation (no mirroring, which
// would turn every face's winding and every normal map inside out).
TEST(SceneFit, DeclaredUpAxisPointsUp) {
    const glm::vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int axis = 0; axis < 3; ++axis)
        for (int sign : {1, -1}) {
            const glm::mat4 r = scenefit::upAxisRotation(axis, sign);
            const glm::vec3 up = glm::vec3(r * glm::vec4(axes[axis] * float(sign), 0.0f));
            EXPECT_NEAR(glm::distance(up, glm::vec3(0, 1, 0)), 0.0f, 1e-6f) << axis << " " << sign;
            EXPECT_NEAR(glm::determinant(glm::mat3(r)), 1.0f, 1e-6f);
        }
    EXPECT_EQ(scenefit::upAxisRotation(7, 1), glm::mat4(1.0f));
}

TEST(SceneMaterials, ColourAndSpecularStayInRange) {
    using namespace scenematerials;
    // The lighting pass squares what is stored: a linear factor comes back as itself.
    const glm::vec3 stored = encodeColour({0.25f, 0.0f, 1.0f});
    EXPECT_NEAR(stored.r * stored.r, 0.25f, 1e-6f);
    EXPECT_EQ(encodeColour({-1.0f, 7.0f, NAN}), glm::vec3(0.0f, 1.0f, 0.0f));

    // Rough surfaces get no highlight, smooth metal the strongest, dielectrics in between.
    EXPECT_FLOAT_EQ(specularFromMetallicRoughness(1.0f, 1.0f), 0.0f);
    EXPECT_FLOAT_EQ(specularFromMetallicRoughness(1.0f, 0.0f), 0.9f);
    EXPECT_FLOAT_EQ(specularFromMetallicRoughness(0.0f, 0.0f), 0.3f);
    EXPECT_LT(specularFromMetallicRoughness(0.0f, 0.5f), specularFromMetallicRoughness(1.0f, 0.5f));
    EXPECT_FLOAT_EQ(specularFromMetallicRoughness(NAN, 2.0f), 0.0f);

    EXPECT_FLOAT_EQ(specularFromColour({0.0f, 0.0f, 0.0f}, 1.0f), 0.0f);
    EXPECT_FLOAT_EQ(specularFromColour({0.2f, 0.5f, 0.1f}, 1.0f), 0.5f);
    EXPECT_FLOAT_EQ(specularFromColour({1.0f, 1.0f, 1.0f}, 4.0f), 0.6f);
    EXPECT_FLOAT_EQ(specularFromColour({0.5f, 0.5f, 0.5f}, NAN), 0.5f);
}

} // namespace
