#include "gpu/Image.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include "platform/Memory.h"
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

using namespace vantor;

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

std::string fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
        // The header read before decoding tells the size the decoder then gives.
        const std::string bytes = fileBytes(data + "/" + g.file);
        ImageHeader header;
        EXPECT_TRUE(
            readImageHeader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), header))
            << g.file;
        EXPECT_EQ(header.width, g.width) << g.file;
        EXPECT_EQ(header.height, g.height) << g.file;
        EXPECT_LE(header.leastFileBytes, bytes.size()) << g.file;
        const Decoded d = decode(data + "/" + g.file);
        EXPECT_EQ(d.width, g.width) << g.file;
        EXPECT_EQ(d.height, g.height) << g.file;
        EXPECT_EQ(d.rgba.size(), size_t(g.width) * g.height * 4) << g.file;
    }
}

// Standard output stays the program's own; each failure is one line on standard error that names
// the file.
TEST(Image, UnreadableFilesGiveAnEmptyImageAndOneLineOnStandardError) {
    const std::string dir = ::testing::TempDir();
    const std::string empty = dir + "image_test_empty.png";
    std::ofstream(empty).close();
    const std::string bad[] = {"png/xs1n0g01.png",   "png/xcrn0g04.png", "png/xhdn0g08.png",
                               "png/xdtn0g01.png",   "bmp/b_badrle.bmp", "bmp/b_shortfile.bmp",
                               "bmp/b_reallybig.bmp"};

    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    std::vector<std::string> named;
    for (const std::string& file : bad) {
        named.push_back(data + "/" + file);
        const Decoded d = decode(data + "/" + file);
        EXPECT_EQ(d.width, 0u) << file;
        EXPECT_EQ(d.height, 0u) << file;
        EXPECT_TRUE(d.rgba.empty()) << file;
    }
    for (const std::string& path : {empty, dir + "image_test_no_such_file.png", dir}) {
        named.push_back(path);
        const Decoded d = decode(path);
        EXPECT_EQ(d.width + d.height, 0u) << path;
        EXPECT_TRUE(d.rgba.empty()) << path;
    }
    // Valid BMPs this FreeImage cannot read (BITMAPV5HEADER): whatever comes back is consistent.
    for (const char* file : {"bmp/q_rgba32.bmp", "bmp/pngsuite_basn2c08.bmp", "bmp/pngsuite_basn6a08.bmp"}) {
        const Decoded d = decode(data + "/" + file);
        EXPECT_EQ(d.rgba.size(), size_t(d.width) * d.height * 4) << file;
        if (d.rgba.empty())
            named.push_back(data + "/" + file);
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = errors.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(errors.substr(start, end - start));
    ASSERT_EQ(lines.size(), named.size()) << errors;
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].rfind("Image not loaded: " + named[i] + ": ", 0), 0u) << lines[i];
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
        if (!FreeImage_FIFSupportsWriting(c.format))
            continue; // a FreeImage built without that format's library (the Windows cross build's TIFF)
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

std::string le16(unsigned v) {
    return {char(v & 0xff), char(v >> 8 & 0xff)};
}
std::string le32(unsigned v) {
    return le16(v & 0xffff) + le16(v >> 16);
}
std::string be32(unsigned v) {
    return {char(v >> 24 & 0xff), char(v >> 16 & 0xff), char(v >> 8 & 0xff), char(v & 0xff)};
}

// A BMP of `size` bytes whose header claims width x height at 24 bits, `compression` as given.
std::string bmpClaiming(unsigned width, unsigned height, unsigned compression, size_t size) {
    std::string bmp = "BM" + le32(unsigned(size)) + le32(0) + le32(54) + le32(40) + le32(width) +
                      le32(height) + le16(1) + le16(compression == 1 ? 8 : 24) + le32(compression) + le32(0) +
                      le32(2835) + le32(2835) + le32(0) + le32(0);
    bmp.resize(size, '\x7f');
    return bmp;
}

std::string pngClaiming(unsigned width, unsigned height) {
    const std::string signature = "\x89PNG\r\n\x1a\n";
    return signature + be32(13) + "IHDR" + be32(width) + be32(height) +
           std::string("\x08\x02\x00\x00\x00", 5) + be32(0) + be32(0) + "IEND" + be32(0);
}

long peakKilobytes() {
    return long(peakResidentMemoryBytes() / 1024);
}

struct Refusal {
    std::string bytes;
    const char* why; // the start of the reason given
};

// Sizes the file cannot hold are refused from the header, before the decoder allocates the
// bitmap: a 118-byte BMP claiming 16000 x 4000 costs nothing.
TEST(Image, ClaimsTheFileCannotHoldAreRefusedBeforeDecoding) {
    const std::string png = fileBytes(data + "/png/basn2c08.png");
    const std::string jpeg = fileBytes(data + "/jpeg/testorig.jpg");
    const Refusal refusals[] = {
        {bmpClaiming(16000, 4000, 0, 118), "file of 118 bytes is too short for 16000 x 4000 pixels"},
        {bmpClaiming(16000, 4000, 1, 118), "file of 118 bytes is too short for 16000 x 4000 pixels"},
        {bmpClaiming(60000, 60000, 0, 118), "picture of 60000 x 60000 is larger"},
        {bmpClaiming(0, 10, 0, 118), "header claims an empty picture"},
        {pngClaiming(16000, 4000), "file of 45 bytes is too short for 16000 x 4000 pixels"},
        {pngClaiming(65535, 65535), "picture of 65535 x 65535 is larger"},
        {png.substr(0, 20), "damaged header"},
        {png.substr(0, png.size() / 2), "the decoder cannot read it"},
        {jpeg.substr(0, 20), "damaged header"},
        {"", "empty file"},
        {"garbage, not a picture at all", "not a PNG, JPEG or BMP picture"}};
    const long before = peakKilobytes();
    for (const Refusal& r : refusals) {
        unsigned width = 1, height = 1;
        std::string why;
        const std::vector<unsigned char> rgba = decodeImageRGBA(
            reinterpret_cast<const unsigned char*>(r.bytes.data()), r.bytes.size(), width, height, why);
        EXPECT_TRUE(rgba.empty()) << r.why;
        EXPECT_EQ(width + height, 0u) << r.why;
        EXPECT_EQ(why.rfind(r.why, 0), 0u) << why;
    }
    EXPECT_LT(peakKilobytes() - before, 32 * 1024) << "peak memory grew while refusing";

    // The same picture whole still decodes, so the ratio tests leave real files alone.
    unsigned width = 0, height = 0;
    std::string why;
    EXPECT_EQ(
        decodeImageRGBA(reinterpret_cast<const unsigned char*>(png.data()), png.size(), width, height, why)
            .size(),
        32u * 32 * 4);
    EXPECT_EQ(why, "");
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
