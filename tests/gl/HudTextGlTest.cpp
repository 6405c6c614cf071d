// Overlay text rendered for real into an offscreen target and read back: glyphs land in the
// columns the layout puts them at, over a darkened box and nothing outside it; the draw goes
// through whatever depth, cull, scissor and blend state it finds and leaves that state as it was.

#include "GlTestContext.h"
#include "gpu/Shader.h"
#include "render/HudText.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const int width = 240;
const int height = 72;
const unsigned char background = 230;

// A colour and depth target of width x height, cleared to light grey and depth `clearDepth`.
class Target {
public:
    explicit Target(double clearDepth = 1.0) {
        glTestWindow();
        glGenTextures(1, &colour);
        glBindTexture(GL_TEXTURE_2D, colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, width, height);
        glClearColor(background / 255.0f, background / 255.0f, background / 255.0f, 1.0f);
        glClearDepth(clearDepth);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        glClearColor(0, 0, 0, 0);
    }
    ~Target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &depth);
        glDeleteTextures(1, &colour);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    // Red channel, rows from the top as the text is laid out.
    std::vector<unsigned char> read() const {
        std::vector<unsigned char> rgba(size_t(width) * height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<unsigned char> red(size_t(width) * height);
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < width; ++x)
                red[size_t(row) * width + x] = rgba[(size_t(height - 1 - row) * width + x) * 4];
        return red;
    }

    GLuint framebuffer = 0, colour = 0, depth = 0;
};

bool isInk(unsigned char red) {
    return red > 240;
}

// Columns holding ink between rows [top, bottom), as runs [first, last + 1).
std::vector<std::pair<int, int>> inkRuns(const std::vector<unsigned char>& red, int top, int bottom) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < width; ++x) {
        bool ink = false;
        for (int row = top; row < bottom; ++row)
            ink |= isInk(red[size_t(row) * width + x]);
        if (ink && !runs.empty() && runs.back().second == x)
            runs.back().second = x + 1;
        else if (ink)
            runs.push_back({x, x + 1});
    }
    return runs;
}

} // namespace

TEST(HudText, DrawsGlyphsWhereTheLayoutPutsThemOnADarkBox) {
    HudText text;
    for (int scale : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        Target target;
        const int left = 10, top = 4;
        const std::vector<std::string> lines = {"I I I", "HUD 123"};
        text.draw(lines, left, top, scale, width, height);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        const std::vector<unsigned char> red = target.read();

        // The box darkens what is under it and nothing else changes.
        const glm::ivec2 box = HudText::boxSize(lines, scale);
        EXPECT_EQ(box, glm::ivec2(7 * 6 + 6, 2 * 11 - 1 + 6) * scale);
        int changedOutside = 0;
        int darkInside = 0;
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                const bool inside = x >= left && x < left + box.x && row >= top && row < top + box.y;
                const unsigned char value = red[size_t(row) * width + x];
                if (!inside)
                    changedOutside += value != background;
                else
                    darkInside += value < background / 2;
            }
        }
        EXPECT_EQ(changedOutside, 0);
        EXPECT_GT(darkInside, box.x * box.y * 3 / 4);

        // "I I I": each I is ink in columns 1..3 of its glyph box, the pen moving 6 texels.
        const int pen = left + FontLayout::boxPadding * scale;
        const int line0 = top + FontLayout::boxPadding * scale;
        const int line1 = line0 + FontLayout::lineHeight * scale;
        std::vector<std::pair<int, int>> expected;
        for (int slot : {0, 2, 4})
            expected.push_back({pen + (slot * 6 + 1) * scale, pen + (slot * 6 + 4) * scale});
        EXPECT_EQ(inkRuns(red, line0, line1), expected);
        // Its serif casts a shadow one texel down and to the right, darker than the box.
        const size_t serifShadow = size_t(line0 + scale) * width + size_t(pen + 4 * scale);
        EXPECT_LT(red[serifShadow], 40);

        // "HUD 123": six separate glyphs, none of them spilling into the line above.
        EXPECT_EQ(inkRuns(red, line1, top + box.y).size(), 6u);
        EXPECT_EQ(inkRuns(red, line1, top + box.y).front().first, pen);
    }
}

TEST(HudText, DrawsThroughTheStateItFindsAndPutsItBack) {
    // Depth cleared to the near plane with GL_LESS, every face culled, a one-pixel scissor: the
    // text shows only if the draw turns all of them off.
    Target target(0.0);
    HudText text;
    Shader other("../Quarnvale/Shader/final.vert", "../Quarnvale/Shader/final.frag");
    GLuint vertexArray = 0, buffer = 0, texture = 0, sampler = 0;
    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &buffer);
    glGenTextures(1, &texture);
    glGenSamplers(1, &sampler);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glEnable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    glBlendFuncSeparate(GL_ONE, GL_ZERO, GL_ZERO, GL_ONE);
    glBlendEquationSeparate(GL_MAX, GL_FUNC_REVERSE_SUBTRACT);
    glViewport(3, 5, 7, 11);
    other.use();
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindSampler(0, sampler);
    glActiveTexture(GL_TEXTURE3);

    text.draw({"HUD 123"}, 4, 4, 2, width, height);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    auto enabled = [](GLenum capability) { return glIsEnabled(capability) == GL_TRUE; };
    auto integer = [](GLenum name) {
        GLint value = -1;
        glGetIntegerv(name, &value);
        return value;
    };
    EXPECT_TRUE(enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(enabled(GL_CULL_FACE));
    EXPECT_TRUE(enabled(GL_SCISSOR_TEST));
    EXPECT_TRUE(enabled(GL_STENCIL_TEST));
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_EQ(integer(GL_BLEND_SRC_RGB), GL_ONE);
    EXPECT_EQ(integer(GL_BLEND_DST_RGB), GL_ZERO);
    EXPECT_EQ(integer(GL_BLEND_SRC_ALPHA), GL_ZERO);
    EXPECT_EQ(integer(GL_BLEND_DST_ALPHA), GL_ONE);
    EXPECT_EQ(integer(GL_BLEND_EQUATION_RGB), GL_MAX);
    EXPECT_EQ(integer(GL_BLEND_EQUATION_ALPHA), GL_FUNC_REVERSE_SUBTRACT);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{3, 5, 7, 11}));
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), GLint(other.program));
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), GLint(vertexArray));
    EXPECT_EQ(integer(GL_ARRAY_BUFFER_BINDING), GLint(buffer));
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), GLint(texture));
    EXPECT_EQ(integer(GL_SAMPLER_BINDING), GLint(sampler));

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glBlendEquation(GL_FUNC_ADD);
    glUseProgram(0);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindSampler(0, 0);
    glDeleteSamplers(1, &sampler);
    glDeleteTextures(1, &texture);
    glDeleteBuffers(1, &buffer);
    glDeleteVertexArrays(1, &vertexArray);

    const std::vector<unsigned char> red = target.read();
    EXPECT_EQ(inkRuns(red, 0, height).size(), 6u);

    text.release();
    text.release();
    EXPECT_EQ(text.shader, nullptr);
    EXPECT_EQ(text.atlas, 0u);
    EXPECT_EQ(text.vao, 0u);
    EXPECT_EQ(text.vbo, 0u);
    text.draw({"after release"}, 0, 0, 1, width, height);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(HudText, UnreadableAtlasLeavesTheBoxWithoutGlyphsOrGlError) {
    Target target;
    HudText text("../Quarnvale/Textures/no-such-font.png");
    EXPECT_EQ(text.atlasWidth, 0);
    text.draw({"HUD 123"}, 4, 4, 1, width, height);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const std::vector<unsigned char> red = target.read();
    EXPECT_TRUE(inkRuns(red, 0, height).empty());
    EXPECT_LT(red[size_t(6) * width + 6], background / 2);
}
