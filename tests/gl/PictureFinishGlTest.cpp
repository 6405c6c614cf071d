// The passes on the finished picture, judged by how close they bring it to a better one, on the
// glide (3 s), the orbit (20 s) and the late orbit (48 s), bloom off (its kernel is in pixels):
// FXAA at 320 x 192 against the same frame drawn at 640 x 384 and box-filtered 2 x 2 down; the
// sharp upscale from render scale 0.5 at 320 x 192 against the same frame at scale 1. One Game,
// resized between the sizes, so every picture shows the same scene. At their defaults neither
// pass builds a program.

#include "GlTestContext.h"
#include "SteppedFlight.h"
#include "render/Game.h"
#include "render/GameParts.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <vector>

using namespace vantor;

namespace {

using Bytes = std::vector<unsigned char>;

// The window's lower-left `width` x `height` pixels after one frame, RGBA, rows bottom-up.
Bytes renderedCorner(Game& game, int width, int height) {
    game.render();
    glFinish();
    Bytes pixels(size_t(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Each `factor` x `factor` block averaged, as a box filter does.
Bytes boxedDown(const Bytes& big, int width, int height, int factor) {
    const int w = width / factor, h = height / factor;
    Bytes small(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum += big[(size_t(y * factor + dy) * width + x * factor + dx) * 4 + c];
                small[(size_t(y) * w + x) * 4 + c] =
                    static_cast<unsigned char>((sum + factor * factor / 2) / (factor * factor));
            }
    return small;
}

// Peak signal-to-noise ratio in dB over the colour channels, or over the luminance alone.
double psnr(const Bytes& a, const Bytes& b, bool luminance) {
    double sum = 0.0;
    size_t count = 0;
    for (size_t i = 0; i + 3 < a.size(); i += 4) {
        if (luminance) {
            const auto y = [](const Bytes& p, size_t j) {
                return 0.299 * p[j] + 0.587 * p[j + 1] + 0.114 * p[j + 2];
            };
            sum += std::pow(y(a, i) - y(b, i), 2.0);
            ++count;
        } else
            for (size_t c = 0; c < 3; ++c, ++count)
                sum += std::pow(double(a[i + c]) - double(b[i + c]), 2.0);
    }
    const double mse = sum / double(count);
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// On from `from` to `to` seconds in the flight's half-second steps, as SteppedFlight goes there.
void flyOn(Game& game, double from, double to) {
    for (double now = from + 0.5; now <= to + 1e-9; now += 0.5) {
        glfwSetTime(now);
        game.deltaTime = 0.5;
        game.update();
    }
}

} // namespace

TEST(PictureFinishGl, FxaaAndTheSharpUpscaleBringThePictureCloserToItsReference) {
    const std::unique_ptr<Game> game = gameFlownTo(3.0, 640, 384);
    game->settings.bloom = false;
    double previous = 3.0, fxaaGain = 0.0, sharpGain = 0.0;
    for (const double seconds : {3.0, 20.0, 48.0}) {
        flyOn(*game, previous, seconds);
        previous = seconds;

        game->settings = RenderSettings{};
        game->settings.bloom = false;
        ASSERT_TRUE(game->resize(640, 384));
        const Bytes reference = boxedDown(renderedCorner(*game, 640, 384), 640, 384, 2);
        ASSERT_TRUE(game->resize(320, 192));
        const Bytes plain = renderedCorner(*game, 320, 192);
        if (seconds == 3.0) {
            EXPECT_FALSE(game->passes->fxaa->shader) << "FXAA off builds nothing";
        }
        game->settings.aa = AaFxaa;
        const Bytes smoothed = renderedCorner(*game, 320, 192);
        const double off = psnr(plain, reference, false), fxaa = psnr(smoothed, reference, false);
        fxaaGain += fxaa - off;
        EXPECT_GT(fxaa, off) << "t = " << seconds << " s: FXAA " << fxaa << " dB, off " << off << " dB";

        game->settings = RenderSettings{};
        game->settings.bloom = false;
        ASSERT_TRUE(game->resize(320, 192));
        const Bytes full = renderedCorner(*game, 320, 192);
        game->settings.renderScale = 0.5f;
        const Bytes bilinear = renderedCorner(*game, 320, 192);
        if (seconds == 3.0) {
            EXPECT_FALSE(game->passes->sharpUpscale->upscale) << "the bilinear stretch builds nothing";
        }
        game->settings.upscale = UpscaleSharp;
        const Bytes sharp = renderedCorner(*game, 320, 192);
        const double stretched = psnr(bilinear, full, true), sharpened = psnr(sharp, full, true);
        sharpGain += sharpened - stretched;
        EXPECT_GT(sharpened, stretched)
            << "t = " << seconds << " s: sharp " << sharpened << " dB, bilinear " << stretched << " dB";
        std::cout << "t = " << seconds << " s: FXAA " << fxaa << " against " << off << " dB; sharp "
                  << sharpened << " against " << stretched << " dB\n";
    }
    // Each frame closer, and the three together clearly (the late orbit's gain from FXAA is small:
    // few of its edges are the level's outline).
    EXPECT_GT(fxaaGain / 3.0, 0.2);
    EXPECT_GT(sharpGain / 3.0, 0.2);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Ambient occlusion at the orbit (20 s) with no coloured lights, where the ambient shows: most of
// the screen (open walls, floor, ceiling) keeps all of it, the creases and corners lose some, and
// the lit picture only ever darkens where the occlusion says so.
TEST(PictureFinishGl, AmbientOcclusionDarkensCornersAndLeavesOpenSurfaces) {
    const std::unique_ptr<Game> game = gameFlownTo(20.0, 320, 192, 0);
    game->settings.bloom = false;
    const Bytes open = renderedCorner(*game, 320, 192);
    EXPECT_FALSE(game->passes->ambientOcclusion->occlusion) << "off, it builds nothing";
    game->settings.ssao = true;
    const Bytes occluded = renderedCorner(*game, 320, 192);
    ASSERT_NE(game->passes->occlusionTexture, 0u);

    const int w = (320 + 1) / 2, h = (192 + 1) / 2;
    std::vector<unsigned char> kept(size_t(w) * h * 4);
    glBindTexture(GL_TEXTURE_2D, game->passes->occlusionTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, kept.data());
    size_t whole = 0, darkened = 0;
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        whole += kept[4 * i] >= 250;
        darkened += kept[4 * i] < 230;
    }
    const double pixels = double(w) * h;
    EXPECT_GT(whole / pixels, 0.4) << "open surfaces keep their ambient";

    // The blur is the 4 x 4 block's average around each pixel (from 2 before to 1 after it on
    // each axis, clamped at the border), whichever way the pass reads it: within the rounding of
    // 8-bit bilinear reads, far below what a read a pixel off gives (about 17 here).
    std::vector<unsigned char> raw(size_t(w) * h * 4);
    glBindTexture(GL_TEXTURE_2D, game->passes->ambientOcclusion->raw.texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int dy = -2; dy < 2; ++dy)
                for (int dx = -2; dx < 2; ++dx)
                    sum += raw[4 * (size_t(std::clamp(y + dy, 0, h - 1)) * w + std::clamp(x + dx, 0, w - 1))];
            worst = std::max(worst, std::abs(kept[4 * (size_t(y) * w + x)] - (sum + 8) / 16));
        }
    EXPECT_LE(worst, 2) << "the blur is not the 4 x 4 average";

    EXPECT_GT(darkened / pixels, 0.03) << "creases and corners lose some";
    EXPECT_LT(darkened / pixels, 0.3);

    size_t darker = 0, brighter = 0;
    for (size_t i = 0; i < open.size(); i += 4)
        for (int c = 0; c < 3; ++c) {
            darker += occluded[i + c] < open[i + c];
            brighter += occluded[i + c] > open[i + c];
        }
    EXPECT_EQ(brighter, 0u);
    EXPECT_GT(darker, open.size() / 100);
    game->settings.ssao = false;
    EXPECT_EQ(renderedCorner(*game, 320, 192), open) << "off again, the same picture";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
