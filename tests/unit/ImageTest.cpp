#include "gpu/Image.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

const std::string data = TESTDATA_DIR;

struct Decoded {
    std::vector<unsigned char> rgba;
    unsigned width = 7;
    unsigned height = 7;

    // Rows are bottom-up: row 0 is the bottom of the picture as a viewer shows it.
    const unsigned char* pixel(unsigned x, unsigned row) const {
        return &rgba[(size_t(row) * width + x) * 4];
    }
    std::vector<int> rgbaAt(unsigned x, unsigned row) const {
        const unsigned char* p = pixel(x, row);
        return {p[0], p[1], p[2], p[3]};
    }
};

Decoded decode(const std::string& path) {
    Decoded d;
    d.rgba = loadImageRGBA(path, d.width, d.height);
    return d;
}

struct Good {
    const char* file;
    unsigned width;
    unsigned height;
};

TEST(Image, GoodFilesLoadWithTheirSize) {
    const Good good[] = {{"png/basn0g01.png", 32, 32},
                         {"png/basn0g08.png", 32, 32},
                         {"png/basn0g16.png", 32, 32},
                         {"png/basn2c08.png", 32, 32},
                         {"png/basn2c16.png", 32, 32},
                         {"png/basn3p01.png", 32, 32},
                         {"png/basn3p08.png", 32, 32},
                         {"png/basn4a08.png", 32, 32},
                         {"png/basn6a08.png", 32, 32},
                         {"png/basn6a16.png", 32, 32},
                         {"png/basi0g08.png", 32, 32},
                         {"png/basi2c08.png", 32, 32},
                         {"png/basi3p08.png", 32, 32},
                         {"png/basi6a08.png", 32, 32},
                         {"png/tbrn2c08.png", 32, 32},
                         {"png/tp1n3p08.png", 32, 32},
                         {"png/s01n3p01.png", 1, 1},
                         {"png/s07i3p02.png", 7, 7},
                         {"png/z00n2c08.png", 32, 32},
                         {"jpeg/testorig.jpg", 227, 149},
                         {"jpeg/testimgp.jpg", 227, 149},
                         {"jpeg/testimggray.jpg", 227, 149},
                         {"jpeg/pil_sample_cmyk.jpg", 100, 100},
                         {"bmp/g_rgb24.bmp", 127, 64},
                         {"bmp/g_rgb32.bmp", 127, 64},
                         {"bmp/g_rgb32bf.bmp", 127, 64},
                         {"bmp/g_rgb16-565.bmp", 127, 64},
                         {"bmp/g_pal8.bmp", 127, 64},
                         {"bmp/g_pal8rle.bmp", 127, 64},
                         {"bmp/g_pal8topdown.bmp", 127, 64},
                         {"bmp/g_pal8os2.bmp", 127, 64},
                         {"bmp/g_pal4rle.bmp", 127, 64},
                         {"bmp/g_pal1.bmp", 127, 64}};
    for (const Good& g : good) {
        const Decoded d = decode(data + "/" + g.file);
        EXPECT_EQ(d.width, g.width) << g.file;
        EXPECT_EQ(d.height, g.height) << g.file;
        EXPECT_EQ(d.rgba.size(), size_t(g.width) * g.height * 4) << g.file;
    }
}

TEST(Image, UnreadableFilesGiveAnEmptyImageSilently) {
    const std::string dir = ::testing::TempDir();
    const std::string empty = dir + "image_test_empty.png";
    std::ofstream(empty).close();
    const std::string bad[] = {"png/xs1n0g01.png",   "png/xcrn0g04.png", "png/xhdn0g08.png",
                               "png/xdtn0g01.png",   "bmp/b_badrle.bmp", "bmp/b_shortfile.bmp",
                               "bmp/b_reallybig.bmp"};

    ::testing::internal::CaptureStdout();
    for (const std::string& file : bad) {
        const Decoded d = decode(data + "/" + file);
        EXPECT_EQ(d.width, 0u) << file;
        EXPECT_EQ(d.height, 0u) << file;
        EXPECT_TRUE(d.rgba.empty()) << file;
    }
    for (const std::string& path : {empty, dir + "image_test_no_such_file.png", dir}) {
        const Decoded d = decode(path);
        EXPECT_EQ(d.width + d.height, 0u) << path;
        EXPECT_TRUE(d.rgba.empty()) << path;
    }
    // Valid BMPs this FreeImage cannot read (BITMAPV5HEADER): whatever comes back is consistent.
    for (const char* file : {"bmp/q_rgba32.bmp", "bmp/pngsuite_basn2c08.bmp", "bmp/pngsuite_basn6a08.bmp"}) {
        const Decoded d = decode(data + "/" + file);
        EXPECT_EQ(d.rgba.size(), size_t(d.width) * d.height * 4) << file;
    }
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    std::remove(empty.c_str());
}

// A header's size is all FreeImage needs to allocate and clear the whole bitmap, so a few bytes
// claiming 65535 x 65535 would cost tens of gigabytes; such sizes are refused from the header.
// Formats other than PNG, JPEG and BMP are refused too (FreeImage's TGA guess lets damaged files
// of any kind into a decoder that crashes; tests/fuzz/corpus/image keeps such a file).
TEST(Image, OtherFormatsAndOversizedPicturesAreRefused) {
    struct Case {
        FREE_IMAGE_FORMAT format;
        unsigned width, height, bpp;
        bool loads;
    };
    const Case cases[] = {{FIF_BMP, 16384, 1, 24, true},   {FIF_BMP, 16385, 1, 24, false},
                          {FIF_BMP, 1, 16385, 24, false},  {FIF_PNG, 8192, 8192, 1, true},
                          {FIF_PNG, 8192, 8193, 1, false}, {FIF_TARGA, 4, 4, 24, false},
                          {FIF_TIFF, 4, 4, 24, false}};
    const std::string path = ::testing::TempDir() + "image_test_size";
    for (const Case& c : cases) {
        FIBITMAP* bitmap = FreeImage_Allocate(int(c.width), int(c.height), int(c.bpp));
        ASSERT_NE(bitmap, nullptr);
        ASSERT_TRUE(FreeImage_Save(c.format, bitmap, path.c_str()));
        FreeImage_Unload(bitmap);
        const Decoded d = decode(path);
        EXPECT_EQ(d.width, c.loads ? c.width : 0u) << c.width << " x " << c.height;
        EXPECT_EQ(d.height, c.loads ? c.height : 0u) << c.width << " x " << c.height;
        EXPECT_EQ(d.rgba.size(), size_t(d.width) * d.height * 4);
    }
    std::remove(path.c_str());
}

TEST(Image, RowsAreBottomUpAndChannelsRgba) {
    // The picture's top-left is red and its bottom-left black: catches a row flip and a red/blue swap.
    for (const char* file : {"bmp/g_rgb24.bmp", "bmp/g_pal8.bmp"}) {
        const Decoded d = decode(data + "/" + file);
        ASSERT_EQ(d.height, 64u) << file;
        EXPECT_EQ(d.rgbaAt(0, d.height - 1), (std::vector<int>{255, 0, 0, 255})) << file;
        EXPECT_EQ(d.rgbaAt(0, 0), (std::vector<int>{0, 0, 0, 255})) << file;
    }
}

TEST(Image, EncodingsOfOnePictureDecodeAlike) {
    const char* groups[][4] = {
        {"bmp/g_rgb24.bmp", "bmp/g_rgb32.bmp", nullptr, nullptr},
        {"bmp/g_pal8.bmp", "bmp/g_pal8rle.bmp", "bmp/g_pal8topdown.bmp", "bmp/g_pal8os2.bmp"},
        {"png/basn0g08.png", "png/basi0g08.png", nullptr, nullptr},
        {"png/basn2c08.png", "png/basi2c08.png", nullptr, nullptr},
        {"png/basn3p08.png", "png/basi3p08.png", nullptr, nullptr},
        {"png/basn6a08.png", "png/basi6a08.png", nullptr, nullptr}};
    for (const auto& group : groups) {
        const Decoded first = decode(data + "/" + group[0]);
        ASSERT_FALSE(first.rgba.empty()) << group[0];
        for (int i = 1; i < 4 && group[i]; ++i)
            EXPECT_TRUE(decode(data + "/" + group[i]).rgba == first.rgba) << group[0] << " vs " << group[i];
    }
}

TEST(Image, AlphaIsKeptOnlyWhereThePictureHasIt) {
    // The fourth byte of g_rgb32 is unused padding (0), so the picture must come out opaque.
    const Decoded rgb32 = decode(data + "/bmp/g_rgb32.bmp");
    ASSERT_FALSE(rgb32.rgba.empty());
    for (size_t p = 3; p < rgb32.rgba.size(); p += 4)
        ASSERT_EQ(rgb32.rgba[p], 255) << "pixel " << p / 4;

    const Decoded jpeg = decode(data + "/jpeg/testorig.jpg");
    ASSERT_FALSE(jpeg.rgba.empty());
    for (size_t p = 3; p < jpeg.rgba.size(); p += 4)
        ASSERT_EQ(jpeg.rgba[p], 255) << "pixel " << p / 4;

    // A real alpha channel survives: basn6a08 is transparent at the top-left, opaque at the top-right.
    const Decoded rgba = decode(data + "/png/basn6a08.png");
    ASSERT_EQ(rgba.width, 32u);
    EXPECT_EQ(rgba.pixel(0, 31)[3], 0);
    EXPECT_EQ(rgba.pixel(31, 31)[3], 255);
}

TEST(Image, SixteenBitGreyscaleLoads) {
    const Decoded d = decode(data + "/png/basn0g16.png");
    ASSERT_EQ(d.width, 32u);
    ASSERT_EQ(d.height, 32u);
    int lowest = 255, highest = 0;
    for (size_t p = 0; p < d.rgba.size(); p += 4) {
        EXPECT_EQ(d.rgba[p], d.rgba[p + 1]);
        EXPECT_EQ(d.rgba[p], d.rgba[p + 2]);
        EXPECT_EQ(d.rgba[p + 3], 255);
        lowest = std::min<int>(lowest, d.rgba[p]);
        highest = std::max<int>(highest, d.rgba[p]);
    }
    // A gradient, not a constant: the high bytes of the samples span most of the range.
    EXPECT_LT(lowest, 16);
    EXPECT_GT(highest, 240);
}

} // namespace
