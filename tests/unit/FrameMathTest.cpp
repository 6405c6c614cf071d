#include "render/FrameMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectMatrixNear(const glm::mat4& actual, const float (&rows)[4][4], float tolerance) {
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_NEAR(actual[column][row], rows[row][column], tolerance)
                << "row " << row << " column " << column;
}

glm::vec3 transformPoint(const glm::mat4& m, const glm::vec3& p) {
    return glm::vec3(m * glm::vec4(p, 1.0f));
}

void expectVecNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

} // namespace

TEST(LevelCopyTransform, MatchesTheTableAndMapsTheReferencePoints) {
    const float s = 0.0707107f;
    const float rows[4][4] = {{-s, 0, -s, 0}, {0, -0.1f, 0, 0.5f}, {-s, 0, s, 0}, {0, 0, 0, 1}};
    const glm::mat4 m = framemath::levelCopyTransform();
    expectMatrixNear(m, rows, 1e-6f);

    expectVecNear(transformPoint(m, {0, 0, 0}), {0, 0.5f, 0}, 1e-6f);
    expectVecNear(transformPoint(m, {0, 5, 0}), {0, 0, 0}, 1e-6f);
    expectVecNear(transformPoint(m, {10, 5, 0}), {-0.707107f, 0, -0.707107f}, 1e-5f);
    // Upside down by a half turn, not a mirror: a pure rotation scaled by 0.1.
    EXPECT_NEAR(glm::determinant(m), 0.001f, 1e-7f);
}

TEST(ShadowProjection, IsTheSquareNinetyDegreePerspective) {
    const float n = 0.01f, f = 3.0f;
    const glm::mat4 p = framemath::shadowProjection(n, f);
    EXPECT_NEAR(p[0][0], 1.0f, 1e-6f);
    EXPECT_NEAR(p[1][1], 1.0f, 1e-6f);
    EXPECT_NEAR(p[2][2], -(f + n) / (f - n), 1e-6f);
    EXPECT_NEAR(p[2][3], -1.0f, 1e-6f);
    EXPECT_NEAR(p[3][2], -(2.0f * f * n) / (f - n), 1e-6f);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            const bool used = (c == r && c < 3) || (c == 2 && r == 3) || (c == 3 && r == 2);
            if (!used) {
                EXPECT_EQ(p[c][r], 0.0f) << c << "," << r;
            }
        }
    }
}

TEST(ShadowFaceMatrices, EachFaceSeesItsOwnDirectionWithGlOrientation) {
    const glm::vec3 light(0.0f, 1.0f, 0.0f);
    const glm::mat4 proj = framemath::shadowProjection(0.01f, 3.0f);
    const auto faces = framemath::shadowFaceMatrices(proj, light);
    // Direction, and the GL cube-map convention for where +s and +t point on that face.
    const glm::vec3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int i = 0; i < 6; ++i) {
        // A point one unit along the face direction projects to the face centre.
        glm::vec4 clip = faces[i] * glm::vec4(light + directions[i], 1.0f);
        EXPECT_NEAR(clip.x / clip.w, 0.0f, 1e-5f) << "face " << i;
        EXPECT_NEAR(clip.y / clip.w, 0.0f, 1e-5f) << "face " << i;
        EXPECT_GT(clip.w, 0.0f) << "face " << i;
        // The opposite direction is behind the face.
        clip = faces[i] * glm::vec4(light - directions[i], 1.0f);
        EXPECT_LT(clip.w, 0.0f) << "face " << i;
    }
    // Face 3 looks straight down at the origin with up (0, 0, -1): the point towards -z
    // lands at the top of the image.
    glm::vec4 origin = faces[3] * glm::vec4(0, 0, 0, 1);
    EXPECT_NEAR(origin.x / origin.w, 0.0f, 1e-6f);
    EXPECT_NEAR(origin.y / origin.w, 0.0f, 1e-6f);
    glm::vec4 ahead = faces[3] * glm::vec4(0, 0, -0.5f, 1);
    EXPECT_NEAR(ahead.x / ahead.w, 0.0f, 1e-6f);
    EXPECT_GT(ahead.y / ahead.w, 0.0f);
    // Face 0 (+X) uses up (0, -1, 0): a point above the light appears at the bottom.
    glm::vec4 above = faces[0] * glm::vec4(1.0f, 1.5f, 0.0f, 1.0f);
    EXPECT_LT(above.y / above.w, 0.0f);
}

TEST(PlacedAt, ReplacesOnlyTheTranslation) {
    glm::mat4 model(0.0f);
    model[0][0] = model[1][1] = model[2][2] = 0.05f;
    model[3][3] = 1.0f;
    const glm::mat4 placed = framemath::placedAt(model, {1.0f, 0.25f, 2.0f});
    const float rows[4][4] = {{0.05f, 0, 0, 1}, {0, 0.05f, 0, 0.25f}, {0, 0, 0.05f, 2}, {0, 0, 0, 1}};
    expectMatrixNear(placed, rows, 0.0f);

    // A translation already present is replaced, not added to.
    const glm::mat4 moved = framemath::placedAt(placed, {-3.0f, 0.0f, 0.5f});
    EXPECT_EQ(moved[3][0], -3.0f);
    EXPECT_EQ(moved[3][1], 0.0f);
    EXPECT_EQ(moved[3][2], 0.5f);
    EXPECT_EQ(moved[3][3], 1.0f);
}

TEST(ShadowLight, SinksAndRestsAtAQuarter) {
    EXPECT_FLOAT_EQ(framemath::sunkShadowLightHeight(0.3f, 2.0), 0.25f);
    EXPECT_FLOAT_EQ(framemath::sunkShadowLightHeight(1.0f, 20.0), 0.25f);
    EXPECT_EQ(framemath::sunkShadowLightHeight(0.25f, 0.0), 0.25f);
    EXPECT_EQ(framemath::sunkShadowLightHeight(0.7f, 0.0), 0.7f);
    // One second sinks by 0.05, computed in double before rounding.
    EXPECT_EQ(framemath::sunkShadowLightHeight(1.0f, 1.0),
              static_cast<float>(1.0 - static_cast<double>(0.05f)));
    // Eight seconds of steady frames sink it by 0.4; fifteen bring it to rest.
    float y = 1.0f;
    for (int frame = 0; frame < 500; ++frame)
        y = framemath::sunkShadowLightHeight(y, 0.016);
    EXPECT_NEAR(y, 0.6f, 1e-4f);
    for (int frame = 0; frame < 500; ++frame)
        y = framemath::sunkShadowLightHeight(y, 0.016);
    EXPECT_EQ(y, 0.25f);
}
