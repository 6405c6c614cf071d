#include "gpu/Texture.h"
#include "gpu/Image.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace vantor;

namespace {

namespace fs = std::filesystem;

const std::string data = TESTDATA_DIR;

struct Rgb {
    BYTE r, g, b;
};

// Saves a 24-bit picture (no alpha) whose rows are given top row first, as a viewer shows them.
std::string savePicture(const std::string& name, const std::vector<std::vector<Rgb>>& topDownRows,
                        FREE_IMAGE_FORMAT format = FIF_PNG) {
    const unsigned height = unsigned(topDownRows.size());
    const unsigned width = unsigned(topDownRows[0].size());
    FIBITMAP* bitmap = FreeImage_Allocate(int(width), int(height), 24);
    for (unsigned row = 0; row < height; ++row) {
        for (unsigned x = 0; x < width; ++x) {
            const Rgb c = topDownRows[row][x];
            RGBQUAD quad{};
            quad.rgbRed = c.r;
            quad.rgbGreen = c.g;
            quad.rgbBlue = c.b;
            FreeImage_SetPixelColor(bitmap, x, height - 1 - row, &quad); // FreeImage counts y from the bottom
        }
    }
    const std::string path = ::testing::TempDir() + name;
    EXPECT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), 0));
    FreeImage_Unload(bitmap);
    return path;
}

struct Level {
    GLint width = -1;
    GLint height = -1;
};

Level levelSize(GLint level) {
    Level l;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &l.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &l.height);
    return l;
}

std::vector<unsigned char> readLevel0(const Texture& texture) {
    glBindTexture(GL_TEXTURE_2D, texture.handle);
    const Level l = levelSize(0);
    std::vector<unsigned char> pixels(size_t(l.width) * l.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

TEST(Texture, OpaqueRedPixelUploadsAsRgba) {
    const std::string path = savePicture("texture_red.png", {{{255, 0, 0}}});
    const Texture texture(path);
    EXPECT_EQ(readLevel0(texture), (std::vector<unsigned char>{255, 0, 0, 255}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Texture, RowZeroIsTheBottomOfThePicture) {
    // Top row red, bottom row blue: t = 0 (row 0 of the upload) must be blue.
    const std::string path =
        savePicture("texture_rows.png", {{{255, 0, 0}, {255, 0, 0}}, {{0, 0, 255}, {0, 0, 255}}});
    const Texture texture(path);
    const std::vector<unsigned char> pixels = readLevel0(texture);
    ASSERT_EQ(pixels.size(), 16u);
    EXPECT_EQ(std::vector<unsigned char>(pixels.begin(), pixels.begin() + 4),
              (std::vector<unsigned char>{0, 0, 255, 255}));
    EXPECT_EQ(std::vector<unsigned char>(pixels.begin() + 8, pixels.begin() + 12),
              (std::vector<unsigned char>{255, 0, 0, 255}));

    // The same with a real file: g_rgb24's top-left is red, its bottom-left black.
    const Texture bmp(data + "/bmp/g_rgb24.bmp");
    const std::vector<unsigned char> bmpPixels = readLevel0(bmp);
    ASSERT_EQ(bmpPixels.size(), 127u * 64 * 4);
    const size_t topLeft = size_t(63) * 127 * 4;
    EXPECT_EQ(std::vector<unsigned char>(bmpPixels.begin(), bmpPixels.begin() + 4),
              (std::vector<unsigned char>{0, 0, 0, 255}));
    EXPECT_EQ(std::vector<unsigned char>(bmpPixels.begin() + topLeft, bmpPixels.begin() + topLeft + 4),
              (std::vector<unsigned char>{255, 0, 0, 255}));
}

TEST(Texture, FormatComesFromTheContentNotTheName) {
    const std::string disguised = ::testing::TempDir() + "texture_really_a_png.jpg";
    fs::copy_file(data + "/png/basn2c08.png", disguised, fs::copy_options::overwrite_existing);
    const Texture texture(disguised);
    glBindTexture(GL_TEXTURE_2D, texture.handle);
    const Level l = levelSize(0);
    EXPECT_EQ(l.width, 32);
    EXPECT_EQ(l.height, 32);
}

TEST(Texture, MissingFileGivesAnEmptyTextureSilently) {
    ::testing::internal::CaptureStdout();
    const Texture texture(::testing::TempDir() + "texture_no_such_file.png");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(texture.handle, 0u);
    glBindTexture(GL_TEXTURE_2D, texture.handle);
    const Level l = levelSize(0);
    EXPECT_EQ(l.width, 0);
    EXPECT_EQ(l.height, 0);
    while (glGetError() != GL_NO_ERROR) {
    }
}

TEST(Texture, LeavesUnitZeroActiveAndBindMovesIt) {
    glActiveTexture(GL_TEXTURE3);
    const std::string path = savePicture("texture_units.png", {{{1, 2, 3}}});
    Texture texture(path);
    GLint active = 0, bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(GLuint(bound), texture.handle);

    glBindTexture(GL_TEXTURE_2D, 0);
    texture.bind(2);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, GL_TEXTURE2);
    EXPECT_EQ(GLuint(bound), texture.handle);
    glActiveTexture(GL_TEXTURE0);
}

TEST(Texture, MipmappedWithRepeatAndTrilinearFiltering) {
    const Texture texture(data + "/png/basn2c08.png");
    glBindTexture(GL_TEXTURE_2D, texture.handle);
    GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);
    EXPECT_EQ(levelSize(5).width, 1); // 32 -> 16 -> 8 -> 4 -> 2 -> 1
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Texture, DestructorReleasesTheName) {
    GLuint handle = 0;
    {
        const Texture texture(data + "/png/basn0g08.png");
        handle = texture.handle;
        EXPECT_TRUE(glIsTexture(handle));
    }
    EXPECT_FALSE(glIsTexture(handle));
}

TEST(Texture, EveryTestImageUploadsWhatTheDecoderGives) {
    // Good, questionable and corrupt files alike: the texture has exactly the decoded size.
    for (const char* dir : {"png", "jpeg", "bmp"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(data + "/" + dir)) {
            const std::string path = entry.path().string();
            unsigned width = 0, height = 0;
            const std::vector<unsigned char> expected = loadImageRGBA(path, width, height);
            const Texture texture(path);
            glBindTexture(GL_TEXTURE_2D, texture.handle);
            const Level l = levelSize(0);
            EXPECT_EQ(GLuint(l.width), width) << path;
            EXPECT_EQ(GLuint(l.height), height) << path;
            if (width > 0) {
                EXPECT_TRUE(readLevel0(texture) == expected) << path;
            }
            while (glGetError() != GL_NO_ERROR) {
            }
        }
    }
}

} // namespace
