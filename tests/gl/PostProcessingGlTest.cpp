// The bloom blur against a blur done on the CPU: the half-size blur must hold the 2 x 2 block
// averages of the full-size three-pass blur (taps four pixels apart, clamped at the edges).

#include "GlTestContext.h"
#include "gpu/Shader.h"
#include "render/PostProcessing.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace vantor;

namespace {

// One channel, rows bottom-up, values 0..1.
struct Plane {
    int width, height;
    std::vector<double> v;
    double at(int x, int y) const {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return v[size_t(y) * width + x];
    }
};

// One pass of the full-size blur: five taps four pixels apart along x or y.
Plane blurPassOnCpu(const Plane& in, bool horizontal) {
    const double weights[3] = {0.4026, 0.2442, 0.0545};
    Plane out{in.width, in.height, std::vector<double>(in.v.size())};
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            double sum = 0;
            for (int k = -2; k <= 2; ++k)
                sum += weights[std::abs(k)] * (horizontal ? in.at(x + 4 * k, y) : in.at(x, y + 4 * k));
            out.v[size_t(y) * in.width + x] = sum;
        }
    return out;
}

// Blurs an image of `width` x `height` whose channel c at (x, y) is pattern(x, y, c) with
// the real shaders and compares the blur with the CPU's away from the edges (where the two
// clamp differently: texels there, blocks here).
void expectBlockAveragesOfTheFullSizeBlur(int width, int height) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    glTestWindow();
    PostProcessing post(width, height);
    EXPECT_EQ(post.blurWidth, (width + 1) / 2);
    EXPECT_EQ(post.blurHeight, (height + 1) / 2);
    Shader gauss("../Quarnvale/Shader/texture.vert", "../Quarnvale/Shader/gauss.frag");

    // Sparse bright dots and bars on black, like lights in the bright image: sharp edges are
    // where a blur at another resolution would differ most.
    std::vector<unsigned char> bytes(size_t(width) * height * 4, 0);
    std::srand(7);
    for (int i = 0; i < width * height / 40; ++i) {
        const int x = std::rand() % width, y = std::rand() % height, c = std::rand() % 3;
        const int length = 1 + std::rand() % 6;
        for (int j = 0; j < length && x + j < width; ++j)
            bytes[(size_t(y) * width + x + j) * 4 + c] = static_cast<unsigned char>(128 + std::rand() % 128);
    }
    glBindTexture(GL_TEXTURE_2D, post.brightTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    post.blur(&gauss);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the blur leaves the depth test as it found it";
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "the blur leaves blending as it found it";
    ASSERT_FALSE(post.horizontal);

    std::vector<float> blurred(size_t(post.blurWidth) * post.blurHeight * 4);
    glBindTexture(GL_TEXTURE_2D, post.pingpongColorbuffers[1]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, blurred.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Horizontal taps reach 2 x 8 pixels over two passes, vertical ones 8.
    const int marginX = 16, marginY = 8;
    double worst = 0;
    int compared = 0;
    for (int c = 0; c < 3; ++c) {
        Plane plane{width, height, std::vector<double>(size_t(width) * height)};
        for (size_t i = 0; i < plane.v.size(); ++i)
            plane.v[i] = bytes[i * 4 + c] / 255.0;
        const Plane full = blurPassOnCpu(blurPassOnCpu(blurPassOnCpu(plane, true), false), true);
        for (int by = 0; by < post.blurHeight; ++by)
            for (int bx = 0; bx < post.blurWidth; ++bx) {
                const int x = 2 * bx, y = 2 * by;
                if (x < marginX || y < marginY || x + 1 >= width - marginX || y + 1 >= height - marginY)
                    continue;
                const double expected =
                    (full.at(x, y) + full.at(x + 1, y) + full.at(x, y + 1) + full.at(x + 1, y + 1)) / 4;
                const double got = blurred[(size_t(by) * post.blurWidth + bx) * 4 + c];
                worst = std::max(worst, std::abs(got - expected));
                ++compared;
            }
    }
    EXPECT_GT(compared, 0);
    // Three 8-bit intermediate images, each rounded, and 8-bit filter weights.
    EXPECT_LE(worst, 3.0 / 255.0);
}

} // namespace

TEST(BloomBlur, HalfSizeBlurHoldsTheBlockAveragesOfTheFullSizeBlur) {
    expectBlockAveragesOfTheFullSizeBlur(96, 64);
    // Odd sizes: the last block column and row hang over the image's edge.
    expectBlockAveragesOfTheFullSizeBlur(97, 61);
}
