#pragma once
// Screen text for the timing overlay: lines of ASCII drawn from the bitmap glyph atlas
// (Quarnvale/Textures/font.png, made by assetgen) in window pixels from the top-left corner,
// white with a one-texel drop shadow over a translucent dark box, in one draw call. Every
// piece of GL state the draw changes is put back, so it can run anywhere in a frame.

#include "gpu/Shader.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

// The atlas's layout, shared by the generator that draws it and the renderer that reads it.
// 16 x 16 cells; character c sits in column c % 16 and row c / 16, row 0 at the top of the
// image. A glyph's ink stays inside the glyph box at (1, 1) in its cell: one blank column and
// row on its left and top, at least one on its right and bottom, so nearest sampling at a
// cell's edge never picks up a neighbour and the drop shadow has room.
struct FontLayout {
    static constexpr int cellWidth = 8;
    static constexpr int cellHeight = 12;
    static constexpr int glyphWidth = 5;
    static constexpr int glyphHeight = 9; // 7 rows of capitals above the baseline, 2 below
    static constexpr int glyphLeft = 1;   // the glyph box's place in its cell
    static constexpr int glyphTop = 1;
    static constexpr int firstPrintable = 32;
    static constexpr int lastPrintable = 126;
    // A drawn character covers its glyph box and one more column and row for the shadow, and
    // the pen moves by exactly that, so neighbouring quads never overlap.
    static constexpr int advance = glyphWidth + 1;
    static constexpr int lineHeight = glyphHeight + 2;
    static constexpr int boxPadding = 3; // between the text and the backing box's edges
};

class HudText {
public:
    // Builds the text program and loads the atlas; needs the GL context current. An atlas that
    // cannot be read is reported on standard error (as every image is) and leaves the glyphs
    // invisible: the backing box still draws and no GL error is raised. A text program that
    // cannot be built ends the process at start-up; `builtLater` (text first needed while the
    // demo runs) leaves it unbuilt instead, and nothing is drawn until it builds.
    explicit HudText(const std::string& atlasPath = "../Quarnvale/Textures/font.png",
                     bool builtLater = false);
    ~HudText();
    HudText(const HudText&) = delete;
    HudText& operator=(const HudText&) = delete;

    // Draws `lines` with the backing box's top-left corner at (x, y) window pixels from the
    // top-left of a viewportWidth x viewportHeight target (the one bound for drawing), each
    // atlas texel a scale x scale block. Characters outside 32..126 show as '?'. Nothing is
    // drawn for no lines, a scale below 1 or a text program that has not built.
    void draw(const std::vector<std::string>& lines, int x, int y, int scale, int viewportWidth,
              int viewportHeight);

    // Frees the program, texture and buffers; safe to repeat, and the names read 0 after.
    void release();

    // Window pixels of the backing box `draw` covers for these lines at this scale.
    static glm::ivec2 boxSize(const std::vector<std::string>& lines, int scale);
    // A scale that keeps the text legible from 640 x 384 (1) to 1920 x 1080 (2) and beyond.
    static int scaleFor(int viewportHeight);

    std::unique_ptr<Shader> shader;
    GLuint atlas = 0;
    GLuint vao = 0;
    GLuint vbo = 0;
    int atlasWidth = 0; // in texels; 0 when the atlas could not be read
    int atlasHeight = 0;

private:
    // Sets the atlas's unit and finds "viewportSize" in the current `shader->program`.
    void lookUpUniforms();
    GLint viewportSizeLocation = -1;
    unsigned uniformsGeneration = 0; // the shader's generation they belong to
    std::vector<float> vertices;     // reused from draw to draw
};
