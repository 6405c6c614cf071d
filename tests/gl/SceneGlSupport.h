#pragma once
// Scratch assets for the scene GL tests: a directory laid out like the demo's (an asset
// tree beside a build folder to run from), pictures written with FreeImage, a small
// off-screen target and a primitive counter.

#include <FreeImage.h>
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace scenegl {

namespace fs = std::filesystem;

// <scratch>/Quarnvale/{Textures,Objects} and <scratch>/build; `enterBuild` makes "../Quarnvale"
// resolve as it does for the demo, and the old working directory returns on destruction.
class AssetTree {
public:
    AssetTree() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = fs::temp_directory_path() / ("scene_gl_" + std::to_string(::getpid()) + "_" +
                                            std::string(info->test_suite_name()) + "_" + info->name());
        fs::create_directories(root / "Quarnvale/Textures");
        fs::create_directories(root / "Quarnvale/Objects");
        fs::create_directories(root / "build");
        previous = fs::current_path();
    }
    ~AssetTree() {
        std::error_code ignored;
        fs::current_path(previous, ignored);
        fs::remove_all(root, ignored);
    }
    void enterBuild() const { fs::current_path(root / "build"); }

    std::string write(const std::string& relative, const std::string& text) const {
        const fs::path path = root / relative;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // A picture filled with one colour; JPEG cannot hold alpha, so it is saved as 24-bit.
    std::string picture(const std::string& relative, unsigned width, unsigned height, BYTE r = 30,
                        BYTE g = 20, BYTE b = 10, BYTE a = 40, FREE_IMAGE_FORMAT format = FIF_PNG) const {
        const int bpp = format == FIF_JPEG ? 24 : 32;
        FIBITMAP* bitmap = FreeImage_Allocate(int(width), int(height), bpp);
        RGBQUAD quad{};
        quad.rgbRed = r;
        quad.rgbGreen = g;
        quad.rgbBlue = b;
        quad.rgbReserved = a;
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x)
                FreeImage_SetPixelColor(bitmap, x, y, &quad);
        const std::string path = (root / relative).string();
        EXPECT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), 0)) << path;
        FreeImage_Unload(bitmap);
        return path;
    }

    fs::path root;
    fs::path previous;
};

// A 64 x 64 colour target bound for drawing while the object lives.
class OffscreenTarget {
public:
    OffscreenTarget() {
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size, size);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glViewport(0, 0, size, size);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~OffscreenTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(1, &colour);
        glDeleteFramebuffers(1, &framebuffer);
    }
    // Red channel at the centre.
    int centreRed() const {
        unsigned char pixel[4] = {};
        glReadPixels(size / 2, size / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        return pixel[0];
    }
    static constexpr int size = 64;
    GLuint framebuffer = 0;
    GLuint colour = 0;
};

// Primitives that `drawCall` sends down the pipeline.
template <typename Draw> GLuint primitivesGenerated(Draw drawCall) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    drawCall();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint count = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

} // namespace scenegl
