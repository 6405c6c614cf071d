#include "scene/TriangleOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

using namespace vantor;

namespace {

// Three small triangles centred at x = 20, 0 and 10 (y = 1), listed out of order.
const std::vector<glm::vec3> kVertices = {
    {20, 0, 0}, {21, 0, 0}, {19, 3, 0}, // triangle 0
    {0, 0, 0},  {1, 0, 0},  {-1, 3, 0}, // triangle 1
    {10, 0, 0}, {11, 0, 0}, {9, 3, 0},  // triangle 2
};
const std::vector<unsigned int> kIndices = {0, 1, 2, 3, 4, 5, 6, 7, 8};

} // namespace

TEST(TriangleOrder, SortsTrianglesByTheDistanceOfTheirCentres) {
    const std::vector<glm::vec3> centres = triangleorder::centres(kVertices, kIndices);
    ASSERT_EQ(centres.size(), 3u);
    EXPECT_EQ(centres[0], glm::vec3(20, 1, 0));
    EXPECT_EQ(centres[2], glm::vec3(10, 1, 0));

    std::vector<std::uint32_t> order;
    triangleorder::nearestFirst(centres, glm::vec3(-5, 0, 0), order);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{1, 2, 0}));
    triangleorder::nearestFirst(centres, glm::vec3(30, 0, 0), order);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{0, 2, 1}));
    // From the middle triangle the two outer ones are equally far: they keep the mesh's order.
    triangleorder::nearestFirst(centres, centres[2], order);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{2, 0, 1}));

    // The order is a permutation each time, whatever the eye, and it reuses the list it is given.
    order.assign(10, 7);
    triangleorder::nearestFirst(centres, glm::vec3(1e30f), order);
    std::vector<bool> seen(3, false);
    ASSERT_EQ(order.size(), 3u);
    for (std::uint32_t t : order)
        seen.at(t) = true;
    EXPECT_EQ(seen, std::vector<bool>(3, true));
}

TEST(TriangleOrder, RewritesTheIndexListTriangleByTriangle) {
    std::vector<std::uint16_t> shortIndices;
    triangleorder::reorder(kIndices, {2, 0, 1}, shortIndices);
    EXPECT_EQ(shortIndices, (std::vector<std::uint16_t>{6, 7, 8, 0, 1, 2, 3, 4, 5}));

    // Corner order inside a triangle stays, so its winding (and culling) does too.
    std::vector<unsigned int> wide = {70000, 70001, 70002, 5, 6, 7};
    std::vector<unsigned int> out = {1, 2, 3};
    triangleorder::reorder(wide, {1, 0}, out);
    EXPECT_EQ(out, (std::vector<unsigned int>{5, 6, 7, 70000, 70001, 70002}));
}

TEST(TriangleOrder, IgnoresALeftoverCornerAndToleratesBadIndices) {
    // Two whole triangles and a stray corner; one corner indexes past the vertex list.
    const std::vector<glm::vec3> vertices = {{3, 0, 0}, {3, 3, 0}, {3, 0, 3}};
    const std::vector<unsigned int> indices = {0, 1, 2, 0, 1, 99, 2};
    const std::vector<glm::vec3> centres = triangleorder::centres(vertices, indices);
    ASSERT_EQ(centres.size(), 2u);
    EXPECT_NEAR(centres[1].x, 2.0f, 1e-5f); // the missing corner counts as the origin
    EXPECT_TRUE(triangleorder::centres(vertices, {}).empty());

    std::vector<std::uint32_t> order = {4, 5};
    triangleorder::nearestFirst({}, glm::vec3(0), order);
    EXPECT_TRUE(order.empty());
}

TEST(TriangleOrder, StartingFromAnyPreviousOrderGivesTheSameResult) {
    // A mesh of many triangles with repeated distances, sorted from eyes that move a little
    // (nearly sorted start), jump (far from sorted) or start from a list that is no
    // permutation of the triangles: always the one order by distance, then triangle number.
    std::mt19937 random(3);
    std::uniform_int_distribution<int> coordinate(-20, 20);
    std::vector<glm::vec3> centres(3000);
    for (glm::vec3& c : centres)
        c = glm::vec3(coordinate(random), coordinate(random), coordinate(random));
    auto reference = [&](const glm::vec3& eye) {
        std::vector<std::pair<float, std::uint32_t>> keyed;
        for (std::uint32_t i = 0; i < centres.size(); ++i)
            keyed.push_back({glm::dot(centres[i] - eye, centres[i] - eye), i});
        std::sort(keyed.begin(), keyed.end());
        std::vector<std::uint32_t> order;
        for (const auto& k : keyed)
            order.push_back(k.second);
        return order;
    };
    std::vector<std::uint32_t> order;
    glm::vec3 eye(0.0f);
    for (int step = 0; step < 40; ++step) {
        eye += step % 10 == 9 ? glm::vec3(30.0f, -17.0f, 5.0f) : glm::vec3(0.25f, 0.0f, -0.125f);
        triangleorder::nearestFirst(centres, eye, order);
        ASSERT_EQ(order, reference(eye)) << "step " << step;
    }
    for (std::vector<std::uint32_t> start :
         {std::vector<std::uint32_t>(3000, 0), std::vector<std::uint32_t>{5, 4},
          std::vector<std::uint32_t>(3000, 9999)}) {
        triangleorder::nearestFirst(centres, eye, start);
        EXPECT_EQ(start, reference(eye));
    }
}
