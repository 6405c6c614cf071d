// A model in place of the hall, in a real context: it replaces the level everywhere the level
// was drawn, its draws come in material order and cover every triangle once, and the shadow
// pass keeps its depth between frames exactly as it keeps the hall's: the kept cube equals the
// cube drawn from scratch, frame after frame, while the light sinks and after it rests.

#include "GlTestContext.h"
#include "render/FrameMath.h"
#include "render/Game.h"
#include "render/GameParts.h"
#include "scene/SceneImport.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace vantor;

namespace {

// A build without assimp (the Windows cross build, for now) refuses every model file: there is
// nothing here to check.
#ifndef DEMO_HAVE_ASSIMP
#define SKIP_WITHOUT_ASSIMP() GTEST_SKIP() << "built without assimp"
#else
#define SKIP_WITHOUT_ASSIMP() (void)0
#endif

std::vector<float> shadowCube(const Game& game, GLuint cube) {
    const size_t faceSize = size_t(game.shadow->shadowWidth) * game.shadow->shadowHeight;
    std::vector<float> depth(faceSize * 6);
    glFinish();
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    for (int face = 0; face < 6; ++face)
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                      depth.data() + faceSize * face);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return depth;
}

// The cube the cached pass left against one drawn from scratch into a cube of the test's own;
// returns the texels the model covers, so an empty cube cannot pass.
size_t expectCachedEqualsScratch(Game& game) {
    const std::vector<float> cached = shadowCube(game, game.shadow->depthCubemap);
    GLuint cube = 0, framebuffer = 0;
    createDepthCube(game.shadow->shadowWidth, cube, framebuffer);
    std::swap(game.shadow->depthCubemap, cube);
    std::swap(game.shadow->depthMapFBO, framebuffer);
    game.shadow->shadowCacheEnabled = false;
    game.shadowPass(framemath::levelCopyTransform());
    const std::vector<float> scratch = shadowCube(game, game.shadow->depthCubemap);
    game.shadow->shadowCacheEnabled = true;
    std::swap(game.shadow->depthCubemap, cube);
    std::swap(game.shadow->depthMapFBO, framebuffer);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &cube);
    size_t differing = 0, covered = 0;
    for (size_t i = 0; i < cached.size(); ++i) {
        differing += std::memcmp(&cached[i], &scratch[i], sizeof(float)) != 0;
        covered += scratch[i] < 1.0f;
    }
    EXPECT_EQ(differing, 0u);
    return covered;
}

} // namespace

TEST(SceneGame, ModelReplacesTheHallAndShadowsAsItDid) {
    SKIP_WITHOUT_ASSIMP();
    auto data = std::make_unique<vantor::scene::SceneData>();
    std::string why;
    ASSERT_TRUE(
        vantor::scene::importScene(std::string(TESTDATA_DIR) + "/scenes/spider/spider.obj", *data, why))
        << why;
    const std::uint64_t triangles = data->triangles;

    Game game(glTestWindow(), 320, 192);
    game.content->sceneData = std::move(data);
    game.init();
    game.controls->startTime = 0.0f;
    game.controls->lastFlightTime = 0.0f;
    ASSERT_NE(game.content->scene, nullptr);
    EXPECT_EQ(game.content->world, nullptr) << "the hall is not read";
    EXPECT_EQ(game.content->sceneData, nullptr) << "the CPU copy is let go once uploaded";

    // Material order, each triangle drawn once.
    std::uint64_t drawn = 0, next = 0;
    for (size_t i = 0; i < game.content->scene->draws.size(); ++i) {
        const auto& d = game.content->scene->draws[i];
        if (i > 0) {
            EXPECT_LE(game.content->scene->draws[i - 1].material, d.material);
        }
        EXPECT_EQ(d.firstIndex, next);
        next += d.indexCount;
        drawn += d.indexCount / 3;
    }
    EXPECT_EQ(drawn, triangles);
    for (GLuint texture : game.content->scene->textures)
        EXPECT_TRUE(glIsTexture(texture));

    if (!GLEW_ARB_copy_image)
        GTEST_SKIP() << "no texture copies: the shadow pass always renders from scratch";
    const double step = 0.5;
    for (double now = step; now <= 17.0 + 1e-9; now += step) {
        glfwSetTime(now);
        game.deltaTime = step;
        game.update();
        game.shadowPass(framemath::levelCopyTransform());
        // Nothing is kept while the light sinks; once it rests the model is drawn once, kept.
        EXPECT_EQ(game.shadow->shadowCache.levelRenders, now < 15.5 + 1e-9 ? 0 : 1) << "t = " << now;
        if (now == 5.0 || now == 15.0 || now == 16.0 || now == 17.0) {
            SCOPED_TRACE("t = " + std::to_string(now));
            EXPECT_GT(expectCachedEqualsScratch(game),
                      size_t(game.shadow->shadowWidth) * game.shadow->shadowHeight / 20)
                << "the model casts into the cube";
        }
    }
    // A whole frame draws without a GL error.
    game.render();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    game.destroy();
    EXPECT_EQ(game.content->scene, nullptr);
}
