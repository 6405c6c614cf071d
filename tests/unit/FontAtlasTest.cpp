// The committed glyph atlas as the overlay reads it: every printable character but the space
// has ink, all of it inside the glyph box the renderer's quads cover (so a cell never bleeds
// into a neighbour and the shadow's read stays in the cell), no two characters look the same,
// and the cells of codes the renderer never draws are empty.

#include "gpu/Image.h"
#include "render/HudText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

TEST(FontAtlas, EveryPrintableGlyphHasDistinctInkInsideItsBox) {
    unsigned width = 0;
    unsigned height = 0;
    const std::vector<unsigned char> rgba =
        loadImageRGBA(std::string(SOURCE_DIR) + "/Quarnvale/Textures/font.png", width, height);
    ASSERT_EQ(width, 16u * FontLayout::cellWidth);
    ASSERT_EQ(height, 16u * FontLayout::cellHeight);
    // As the text shader reads it: red times alpha. Rows arrive bottom-up.
    auto inked = [&](int x, int rowFromTop) {
        const unsigned char* p = &rgba[(size_t(height - 1 - rowFromTop) * width + size_t(x)) * 4];
        return p[0] * p[3] > 0;
    };

    std::map<std::string, char> seen; // glyph bitmap -> the character that drew it
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(testing::Message() << "code " << code << " '" << char(code) << "'");
        const int cellLeft = (code % 16) * FontLayout::cellWidth;
        const int cellTop = (code / 16) * FontLayout::cellHeight;
        std::string bitmap;
        int inside = 0;
        int outside = 0;
        for (int row = 0; row < FontLayout::cellHeight; ++row) {
            for (int x = 0; x < FontLayout::cellWidth; ++x) {
                const bool ink = inked(cellLeft + x, cellTop + row);
                const bool inBox =
                    x >= FontLayout::glyphLeft && x < FontLayout::glyphLeft + FontLayout::glyphWidth &&
                    row >= FontLayout::glyphTop && row < FontLayout::glyphTop + FontLayout::glyphHeight;
                (inBox ? inside : outside) += ink;
                bitmap += ink ? '#' : '.';
            }
        }
        EXPECT_EQ(outside, 0);
        const bool drawn = code > ' ' && code <= FontLayout::lastPrintable;
        if (!drawn) {
            EXPECT_EQ(inside, 0);
            continue;
        }
        EXPECT_GT(inside, 0);
        const auto [other, fresh] = seen.emplace(bitmap, char(code));
        EXPECT_TRUE(fresh) << "looks the same as '" << other->second << "'";
    }
}
