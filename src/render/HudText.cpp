#include "render/HudText.h"

#include "gpu/Image.h"

#include <algorithm>

namespace {

// Per corner: window position (x, y), atlas coordinate (s, t), backing weight.
const int floatsPerVertex = 5;

// The state a draw changes, read before and put back after.
class SavedState {
public:
    SavedState() {
        blend = glIsEnabled(GL_BLEND);
        depthTest = glIsEnabled(GL_DEPTH_TEST);
        cullFace = glIsEnabled(GL_CULL_FACE);
        scissorTest = glIsEnabled(GL_SCISSOR_TEST);
        stencilTest = glIsEnabled(GL_STENCIL_TEST);
        glGetIntegerv(GL_BLEND_SRC_RGB, &blendSrcRgb);
        glGetIntegerv(GL_BLEND_DST_RGB, &blendDstRgb);
        glGetIntegerv(GL_BLEND_SRC_ALPHA, &blendSrcAlpha);
        glGetIntegerv(GL_BLEND_DST_ALPHA, &blendDstAlpha);
        glGetIntegerv(GL_BLEND_EQUATION_RGB, &blendEquationRgb);
        glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &blendEquationAlpha);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture0);
        glGetIntegerv(GL_SAMPLER_BINDING, &sampler0);
    }
    ~SavedState() {
        setEnabled(GL_BLEND, blend);
        setEnabled(GL_DEPTH_TEST, depthTest);
        setEnabled(GL_CULL_FACE, cullFace);
        setEnabled(GL_SCISSOR_TEST, scissorTest);
        setEnabled(GL_STENCIL_TEST, stencilTest);
        glBlendFuncSeparate(GLenum(blendSrcRgb), GLenum(blendDstRgb), GLenum(blendSrcAlpha),
                            GLenum(blendDstAlpha));
        glBlendEquationSeparate(GLenum(blendEquationRgb), GLenum(blendEquationAlpha));
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glUseProgram(GLuint(program));
        glBindVertexArray(GLuint(vertexArray));
        glBindBuffer(GL_ARRAY_BUFFER, GLuint(arrayBuffer));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, GLuint(texture0));
        glBindSampler(0, GLuint(sampler0));
        glActiveTexture(GLenum(activeTexture));
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    static void setEnabled(GLenum capability, GLboolean on) {
        if (on)
            glEnable(capability);
        else
            glDisable(capability);
    }

    GLboolean blend, depthTest, cullFace, scissorTest, stencilTest;
    GLint blendSrcRgb = 0, blendDstRgb = 0, blendSrcAlpha = 0, blendDstAlpha = 0;
    GLint blendEquationRgb = 0, blendEquationAlpha = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    GLint program = 0, vertexArray = 0, arrayBuffer = 0, activeTexture = 0, texture0 = 0, sampler0 = 0;
};

void addQuad(std::vector<float>& out, float x0, float y0, float x1, float y1, float s0, float t0, float s1,
             float t1, float backing) {
    const float corners[6][4] = {{x0, y0, s0, t0}, {x1, y0, s1, t0}, {x1, y1, s1, t1},
                                 {x0, y0, s0, t0}, {x1, y1, s1, t1}, {x0, y1, s0, t1}};
    for (const auto& c : corners)
        out.insert(out.end(), {c[0], c[1], c[2], c[3], backing});
}

} // namespace

namespace {

std::unique_ptr<Shader> textProgram(bool builtLater) {
    const std::string vertex = "../Quarnvale/Shader/text.vert";
    const std::string fragment = "../Quarnvale/Shader/text.frag";
    if (builtLater)
        return std::make_unique<Shader>(Shader::BuiltLater{}, std::vector<std::string>{vertex, fragment});
    return std::make_unique<Shader>(vertex, fragment);
}

} // namespace

HudText::HudText(const std::string& atlasPath, bool builtLater) : shader(textProgram(builtLater)) {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels = loadImageRGBA(atlasPath, width, height);
    if (pixels.empty()) {
        // One clear texel: a complete texture the program samples as no ink anywhere.
        pixels.assign(4, 0);
        width = height = 1;
    } else {
        atlasWidth = int(width);
        atlasHeight = int(height);
    }

    GLint previousTexture = 0, previousProgram = 0, previousVertexArray = 0, previousBuffer = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &previousVertexArray);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &previousBuffer);

    // Nearest sampling of level 0 only: each texel lands on whole screen pixels, and a mipmap
    // or bilinear read would only smear the one-pixel strokes.
    glGenTextures(1, &atlas);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(width), GLsizei(height), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);

    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    const GLsizei stride = GLsizei(floatsPerVertex * sizeof(float));
    glEnableVertexAttribArray(0); // corner
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1); // atlasCoord
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(2 * sizeof(float)));
    glEnableVertexAttribArray(2); // backing
    glVertexAttribPointer(2, 1, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(4 * sizeof(float)));

    if (shader->linked())
        lookUpUniforms();

    glUseProgram(GLuint(previousProgram));
    glBindVertexArray(GLuint(previousVertexArray));
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(previousBuffer));
    glBindTexture(GL_TEXTURE_2D, GLuint(previousTexture));
}

// Again after every reload: a new program starts with its uniforms at their defaults, and its
// locations may differ. Leaves the text program in use.
void HudText::lookUpUniforms() {
    shader->use();
    glUniform1i(glGetUniformLocation(shader->program, "atlas"), 0);
    viewportSizeLocation = glGetUniformLocation(shader->program, "viewportSize");
    uniformsGeneration = shader->generation;
}

HudText::~HudText() {
    release();
}

void HudText::release() {
    shader.reset();
    glDeleteTextures(1, &atlas);
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    atlas = vbo = vao = 0;
}

glm::ivec2 HudText::boxSize(const std::vector<std::string>& lines, int scale) {
    size_t longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, line.size());
    // The last line's gap below it is the padding's business, not the line's.
    const int textWidth = int(longest) * FontLayout::advance;
    const int textHeight = int(lines.size()) * FontLayout::lineHeight - 1;
    return glm::ivec2(textWidth, textHeight) * scale + 2 * FontLayout::boxPadding * scale;
}

int HudText::scaleFor(int viewportHeight) {
    return std::max(1, viewportHeight / 540);
}

void HudText::draw(const std::vector<std::string>& lines, int x, int y, int scale, int viewportWidth,
                   int viewportHeight) {
    if (lines.empty() || scale < 1 || viewportWidth < 1 || viewportHeight < 1 || !shader || !shader->linked())
        return;

    vertices.clear();
    const glm::ivec2 box = boxSize(lines, scale);
    addQuad(vertices, float(x), float(y), float(x + box.x), float(y + box.y), 0, 0, 0, 0, 1);

    // Atlas coordinates: the image's row 0 is its top, the texture's t = 1.
    const float sPerTexel = atlasWidth > 0 ? 1.0f / float(atlasWidth) : 0.0f;
    const float tPerTexel = atlasHeight > 0 ? 1.0f / float(atlasHeight) : 0.0f;
    const int quadWidth = FontLayout::advance;
    const int quadHeight = FontLayout::glyphHeight + 1;
    for (size_t row = 0; row < lines.size(); ++row) {
        const int top = y + (FontLayout::boxPadding + int(row) * FontLayout::lineHeight) * scale;
        for (size_t column = 0; column < lines[row].size(); ++column) {
            int code = static_cast<unsigned char>(lines[row][column]);
            if (code < FontLayout::firstPrintable || code > FontLayout::lastPrintable)
                code = '?';
            if (code == ' ')
                continue;
            const int left = x + (FontLayout::boxPadding + int(column) * FontLayout::advance) * scale;
            const int texelLeft = (code % 16) * FontLayout::cellWidth + FontLayout::glyphLeft;
            const int texelTop = (code / 16) * FontLayout::cellHeight + FontLayout::glyphTop;
            addQuad(vertices, float(left), float(top), float(left + quadWidth * scale),
                    float(top + quadHeight * scale), float(texelLeft) * sPerTexel,
                    1.0f - float(texelTop) * tPerTexel, float(texelLeft + quadWidth) * sPerTexel,
                    1.0f - float(texelTop + quadHeight) * tPerTexel, 0);
        }
    }

    SavedState saved;
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBlendEquationSeparate(GL_FUNC_ADD, GL_FUNC_ADD);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glViewport(0, 0, viewportWidth, viewportHeight);

    if (uniformsGeneration != shader->generation)
        lookUpUniforms();
    shader->use();
    glUniform2f(viewportSizeLocation, float(viewportWidth), float(viewportHeight));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glBindSampler(0, 0);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    // Orphaned every draw: the text changes from frame to frame and is a few kilobytes.
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(float)), vertices.data(),
                 GL_STREAM_DRAW);
    // The box comes first in the buffer, so it blends under every glyph.
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(vertices.size() / floatsPerVertex));
}
