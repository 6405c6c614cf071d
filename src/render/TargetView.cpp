#include "render/TargetView.h"

#include <algorithm>

namespace vantor {

namespace {

// Display program modes, as view.frag reads them.
enum Mode { positionMode = 0, normalMode = 1, colourMode = 2, alphaMode = 3, cubeMode = 4, halfSizeMode = 5 };

struct ViewSetting {
    const char* name;
    Mode mode;
};

// Indexed by view number.
const ViewSetting settings[10] = {
    {"final", colourMode},
    {"final", colourMode},
    {"G-buffer position", positionMode},
    {"G-buffer normal", normalMode},
    {"G-buffer colour", colourMode},
    {"G-buffer specular", alphaMode},
    {"shadow cube", cubeMode},
    {"lit, before bloom", colourMode},
    {"bright", colourMode},
    {"bloom blur", halfSizeMode},
};

GLuint targetOf(TargetViewId view, const ViewSources& s) {
    switch (view) {
    case TargetViewId::Position:
        return s.position;
    case TargetViewId::Normal:
        return s.normal;
    case TargetViewId::Colour:
    case TargetViewId::Specular:
        return s.colourSpec;
    case TargetViewId::Lit:
        return s.lit;
    case TargetViewId::Bright:
        return s.bright;
    case TargetViewId::Blur:
        return s.blur;
    default:
        return 0;
    }
}

const char* const faceNames[6] = {"+X", "-X", "+Y", "-Y", "+Z", "-Z"};

} // namespace

ShadowFaceGrid shadowFaceGrid(int width, int height) {
    ShadowFaceGrid best;
    best.cell = -1;
    for (const int columns : {6, 3, 2, 1}) {
        const int rows = 6 / columns;
        const int cell = std::max(0, std::min(width / columns, height / rows));
        if (cell > best.cell) {
            best.columns = columns;
            best.rows = rows;
            best.cell = cell;
        }
    }
    best.left = (width - best.columns * best.cell) / 2;
    best.bottom = (height - best.rows * best.cell) / 2;
    return best;
}

const char* shadowFaceName(int face) {
    return face >= 0 && face < 6 ? faceNames[face] : "";
}

TargetView::TargetView(const std::string& shaderDir)
    : program(std::make_unique<Shader>(shaderDir + "texture.vert", shaderDir + "view.frag")) {}

TargetView::~TargetView() = default;

const char* TargetView::name(TargetViewId view) {
    const int number = static_cast<int>(view);
    return number >= 1 && number <= 9 ? settings[number].name : settings[1].name;
}

TargetViewId TargetView::fromNumber(int number) {
    return number >= 1 && number <= 9 ? static_cast<TargetViewId>(number) : TargetViewId::Final;
}

void TargetView::draw(TargetViewId view, const ViewSources& s) {
    if (view == TargetViewId::Final)
        return;
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean blend = glIsEnabled(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, s.width, s.height);

    program->use();
    const GLuint id = program->program;
    glUniform1i(glGetUniformLocation(id, "mode"), settings[static_cast<int>(view)].mode);
    glUniform2i(glGetUniformLocation(id, "windowSize"), s.width, s.height);
    // Target texels per window pixel: exactly 1 at the window's size, so each pixel reads its own.
    const float texelsX = s.targetWidth > 0 && s.width > 0 ? float(s.targetWidth) / float(s.width) : 1.0f;
    const float texelsY = s.targetHeight > 0 && s.height > 0 ? float(s.targetHeight) / float(s.height) : 1.0f;
    glUniform2f(glGetUniformLocation(id, "texelsPerPixel"), texelsX, texelsY);
    glUniform2f(glGetUniformLocation(id, "nearFar"), s.nearPlane, s.farPlane);
    const ShadowFaceGrid grid = shadowFaceGrid(s.width, s.height);
    glUniform3i(glGetUniformLocation(id, "faceGrid"), grid.columns, grid.rows, grid.cell);
    glUniform2i(glGetUniformLocation(id, "gridOrigin"), grid.left, grid.bottom);
    glUniform1i(glGetUniformLocation(id, "target"), 0);
    glUniform1i(glGetUniformLocation(id, "shadowCube"), 1);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, targetOf(view, s));
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_CUBE_MAP, s.shadowCube);
    glBindSampler(1, s.shadowSampler);

    glBindVertexArray(s.quadVAO);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);

    glBindSampler(1, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
    if (blend)
        glEnable(GL_BLEND);
}

} // namespace vantor
