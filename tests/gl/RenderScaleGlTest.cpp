// The render scale against the real GL, at the steady orbit (t = 20 s): at scale 1 the frame is
// the untouched one to the bit, also after a trip to a smaller scale; at scale 0.5 the targets
// have half the window's size and the picture and a target view still fill the whole window.

#include "FrameReadback.h"
#include "GlTestContext.h"
#include "SteppedFlight.h"
#include "render/Game.h"
#include "render/GameParts.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace vantor;

namespace {

using namespace readback;

std::unique_ptr<Game> orbitingGame() {
    return gameFlownTo(20.0, width, height);
}

Bytes renderWith(Game& game, float scale, int view = 1) {
    game.settings.renderScale = scale;
    game.settings.view = view;
    game.render();
    glFinish();
    return readWindowBytes();
}

// Mean brightness (0-255) of each of the 4 x 4 cells of the window, row by row from the bottom.
std::vector<double> cellMeans(const Bytes& window) {
    std::vector<double> means(16, 0.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t i = 4 * (size_t(y) * width + x);
            means[(y * 4 / height) * 4 + x * 4 / width] += (window[i] + window[i + 1] + window[i + 2]) / 3.0;
        }
    for (double& mean : means)
        mean /= double(width / 4) * (height / 4);
    return means;
}

// Every cell of `scaled` as bright as in `full` (a quarter-window image, or one in the wrong
// place, leaves cells dark or wrong).
void expectSameCells(const Bytes& full, const Bytes& scaled, const char* what) {
    const std::vector<double> a = cellMeans(full), b = cellMeans(scaled);
    for (int cell = 0; cell < 16; ++cell)
        EXPECT_NEAR(b[cell], a[cell], 4.0 + 0.08 * a[cell]) << what << ", cell " << cell;
}

} // namespace

TEST(RenderScaleGl, ScaleOneIsTheUntouchedFrameAndHalfFillsTheWindow) {
    const std::unique_ptr<Game> game = orbitingGame();
    const Bytes untouched = renderWith(*game, 1.0f);
    const Bytes untouchedLit = renderWith(*game, 1.0f, 7);
    EXPECT_EQ(game->passes->postProcessing->scaledPicture.framebuffer, 0u)
        << "scale 1 makes no target of its own";

    const Bytes half = renderWith(*game, 0.5f);
    EXPECT_EQ(game->frameWidth, width / 2);
    EXPECT_EQ(game->frameHeight, height / 2);
    GLint litWidth = 0;
    glBindTexture(GL_TEXTURE_2D, game->passes->postProcessing->renderedTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &litWidth);
    EXPECT_EQ(litWidth, width / 2);
    expectSameCells(untouched, half, "final");
    expectSameCells(untouchedLit, renderWith(*game, 0.5f, 7), "view 7");

    // Back at 1: the window-sized targets again and the same bits as before.
    EXPECT_EQ(renderWith(*game, 1.0f), untouched);
    EXPECT_EQ(renderWith(*game, 1.0f, 7), untouchedLit);
    EXPECT_EQ(game->passes->postProcessing->scaledPicture.framebuffer, 0u);
    // A window resized at half scale keeps the scale.
    game->settings.renderScale = 0.5f;
    ASSERT_TRUE(game->resize(320, 200));
    EXPECT_EQ(game->frameWidth, 160);
    EXPECT_EQ(game->frameHeight, 100);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
