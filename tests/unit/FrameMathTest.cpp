#include "render/FrameMath.h"
#include "render/LightGrid.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

using namespace vantor;

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

// A closed box from -half to +half, its triangles counter-clockwise seen from outside.
void makeBox(const glm::vec3& half, std::vector<glm::vec3>& vertices, std::vector<unsigned int>& indices) {
    vertices.clear();
    for (int corner = 0; corner < 8; ++corner)
        vertices.push_back(glm::vec3((corner & 1) ? half.x : -half.x, (corner & 2) ? half.y : -half.y,
                                     (corner & 4) ? half.z : -half.z));
    indices = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
               2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
}

// A latitude-longitude sphere of unit radius, counter-clockwise seen from outside.
void makeSphere(int rings, int segments, std::vector<glm::vec3>& vertices,
                std::vector<unsigned int>& indices) {
    vertices.clear();
    indices.clear();
    for (int ring = 0; ring <= rings; ++ring)
        for (int segment = 0; segment < segments; ++segment) {
            const float theta = 3.14159265f * ring / rings, phi = 6.28318531f * segment / segments;
            vertices.push_back(
                glm::vec3(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)));
        }
    auto at = [&](int ring, int segment) { return unsigned(ring * segments + segment % segments); };
    for (int ring = 0; ring < rings; ++ring)
        for (int segment = 0; segment < segments; ++segment) {
            const unsigned a = at(ring, segment), b = at(ring, segment + 1), c = at(ring + 1, segment),
                           d = at(ring + 1, segment + 1);
            if (ring > 0)
                indices.insert(indices.end(), {a, b, c});
            if (ring < rings - 1)
                indices.insert(indices.end(), {b, d, c});
        }
}

// The shadow geometry stage's test: true when the triangle faces away from `light` and is not drawn.
bool facesAway(const glm::vec3& v0, const glm::vec3& v1, const glm::vec3& v2, const glm::vec3& light) {
    const glm::vec3 d0 = v0 - light, d1 = v1 - light, d2 = v2 - light;
    return glm::dot(glm::cross(d1 - d0, d2 - d0), d0) >= 0.0f;
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

TEST(Mirrors, TellsWhichPlacementsTurnTheWindingOver) {
    // Both placements of the level keep their winding (the copy is a half turn), so the
    // geometry pass culls the same face for both.
    EXPECT_FALSE(framemath::mirrors(glm::scale(glm::mat4(1.0f), glm::vec3(0.1f))));
    EXPECT_FALSE(framemath::mirrors(framemath::levelCopyTransform()));
    EXPECT_TRUE(framemath::mirrors(glm::scale(glm::mat4(1.0f), glm::vec3(-0.1f, 0.1f, 0.1f))));
    EXPECT_TRUE(framemath::mirrors(framemath::levelCopyTransform() *
                                   glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, 1.0f, -1.0f))));
    // The translation plays no part.
    EXPECT_FALSE(framemath::mirrors(glm::translate(glm::mat4(1.0f), glm::vec3(-5.0f, -5.0f, -5.0f))));
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

TEST(BallFootprint, HoldsEveryTexelAPointOfTheBallCanReach) {
    // Random balls around a light, some far, some touching it, some straddling face edges:
    // every point of a ball that lands on a face inside the frustum (beyond the near plane)
    // must fall in that face's rectangle, and a face a ball cannot reach gets none.
    const float nearPlane = 0.01f, farPlane = 3.0f;
    const int size = 1024;
    const glm::vec3 light(0.0f, 0.25f, 0.0f);
    const auto faces = framemath::shadowFaceMatrices(framemath::shadowProjection(nearPlane, farPlane), light);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    int pointsOnFaces = 0, smallRects = 0;
    for (int ball = 0; ball < 400; ++ball) {
        const float distance = ball % 4 == 0 ? 0.03f * std::abs(unit(random)) : 2.0f * std::abs(unit(random));
        const glm::vec3 centre =
            light +
            distance * glm::normalize(glm::vec3(unit(random), unit(random), unit(random)) + glm::vec3(1e-3f));
        const float radius = 0.005f + 0.03f * std::abs(unit(random));
        std::vector<framemath::FaceRect> rects;
        framemath::ballFootprint(faces, centre, radius, size, rects);
        for (const framemath::FaceRect& r : rects) {
            ASSERT_TRUE(r.face >= 0 && r.face < 6 && 0 <= r.x0 && r.x0 < r.x1 && r.x1 <= size && 0 <= r.y0 &&
                        r.y0 < r.y1 && r.y1 <= size);
            smallRects += (r.x1 - r.x0) * (r.y1 - r.y0) < size * size / 100;
        }
        for (int sample = 0; sample < 300; ++sample) {
            glm::vec3 offset(unit(random), unit(random), unit(random));
            if (glm::length(offset) > 1.0f)
                offset = glm::normalize(offset); // on the surface
            const glm::vec3 point = centre + radius * offset;
            for (int face = 0; face < 6; ++face) {
                const glm::vec4 clip = faces[face] * glm::vec4(point, 1.0f);
                if (!(clip.w > 0.0f) || std::abs(clip.x) > clip.w || std::abs(clip.y) > clip.w ||
                    clip.z < -clip.w || clip.z > clip.w)
                    continue;
                ++pointsOnFaces;
                const float x = (clip.x / clip.w + 1.0f) * 0.5f * size,
                            y = (clip.y / clip.w + 1.0f) * 0.5f * size;
                bool held = false;
                for (const framemath::FaceRect& r : rects)
                    held |= r.face == face && r.x0 <= std::floor(x) && std::floor(x) < r.x1 &&
                            r.y0 <= std::floor(y) && std::floor(y) < r.y1;
                ASSERT_TRUE(held) << "ball " << ball << " face " << face << " texel " << x << ", " << y;
            }
        }
    }
    EXPECT_GT(pointsOnFaces, 10000);
    EXPECT_GT(smallRects, 200) << "distant balls get small rectangles";

    // Behind the light's plane of a face, or wholly beyond its far plane, nothing.
    std::vector<framemath::FaceRect> rects;
    framemath::ballFootprint(faces, light + glm::vec3(1.0f, 0.0f, 0.0f), 0.05f, size, rects);
    for (const framemath::FaceRect& r : rects)
        EXPECT_NE(r.face, 1) << "-X cannot see a ball at +X";
    rects.clear();
    framemath::ballFootprint(faces, light + glm::vec3(10.0f, 0.0f, 0.0f), 0.05f, size, rects);
    EXPECT_TRUE(rects.empty());
}

TEST(BallFootprint, FaceCopiesMergeCrowdedFacesAndKeepTheRest) {
    const int size = 100;
    const std::vector<framemath::FaceRect> rects = {
        {0, 0, 0, 100, 50},  {0, 0, 40, 100, 95}, // 5000 + 5500 of 10000, 9500 together: copied whole
        {2, 10, 10, 20, 20}, {5, 0, 0, 100, 49},  // 100, and 4900 (under 7/8): kept
        {7, 0, 0, 10, 10},                        // no such face: dropped
    };
    const std::vector<framemath::FaceRect> copies = framemath::faceCopies(rects, size);
    const std::vector<framemath::FaceRect> expected = {
        {0, 0, 0, 100, 100}, {2, 10, 10, 20, 20}, {5, 0, 0, 100, 49}};
    EXPECT_EQ(copies, expected);
    EXPECT_TRUE(framemath::faceCopies({}, size).empty());
}

// Overlapping footprints of a few balls on a face: the copies hold every texel of every footprint
// once and nothing else, in fewer texels than the footprints add up to.
TEST(BallFootprint, FaceCopiesOfOverlappingFootprintsCopyTheirUnionOnce) {
    const int size = 256;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> at(0, size - 80), extent(1, 79);
    for (int round = 0; round < 40; ++round) {
        std::vector<framemath::FaceRect> rects;
        for (int i = 0; i < 1 + round % 30; ++i) {
            const int x = at(random), y = at(random);
            rects.push_back({round % 6, x, y, x + extent(random), y + extent(random)});
        }
        rects.push_back({round % 6, 5, 5, 5, 9}); // empty: adds nothing
        std::vector<char> footprint(size_t(size) * size, 0), copied(size_t(size) * size, 0);
        long long footprintSum = 0;
        for (const framemath::FaceRect& r : rects)
            for (int y = r.y0; y < r.y1; ++y)
                for (int x = r.x0; x < r.x1; ++x, ++footprintSum)
                    footprint[size_t(y) * size + x] = 1;
        const std::vector<framemath::FaceRect> copies = framemath::faceCopies(rects, size);
        const bool whole =
            copies.size() == 1 && copies[0] == framemath::FaceRect{round % 6, 0, 0, size, size};
        const long long covered = std::count(footprint.begin(), footprint.end(), 1);
        EXPECT_EQ(whole, 8 * covered >= 7 * size * size) << "round " << round;
        if (whole)
            continue;
        for (const framemath::FaceRect& c : copies) {
            ASSERT_EQ(c.face, round % 6);
            for (int y = c.y0; y < c.y1; ++y)
                for (int x = c.x0; x < c.x1; ++x) {
                    ASSERT_FALSE(copied[size_t(y) * size + x]) << "round " << round << ": copied twice";
                    copied[size_t(y) * size + x] = 1;
                }
        }
        EXPECT_EQ(copied, footprint) << "round " << round;
        if (rects.size() > 8) {
            EXPECT_LT(covered, footprintSum) << "round " << round << " has overlaps to save";
        }
    }
}

TEST(BackFacingRadius, KeepsEveryTriangleFacingAwayFromALightInsideIt) {
    std::vector<glm::vec3> vertices;
    std::vector<unsigned int> indices;
    makeBox(glm::vec3(0.5f, 1.0f, 2.0f), vertices, indices);
    EXPECT_FLOAT_EQ(framemath::backFacingRadius(vertices, indices, glm::mat3(1.0f)), 0.5f);
    EXPECT_FLOAT_EQ(framemath::backFacingRadius(vertices, indices, glm::mat3(3.0f)), 1.5f);
    // Mirrored, the triangles turn their fronts inwards: a light inside sees them all.
    EXPECT_EQ(framemath::backFacingRadius(vertices, indices,
                                          glm::mat3(glm::scale(glm::mat4(1.0f), glm::vec3(-1, 1, 1)))),
              0.0f);
    // The origin outside the mesh, a sliver, an index past the corners, no triangles.
    for (glm::vec3& v : vertices)
        v.x += 0.75f;
    EXPECT_EQ(framemath::backFacingRadius(vertices, indices, glm::mat3(1.0f)), 0.0f);
    EXPECT_EQ(framemath::backFacingRadius({glm::vec3(1, 0, 0), glm::vec3(1, 1, 0), glm::vec3(1, 2, 1e-9f)},
                                          {0, 1, 2}, glm::mat3(1.0f)),
              0.0f);
    EXPECT_EQ(framemath::backFacingRadius(vertices, {0, 1, 8}, glm::mat3(1.0f)), 0.0f);
    EXPECT_EQ(framemath::backFacingRadius(vertices, {}, glm::mat3(1.0f)), 0.0f);

    // A sphere placed with random rotations and scales: from any point well inside the radius,
    // the shader's own test, in float, drops every triangle; just outside it, not all.
    makeSphere(12, 24, vertices, indices);
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int placement = 0; placement < 40; ++placement) {
        const glm::vec3 axis =
            glm::normalize(glm::vec3(unit(random), unit(random), unit(random)) + glm::vec3(1e-3f));
        const glm::mat4 model =
            glm::scale(glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(0.3f, 0.25f, -0.2f)),
                                   3.0f * unit(random), axis),
                       glm::vec3(0.01f + 0.1f * std::abs(unit(random))));
        const float radius = framemath::backFacingRadius(vertices, indices, glm::mat3(model));
        const float scale = glm::length(glm::vec3(model[0]));
        ASSERT_GT(radius, 0.95f * scale);
        ASSERT_LT(radius, scale);
        std::vector<glm::vec3> placed;
        for (const glm::vec3& v : vertices)
            placed.push_back(transformPoint(model, v));
        const glm::vec3 centre(model[3]);
        for (int sample = 0; sample < 50; ++sample) {
            const glm::vec3 direction =
                glm::normalize(glm::vec3(unit(random), unit(random), unit(random)) + glm::vec3(1e-3f));
            const glm::vec3 inside = centre + 0.99f * radius * std::abs(unit(random)) * direction;
            for (size_t i = 0; i < indices.size(); i += 3)
                ASSERT_TRUE(
                    facesAway(placed[indices[i]], placed[indices[i + 1]], placed[indices[i + 2]], inside))
                    << "placement " << placement << " triangle " << i / 3;
        }
        // Beyond the nearest triangle's plane, that triangle faces the light.
        bool seen = false;
        for (size_t i = 0; i < indices.size() && !seen; i += 3) {
            const glm::vec3 a = placed[indices[i]], b = placed[indices[i + 1]], c = placed[indices[i + 2]];
            const glm::vec3 normal = glm::normalize(glm::cross(b - a, c - a));
            const glm::vec3 outside = centre + 1.01f * radius * normal;
            seen = !facesAway(a, b, c, outside);
        }
        EXPECT_TRUE(seen) << "placement " << placement << ": the radius is not tight";
    }
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

// ---- Light grid: the lighting pass trusts a cell's mask to name every light that reaches
// any point of the cell, so a missing bit is a visible hole in a light pool.

namespace {

// Every light within `reach` of `point` (strictly, as the shader's fade is zero at the reach).
std::uint64_t reachingLights(const std::vector<glm::vec3>& lights, glm::vec3 point, float reach) {
    std::uint64_t mask = 0;
    for (size_t i = 0; i < lights.size() && i < 64; ++i)
        if (glm::dot(lights[i] - point, lights[i] - point) < reach * reach)
            mask |= std::uint64_t(1) << i;
    return mask;
}

} // namespace

TEST(LightGrid, NeverDropsALightThatReachesAPointAndStaysSelective) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> ring(-3.0f, 3.0f);
    std::uniform_real_distribution<float> anywhere(-4.5f, 4.5f);
    std::uniform_real_distribution<float> height(-1.5f, 1.5f);
    const float reach = 0.75f;
    size_t extraBits = 0, possibleBits = 0;
    for (int scene = 0; scene < 20; ++scene) {
        // Half the scenes in one layer (as the demo's lights hover), half at scattered heights.
        const bool layered = scene % 2 == 0;
        std::vector<glm::vec3> lights;
        for (int i = 0; i < 50; ++i)
            lights.emplace_back(ring(random), layered ? 0.25f : height(random) * 0.5f, ring(random));
        // Some lights on top of each other and exactly on cell borders.
        lights[1] = lights[0];
        lights[2] = glm::vec3(0.0f);
        lights[3] = glm::vec3(0.125f, 0.25f, -0.25f);
        const lightgrid::LightGrid grid = lightgrid::buildLightGrid(lights, reach, 0.125f, 64, 12);
        ASSERT_EQ(grid.boxes.size(), size_t(grid.columns) * grid.rows * grid.slabs);
        for (int sample = 0; sample < 20000; ++sample) {
            glm::vec3 point(anywhere(random), height(random), anywhere(random));
            // Every fourth point just inside a light's reach, where a tight box test fails first.
            if (sample % 4 == 0) {
                const float angle = anywhere(random);
                const float tilt = anywhere(random);
                point = lights[sample % 50] + (reach * 0.9999f) * glm::vec3(std::cos(angle) * std::cos(tilt),
                                                                            std::sin(tilt),
                                                                            std::sin(angle) * std::cos(tilt));
            }
            const std::uint64_t needed = reachingLights(lights, point, reach);
            const std::uint64_t box = lightgrid::maskAt(grid, point);
            ASSERT_EQ(needed & ~box, 0u)
                << "scene " << scene << " point " << point.x << ", " << point.y << ", " << point.z;
            extraBits += __builtin_popcountll(box & ~needed);
            possibleBits += 50 - __builtin_popcountll(needed);
        }
    }
    // Conservative, not all-inclusive: a box names few lights beyond those that reach its points.
    EXPECT_LT(double(extraBits) / double(possibleBits), 0.05);
}

TEST(LightGrid, SlabsDropTheLightsOfALayerFarAboveOrBelow) {
    const float reach = 0.5f;
    const std::vector<glm::vec3> lights = {{0.0f, 0.25f, 0.0f}};
    const lightgrid::LightGrid grid = lightgrid::buildLightGrid(lights, reach, 0.0625f, 128, 16);
    EXPECT_LE(grid.floorY, 0.25f - reach);
    EXPECT_GE(grid.floorY + grid.slabs * grid.slabHeight, 0.25f + reach);
    // Straight across the light its whole reach counts; a floor 0.25 below sees less of it.
    EXPECT_EQ(lightgrid::maskAt(grid, {0.45f, 0.25f, 0.0f}), 1u);
    EXPECT_EQ(lightgrid::maskAt(grid, {0.42f, 0.0f, 0.0f}), 1u) << "0.486 away";
    EXPECT_EQ(lightgrid::maskAt(grid, {0.49f, -0.1f, 0.0f}), 0u) << "0.6 away";
    EXPECT_EQ(lightgrid::maskAt(grid, {0.0f, 0.8f, 0.0f}), 0u) << "above the grid";
    EXPECT_EQ(lightgrid::maskAt(grid, {0.0f, -0.3f, 0.0f}), 0u) << "below the grid";
}

TEST(LightGrid, CoversExactlyTheLightsReachAndSurvivesOddInput) {
    const float reach = 0.5f;
    // Two lights: the grid spans their reach, cells outside it and points beyond it are empty.
    std::vector<glm::vec3> lights = {{0.0f, 0.0f, 0.0f}, {2.0f, 0.0f, 1.0f}};
    lightgrid::LightGrid grid = lightgrid::buildLightGrid(lights, reach, 0.25f, 64, 4);
    EXPECT_LE(grid.origin.x, -reach);
    EXPECT_LE(grid.origin.y, -reach);
    EXPECT_GE(grid.origin.x + grid.columns * grid.cellSize, 2.0f + reach);
    EXPECT_GE(grid.origin.y + grid.rows * grid.cellSize, 1.0f + reach);
    EXPECT_EQ(lightgrid::maskAt(grid, {0.49f, 0.0f, 0.0f}), 1u);
    EXPECT_EQ(lightgrid::maskAt(grid, {2.0f, 0.0f, 1.49f}), 2u);
    EXPECT_EQ(lightgrid::maskAt(grid, {1.0f, 0.0f, 0.5f}), 0u) << "between the two pools";
    EXPECT_EQ(lightgrid::maskAt(grid, {-5.0f, 0.0f, 0.0f}), 0u) << "outside the grid";
    EXPECT_EQ(lightgrid::maskAt(grid, {0.0f, 0.0f, 100.0f}), 0u) << "outside the grid";

    // A far-flung light grows the cells instead of the texture, and is still found.
    lights.emplace_back(1000.0f, 0.0f, -1000.0f);
    grid = lightgrid::buildLightGrid(lights, reach, 0.25f, 64, 4);
    EXPECT_LE(grid.columns, 64);
    EXPECT_LE(grid.rows, 64);
    EXPECT_EQ(lightgrid::maskAt(grid, {1000.3f, 0.0f, -1000.3f}) & 4u, 4u);
    EXPECT_EQ(lightgrid::maskAt(grid, {0.0f, 0.0f, 0.0f}) & 1u, 1u);

    // A light with no position sets no bit and spoils nobody else's.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    lights = {{nan, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {std::numeric_limits<float>::infinity(), 0.0f, 1.0f}};
    grid = lightgrid::buildLightGrid(lights, reach, 0.25f, 64, 4);
    EXPECT_EQ(lightgrid::maskAt(grid, {0.1f, 0.0f, 0.1f}), 2u);

    // Seventy lights in one place: the first 64 (all a mask can name) are all there.
    lights.assign(70, glm::vec3(0.0f));
    grid = lightgrid::buildLightGrid(lights, reach, 0.25f, 64, 4);
    EXPECT_EQ(lightgrid::maskAt(grid, {0.0f, 0.0f, 0.0f}), ~std::uint64_t(0));

    // Nothing usable: one empty cell, never an empty texture.
    for (const auto& none : {std::vector<glm::vec3>{}, std::vector<glm::vec3>{{nan, 0.0f, nan}}}) {
        grid = lightgrid::buildLightGrid(none, reach, 0.25f, 64, 4);
        EXPECT_EQ(grid.columns * grid.rows, 1);
        EXPECT_EQ(grid.boxes.size(), 1u);
        EXPECT_EQ(lightgrid::maskAt(grid, {0.0f, 0.0f, 0.0f}), 0u);
    }
    grid = lightgrid::buildLightGrid({{0.0f, 0.0f, 0.0f}}, 0.0f, 0.25f, 64, 4);
    EXPECT_EQ(grid.boxes.size(), 1u);
    EXPECT_EQ(lightgrid::maskAt(grid, {0.0f, 0.0f, 0.0f}), 0u);
}

TEST(LightGrid, AReusedGridEqualsAFreshOne) {
    // The frame's grid is rebuilt in place: whatever it held before (a wider spread, no light
    // at all, a rejected reach) must not leak into the next one.
    std::mt19937 random(11);
    std::uniform_real_distribution<float> spread(-3.0f, 3.0f);
    lightgrid::LightGrid reused;
    for (int round = 0; round < 12; ++round) {
        std::vector<glm::vec3> lights(round % 4 == 3 ? 0 : 50);
        for (glm::vec3& l : lights)
            l = glm::vec3(spread(random), 0.25f * spread(random), spread(random)) * (round % 2 ? 0.3f : 1.0f);
        const float reach = round == 5 ? -1.0f : 0.5f;
        lightgrid::buildLightGrid(lights, reach, 0.0625f, 128, 16, reused);
        const lightgrid::LightGrid fresh = lightgrid::buildLightGrid(lights, reach, 0.0625f, 128, 16);
        SCOPED_TRACE(round);
        EXPECT_EQ(reused.origin, fresh.origin);
        EXPECT_EQ(reused.cellSize, fresh.cellSize);
        EXPECT_EQ(reused.columns, fresh.columns);
        EXPECT_EQ(reused.rows, fresh.rows);
        EXPECT_EQ(reused.floorY, fresh.floorY);
        EXPECT_EQ(reused.slabHeight, fresh.slabHeight);
        EXPECT_EQ(reused.slabs, fresh.slabs);
        EXPECT_EQ(reused.boxes, fresh.boxes);
        EXPECT_EQ(reused.indices, fresh.indices);
    }
}

TEST(LightColorPacking, PushesFromGreyAndSurvivesTheRoundTripWithinOneStep) {
    const float saturation = 1.4f;
    const float range = 1.5f;
    const float step = range / 255.0f;
    // Every colour the lights can have (channels in hundredths) comes back pushed from grey.
    std::mt19937 random(7);
    for (int sample = 0; sample < 2000; ++sample) {
        const glm::vec3 color(random() % 100 / 100.0f, random() % 100 / 100.0f, random() % 100 / 100.0f);
        const float grey = (color.r + color.g + color.b) / 3.0f;
        const glm::vec3 pushed =
            glm::max(glm::vec3(grey) + saturation * (color - glm::vec3(grey)), glm::vec3(0.0f));
        const float packed = lightgrid::packLightColor(color, saturation, range);
        // The float holds an integer below 2^24, so it reaches the shader exactly.
        ASSERT_EQ(packed, std::floor(packed));
        ASSERT_LT(packed, 16777216.0f);
        const glm::vec3 back = lightgrid::unpackLightColor(packed, range);
        for (int channel = 0; channel < 3; ++channel)
            ASSERT_NEAR(back[channel], pushed[channel], 0.5f * step + 1e-6f) << sample << " " << channel;
    }
    // A channel pushed below zero ends at zero; one past the range at the range; NaN at zero.
    EXPECT_EQ(
        lightgrid::unpackLightColor(lightgrid::packLightColor(glm::vec3(1.0f, 0.0f, 0.0f), 1.4f, 1.5f), 1.5f),
        glm::vec3(1.5f * std::round(1.2666667f / 1.5f * 255.0f) / 255.0f, 0.0f, 0.0f));
    EXPECT_EQ(
        lightgrid::unpackLightColor(lightgrid::packLightColor(glm::vec3(3.0f, 0.0f, 0.0f), 1.0f, 1.5f), 1.5f),
        glm::vec3(1.5f, 0.0f, 0.0f));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(
        lightgrid::unpackLightColor(lightgrid::packLightColor(glm::vec3(nan, 0.5f, 0.5f), 1.0f, 1.5f), 1.5f)
            .r,
        0.0f);
}
