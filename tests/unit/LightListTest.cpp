// The light path past fifty lights without GL: the per-box light lists against a brute-force
// reach test, their storage at the largest count, each count's look, and the shadow cache's
// copies for a crowd of small bodies.

#include "render/FrameMath.h"
#include "render/LightCount.h"
#include "render/LightGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace vantor;

namespace {

// Inside the ellipsoid of radii `reach` (x across, y up and down) around `light`.
bool reaches(glm::vec3 light, glm::vec3 point, glm::vec2 reach) {
    const glm::vec3 d = (point - light) / glm::vec3(reach.x, reach.y, reach.x);
    return glm::dot(d, d) < 1.0f;
}

// The box of the grid holding `point`, widened by `widen` of a cell and a slab on each side.
void boxAround(const lightgrid::LightGrid& grid, glm::vec3 point, float widen, glm::vec3& low,
               glm::vec3& high) {
    const glm::vec2 cell = glm::floor((glm::vec2(point.x, point.z) - grid.origin) / grid.cellSize);
    const float slab = std::floor((point.y - grid.floorY) / grid.slabHeight);
    low = glm::vec3(grid.origin.x + cell.x * grid.cellSize, grid.floorY + slab * grid.slabHeight,
                    grid.origin.y + cell.y * grid.cellSize) -
          widen * glm::vec3(grid.cellSize, grid.slabHeight, grid.cellSize);
    high = low + (1.0f + 2.0f * widen) * glm::vec3(grid.cellSize, grid.slabHeight, grid.cellSize);
}

// Whether any point of the box [low, high] lies within the light's reach (its nearest point, in
// the space where the reach is a unit ball).
bool touches(glm::vec3 light, glm::vec3 low, glm::vec3 high, glm::vec2 reach) {
    const glm::vec3 nearest = glm::clamp(light, low, high);
    const glm::vec3 d = (nearest - light) / glm::vec3(reach.x, reach.y, reach.x);
    return glm::dot(d, d) <= 1.0f;
}

} // namespace

TEST(LightLists, APointsListHoldsEveryLightThatReachesItAndOnlyLightsThatReachItsBox) {
    std::mt19937 random(23);
    std::uniform_real_distribution<float> across(-3.0f, 3.0f);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int scene = 0; scene < 24; ++scene) {
        SCOPED_TRACE(scene);
        // Counts on both sides of what a 64-bit mask could name, up to the largest; round reaches
        // and the flattened ones of many lights; layered and scattered heights.
        const int count = std::vector<int>{1, 63, 64, 65, 200, 1000}[scene % 6];
        const lightcount::LightLook look = lightcount::lightLook(scene % 4 == 0 ? 50 : count);
        const glm::vec2 reach(look.reach, look.heightReach);
        std::vector<glm::vec3> lights;
        for (int i = 0; i < count; ++i)
            lights.emplace_back(across(random), scene % 2 ? 0.25f : 0.5f * across(random), across(random));
        // Lights exactly on cell corners and slab borders of the grid the first build makes, and
        // lights on top of each other.
        lightgrid::LightGrid grid = lightgrid::buildLightGrid(lights, reach, look.cellSize, 192, look.slabs);
        for (int i = 0; i < count / 4; ++i) {
            lights[i].x =
                grid.origin.x + grid.cellSize * std::round((lights[i].x - grid.origin.x) / grid.cellSize);
            lights[i].z =
                grid.origin.y + grid.cellSize * std::round((lights[i].z - grid.origin.y) / grid.cellSize);
        }
        if (count > 2)
            lights[count - 1] = lights[count - 2];
        lightgrid::buildLightGrid(lights, reach, look.cellSize, 192, look.slabs, grid);
        ASSERT_EQ(grid.boxes.size(), size_t(grid.columns) * grid.rows * grid.slabs);

        for (int sample = 0; sample < 3000; ++sample) {
            glm::vec3 point(across(random), 0.6f * across(random), across(random));
            // Half the points just inside a light's reach, where a tight box test fails first.
            if (sample % 2 == 0) {
                const glm::vec3 direction =
                    glm::normalize(glm::vec3(unit(random), unit(random), unit(random)) - 0.5f);
                point = lights[sample % count] + 0.9999f * direction * glm::vec3(reach.x, reach.y, reach.x);
            }
            const std::vector<int> listed = lightgrid::lightsAt(grid, point);
            ASSERT_TRUE(std::is_sorted(listed.begin(), listed.end()));
            ASSERT_TRUE(std::adjacent_find(listed.begin(), listed.end()) == listed.end()) << "listed twice";
            for (int i = 0; i < count; ++i) {
                if (reaches(lights[i], point, reach)) {
                    ASSERT_TRUE(std::binary_search(listed.begin(), listed.end(), i))
                        << "light " << i << " reaches " << point.x << ", " << point.y << ", " << point.z;
                }
            }
            glm::vec3 low, high;
            boxAround(grid, point, 2e-3f, low, high);
            for (int i : listed)
                ASSERT_TRUE(touches(lights[i], low, high, reach)) << "light " << i << " cannot reach the box";
        }
    }
}

TEST(LightLists, NeverOverflowTheirStorageAtTheLargestCount) {
    const int count = lightcount::maxLightCount;
    const lightcount::LightLook look = lightcount::lightLook(count);
    const glm::vec2 reach(look.reach, look.heightReach);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> across(-3.0f, 3.0f);
    std::vector<glm::vec3> spread(count), piled(count, glm::vec3(0.3f, 0.25f, -0.2f));
    for (glm::vec3& light : spread)
        light = glm::vec3(across(random), 0.25f, across(random));

    // Full storage, then storage far too small for the lists a fine grid makes: the cells grow
    // until every list fits, and every light that reaches a point is still on its list.
    for (const std::uint32_t capacity : {lightgrid::maxIndexEntries, 20000u, 4000u}) {
        for (const std::vector<glm::vec3>* lights : {&spread, &piled}) {
            SCOPED_TRACE(capacity);
            const lightgrid::LightGrid grid =
                lightgrid::buildLightGrid(*lights, reach, look.cellSize, 192, look.slabs, capacity);
            ASSERT_LE(grid.indices.size(), capacity);
            ASSERT_GT(grid.indices.size(), 0u);
            for (const std::uint32_t box : grid.boxes) {
                const std::uint32_t count = box & lightgrid::maxBoxCount;
                ASSERT_LE((box >> lightgrid::countBits) + count, grid.indices.size());
            }
            const glm::vec3 point = (*lights)[7] + glm::vec3(0.5f * reach.x, 0.0f, 0.0f);
            const std::vector<int> listed = lightgrid::lightsAt(grid, point);
            for (int i = 0; i < count; ++i) {
                if (reaches((*lights)[i], point, reach)) {
                    ASSERT_TRUE(std::binary_search(listed.begin(), listed.end(), i)) << i;
                }
            }
        }
    }
    // A thousand lights in one place: every box that holds them lists all of them.
    const lightgrid::LightGrid piledGrid =
        lightgrid::buildLightGrid(piled, reach, look.cellSize, 192, look.slabs);
    EXPECT_EQ(lightgrid::lightsAt(piledGrid, piled[0]).size(), size_t(count));
}

TEST(LightLook, FiftyAreAsDesignedAndMoreKeepThePointsReachAndTheBinningWork) {
    for (int count : {-3, 0, 1, 50}) {
        const lightcount::LightLook look = lightcount::lightLook(count);
        EXPECT_EQ(look.reach, 0.5f);
        EXPECT_EQ(look.heightReach, 0.5f);
        EXPECT_EQ(look.bodyScale, 1.0f);
        EXPECT_EQ(look.colorPush, 1.4f);
        EXPECT_EQ(look.cellSize, 0.0625f);
        EXPECT_EQ(look.slabs, 16);
    }
    float lastReach = 0.5f;
    for (int count : {51, 100, 250, 500, 1000}) {
        SCOPED_TRACE(count);
        const lightcount::LightLook look = lightcount::lightLook(count);
        // Count x the area a light covers on a floor at any height stays fifty's.
        EXPECT_NEAR(count * look.reach * look.reach, 50 * 0.25f, 1e-3f);
        EXPECT_EQ(look.heightReach, 0.5f);
        EXPECT_LT(look.reach, lastReach);
        EXPECT_LT(look.bodyScale, 1.0f);
        lastReach = look.reach;
        // Boxes touched, count x slabs x (reach / cell + 1)², within a third of fifty's.
        const float work = count * look.slabs * std::pow(look.reach / look.cellSize + 1.0f, 2.0f);
        EXPECT_NEAR(work / (50 * 16 * 81.0f), 1.0f, 0.34f);
    }
}

TEST(BallFootprint, ACrowdedFaceIsCopiedByFewTilesCoveringEveryRectangle) {
    const int size = 1024;
    std::mt19937 random(3);
    std::uniform_int_distribution<int> at(0, size - 12);
    std::vector<framemath::FaceRect> rects;
    for (int i = 0; i < 900; ++i) {
        const int x = at(random), y = at(random);
        rects.push_back({i % 3 == 0 ? 4 : 1, x, y, x + 1 + i % 11, y + 1 + i % 7});
    }
    rects.push_back({2, 10, 10, 20, 20}); // a face with few rectangles keeps them as they are
    const std::vector<framemath::FaceRect> copies = framemath::faceCopies(rects, size);
    EXPECT_LE(copies.size(), size_t(2 * framemath::crowdedFaceTiles + 1)) << "one copy per tile row at most";
    std::vector<char> copied(size_t(6) * size * size, 0);
    for (const framemath::FaceRect& c : copies) {
        ASSERT_TRUE(c.face >= 0 && c.face < 6 && c.x0 >= 0 && c.y0 >= 0 && c.x1 <= size && c.y1 <= size);
        for (int y = c.y0; y < c.y1; ++y)
            for (int x = c.x0; x < c.x1; ++x) {
                ASSERT_FALSE(copied[(size_t(c.face) * size + y) * size + x]) << "copied twice";
                copied[(size_t(c.face) * size + y) * size + x] = 1;
            }
    }
    for (const framemath::FaceRect& r : rects)
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x)
                ASSERT_TRUE(copied[(size_t(r.face) * size + y) * size + x]) << r.face << " " << x << " " << y;
    EXPECT_TRUE(std::find(copies.begin(), copies.end(), framemath::FaceRect{2, 10, 10, 20, 20}) !=
                copies.end());
}
