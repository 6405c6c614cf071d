// The shadow pass keeps the level's depth between frames and only draws the moving spheres
// over a copy of it. The cube it leaves must be the cube a from-scratch pass renders, bit for
// bit, all along the flight: while the shadow light still sinks (the kept level goes stale
// every frame), right after it comes to rest, long after, and when a level placement, the
// number of spheres or their size changes. After the first kept frame only the texels the
// previous frame's spheres can have covered are put back, so these frames test that too.

#include "GlTestContext.h"
#include "SteppedFlight.h"
#include "render/FrameMath.h"
#include "render/Game.h"
#include "render/GameParts.h"
#include "render/ShadowLevelCache.h"

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace vantor;

namespace {

// The six faces of the game's shadow cube, one after the other.
std::vector<float> readShadowCube(const Game& game) {
    const size_t faceSize = size_t(game.shadow->shadowWidth) * game.shadow->shadowHeight;
    std::vector<float> depth(faceSize * 6);
    glFinish();
    glBindTexture(GL_TEXTURE_CUBE_MAP, game.shadow->depthCubemap);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (int face = 0; face < 6; ++face)
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                      depth.data() + faceSize * face);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return depth;
}

// Texels that differ in any bit, and texels nearer than the far plane (so an empty cube on
// both sides cannot pass for a match).
struct CubeDiff {
    size_t differing = 0;
    size_t covered = 0;
};

CubeDiff compareCubes(const std::vector<float>& a, const std::vector<float>& b) {
    CubeDiff d;
    for (size_t i = 0; i < a.size(); ++i) {
        d.differing += std::memcmp(&a[i], &b[i], sizeof(float)) != 0;
        d.covered += a[i] < 1.0f;
    }
    return d;
}

// A shadow cube and its framebuffer of the test's own, for the pass rendered from scratch.
struct ScratchCube {
    explicit ScratchCube(int size) { createDepthCube(size, cube, framebuffer); }
    ~ScratchCube() {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &cube);
    }
    GLuint cube = 0;
    GLuint framebuffer = 0;
};

// The cube the last shadow pass left against the cube a from-scratch pass renders for the
// same frame into a cube of its own, so the game's cube stays what the cached pass left and
// the next cached pass may still put back only the spheres' texels.
void expectCubeMatchesScratch(Game& game, const char* when) {
    SCOPED_TRACE(when);
    const std::vector<float> cached = readShadowCube(game);
    const ScratchCube scratchCube(game.shadow->shadowWidth);
    const bool rectsValid = game.shadow->shadowCache.sphereRectsValid;
    const GLuint cube = game.shadow->depthCubemap;
    const GLuint framebuffer = game.shadow->depthMapFBO;
    game.shadow->depthCubemap = scratchCube.cube;
    game.shadow->depthMapFBO = scratchCube.framebuffer;
    game.shadow->shadowCacheEnabled = false;
    game.shadowPass(framemath::levelCopyTransform());
    const std::vector<float> scratch = readShadowCube(game);
    game.shadow->shadowCacheEnabled = true;
    game.shadow->depthCubemap = cube;
    game.shadow->depthMapFBO = framebuffer;

    const CubeDiff d = compareCubes(cached, scratch);
    EXPECT_EQ(d.differing, 0u) << "of " << cached.size() << " texels";
    EXPECT_GT(d.covered, cached.size() / 10) << "the level fills the cube";
    EXPECT_EQ(game.shadow->shadowCache.sphereRectsValid, rectsValid)
        << "a pass into another cube leaves them as they were";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace

TEST(ShadowCache, CachedCubeEqualsTheCubeRenderedFromScratchAlongTheFlight) {
    const SteppedClock clock;
    const std::unique_ptr<Game> flown = gameFlownTo(0.0, 640, 384);
    Game& game = *flown;
    if (!GLEW_ARB_copy_image)
        GTEST_SKIP() << "no texture copies: the shadow pass always renders from scratch";

    // The light sinks 0.05 per second from 1 and rests at 0.25 from t = 15 s on. Checkpoints
    // while it sinks, on the frame it arrives, right after, and in the steady orbit.
    const double step = 0.25;
    const double checkpoints[] = {0.25, 5.0, 14.75, 15.0, 15.25, 15.5, 16.0, 20.0};
    size_t next = 0;
    const glm::mat4 transPosition = framemath::levelCopyTransform();
    double now = 0.0;
    advanceFromTo(game, now, 20.0, step, [&](double t) {
        // Every frame runs the cached pass once, as the demo does, so the kept level ages with it.
        game.shadowPass(transPosition);
        // While the light sinks nothing is kept (a copy would only add to the drawing); once it
        // has stood still for a frame the level is kept, once.
        EXPECT_EQ(game.shadow->shadowCache.levelRenders, t < 15.25 + 1e-9 ? 0 : 1) << "t = " << t;
        if (next < std::size(checkpoints) && t >= checkpoints[next] - 1e-9) {
            expectCubeMatchesScratch(game, ("t = " + std::to_string(t)).c_str());
            ++next;
        }
    });
    EXPECT_EQ(next, std::size(checkpoints));
    EXPECT_EQ(game.shadow->lightPos.y, 0.25f);

    // No spheres, then a level placement that moves and moves back: the kept level must
    // follow (a changed placement draws straight into the cube, the old one is kept).
    auto frame = [&](const char* when) {
        game.shadowPass(transPosition);
        expectCubeMatchesScratch(game, when);
    };
    game.lightRig->count = 0;
    frame("no spheres");
    game.lightRig->count = 50;
    const glm::mat4 placement = game.content->world->modelMatrix;
    game.content->world->modelMatrix = glm::translate(placement, glm::vec3(0.0f, 0.5f, 0.0f));
    frame("level moved");
    frame("level moved, still");
    game.content->world->modelMatrix = placement;
    frame("level moved back");
    frame("level moved back, still");

    // Bigger spheres: the texels put back next frame must grow with them.
    const glm::mat4 ballMatrix = game.content->ball->modelMatrix;
    game.content->ball->modelMatrix = glm::scale(ballMatrix, glm::vec3(3.0f));
    frame("spheres grown");
    frame("spheres grown, still");
    game.content->ball->modelMatrix = ballMatrix;
    frame("spheres back to size");

    // A sphere around the light draws nothing, so nothing of it is put back; one whose surface
    // passes a little beyond the near plane covers much of the cube. Either moved away next
    // frame must leave no trace.
    vantor::scene::Object& sphere = *game.lightRig->lights[0];
    const float inside =
        framemath::backFacingRadius(game.content->ball->vertices, game.content->ball->indices,
                                    glm::mat3(game.content->ball->modelMatrix));
    ASSERT_GT(inside, 0.0f);
    for (const float offset : {0.5f * inside, inside + 5.0f * game.shadow->nearPlane}) {
        SCOPED_TRACE("sphere centre " + std::to_string(offset) + " from the light");
        sphere.x = game.shadow->lightPos.x + offset;
        sphere.y = game.shadow->lightPos.y;
        sphere.z = game.shadow->lightPos.z;
        frame("sphere at the light");
        sphere.x = game.shadow->lightPos.x + 0.5f;
        frame("sphere moved away");
    }

    // A thousand lights: the coarse bodies' batch, the ones hugging the light left out, and the
    // crowded faces put back by tile rows; then fifty again.
    game.settings.lights = 1000;
    game.deltaTime = step;
    for (int n = 0; n < 3; ++n) {
        game.update();
        frame("a thousand lights");
    }
    game.lightRig->lights[60]->x = game.shadow->lightPos.x + 0.01f; // hugging the light
    game.lightRig->lights[60]->z = game.shadow->lightPos.z;
    frame("a body at the light");
    game.lightRig->count = 50;
    frame("fifty again");
    game.destroy();
}
