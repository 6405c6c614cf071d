// Where the shadow view lays out the cube's six faces for a window of any shape.

#include "render/TargetView.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vantor;

TEST(ShadowFaceGrid, TheGridWithTheLargestFacesForTheWindowsShapeCentredRowByRowFromTheTop) {
    struct Case {
        int width, height, columns, cell;
    };
    // 1280 x 768: 6 x 1 would give 213. 150 x 1000: 6 x 1 would leave 97 % black. 600 x 600:
    // 3 x 2 and 2 x 3 tie, the wider wins. 5 x 1: too small for any face.
    const Case cases[] = {{1280, 768, 3, 384}, {1920, 300, 6, 300}, {320, 192, 3, 96}, {600, 900, 2, 300},
                          {150, 1000, 1, 150}, {600, 600, 3, 200},  {5, 1, 6, 0}};
    for (const Case& c : cases) {
        const ShadowFaceGrid grid = shadowFaceGrid(c.width, c.height);
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(grid.columns, c.columns);
        EXPECT_EQ(grid.columns * grid.rows, 6);
        EXPECT_EQ(grid.cell, c.cell);
        // No other grid gives larger faces, and this one fits, centred to the pixel.
        for (int columns : {1, 2, 3, 6})
            EXPECT_LE(std::min(c.width / columns, c.height / (6 / columns)), grid.cell);
        EXPECT_EQ(grid.left, (c.width - grid.columns * grid.cell) / 2);
        EXPECT_EQ(grid.bottom, (c.height - grid.rows * grid.cell) / 2);
    }

    // Labels go to each cell's top-left corner: +X at the grid's top left, -Z at its bottom right.
    const ShadowFaceGrid grid = shadowFaceGrid(1280, 768);
    EXPECT_EQ(grid.cellX(0), 64);
    EXPECT_EQ(grid.cellYFromTop(0, 768), 0);
    EXPECT_EQ(grid.cellX(2), 64 + 2 * 384);
    EXPECT_EQ(grid.cellX(3), 64);
    EXPECT_EQ(grid.cellYFromTop(5, 768), 384);
    const ShadowFaceGrid tall = shadowFaceGrid(150, 1000);
    EXPECT_EQ(tall.cellYFromTop(0, 1000), 50);
    EXPECT_EQ(tall.cellYFromTop(5, 1000), 50 + 5 * 150);
}
