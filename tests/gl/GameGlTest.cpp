// The frame renderer against the real GL: set-up and teardown, and whole frames of the real
// hall at fixed points of the camera flight, read back and judged by what they must show.

#include "FrameReadback.h"
#include "GlTestContext.h"
#include "SteppedFlight.h"
#include "render/FrameMath.h"
#include "render/Game.h"
#include "render/GameParts.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace vantor;

namespace {

using namespace readback;

float luminance(const glm::vec3& c) {
    return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b;
}

size_t countNonFinite(const Image& image) {
    return size_t(std::count_if(image.begin(), image.end(), [](float v) { return !std::isfinite(v); }));
}

// Lights the current G-buffer again into the lit-scene target and reads the lit level back.
Image relight(Game& game) {
    game.lightingPass();
    glFinish();
    return readTexture(game.passes->postProcessing->renderedTexture);
}

// One rendered frame and the images it is judged by.
struct Frame {
    Image window, rendered, bright, position, normal;
    Image lit;        // lighting pass alone: the level without the spheres
    Image noColoured; // the same with the coloured lights off
    Image noShadow;   // the same with an empty shadow map
    std::vector<bool> covered;
    size_t coveredCount = 0;
};

Frame renderAndDissect(Game& game) {
    Frame f;
    game.render();
    glFinish();
    f.window = readWindow();
    f.rendered = readTexture(game.passes->postProcessing->renderedTexture);
    f.bright = readTexture(game.passes->postProcessing->brightTexture);
    f.position = readTexture(game.gbuffer->gPosition);
    f.normal = readTexture(game.gbuffer->gNormal);
    f.covered.resize(pixelCount);
    for (size_t i = 0; i < pixelCount; ++i) {
        f.covered[i] = glm::length(rgb(f.normal, i)) > 0.5f;
        f.coveredCount += f.covered[i];
    }

    f.lit = relight(game);
    const int lights = game.lightRig->count;
    game.lightRig->count = 0;
    f.noColoured = relight(game);
    game.lightRig->count = lights;
    glBindFramebuffer(GL_FRAMEBUFFER, game.shadow->depthMapFBO);
    glClear(GL_DEPTH_BUFFER_BIT);
    game.shadow->shadowCache.sphereRectsValid =
        false; // cleared by hand: the next shadow pass restores the whole cube
    f.noShadow = relight(game);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    return f;
}

// What every frame of the flight must show.
void expectLitShadowedBloomedFrame(const Frame& f, const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(countNonFinite(f.position), 0u);
    EXPECT_EQ(countNonFinite(f.normal), 0u);
    EXPECT_EQ(countNonFinite(f.window), 0u);
    ASSERT_GT(f.coveredCount, pixelCount / 2) << "the hall fills most of the view";

    // Neither black nor flat.
    double sum = 0, sumSq = 0;
    for (size_t i = 0; i < pixelCount; ++i) {
        const double l = luminance(rgb(f.window, i));
        sum += l;
        sumSq += l * l;
    }
    const double mean = sum / pixelCount;
    const double deviation = std::sqrt(std::max(0.0, sumSq / pixelCount - mean * mean));
    EXPECT_GT(mean, 0.04);
    EXPECT_LT(mean, 0.75) << "washed out";
    EXPECT_GT(deviation, 0.05);

    // Coloured pools: the coloured lights change part of the level, and their reach ends.
    size_t pooled = 0, untouched = 0, shadowed = 0, unshadowed = 0, saturated = 0;
    for (size_t i = 0; i < pixelCount; ++i) {
        if (!f.covered[i])
            continue;
        const glm::vec3 pool = rgb(f.lit, i) - rgb(f.noColoured, i);
        const float poolMax = std::max({std::abs(pool.r), std::abs(pool.g), std::abs(pool.b)});
        pooled += poolMax > 0.06f;
        untouched += poolMax < 0.004f;
        const float shadow = luminance(rgb(f.noShadow, i)) - luminance(rgb(f.lit, i));
        shadowed += shadow > 0.05f;
        unshadowed += std::abs(shadow) < 0.004f;
        const glm::vec3 c = rgb(f.lit, i);
        saturated += std::min({c.r, c.g, c.b}) > 0.98f;
    }
    EXPECT_GT(pooled, f.coveredCount / 100) << "coloured light pools";
    EXPECT_GT(untouched, f.coveredCount / 20) << "a coloured light's reach is bounded";
    EXPECT_GT(shadowed, f.coveredCount / 100) << "the centre light casts shadows";
    EXPECT_GT(unshadowed, f.coveredCount / 100) << "not everything is in shadow";
    EXPECT_LT(saturated, f.coveredCount / 100) << "lit bricks blown out to white";

    // Bloom: the glow spreads beyond what the lit image holds.
    size_t glowing = 0, bright = 0;
    for (size_t i = 0; i < pixelCount; ++i) {
        const glm::vec3 d = rgb(f.window, i) - rgb(f.rendered, i);
        glowing += std::max({d.r, d.g, d.b}) > 0.03f;
        bright += luminance(rgb(f.bright, i)) > 0.1f;
    }
    EXPECT_GT(bright, 0u);
    EXPECT_GT(glowing, pixelCount / 200) << "bloom around the spheres and highlights";
}

} // namespace

TEST(GameSetUp, InitBuildsTheSceneAndDestroyReleasesItsFourObjects) {
    Game game(glTestWindow(), width, height);
    EXPECT_EQ(game.lightRig->count, 50);
    EXPECT_EQ(game.shadow->lightPos, glm::vec3(0.0f));
    game.init();
    EXPECT_EQ(game.shadow->lightPos, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(game.lightRig->lights.size(), 50u);
    ASSERT_EQ(game.shadow->shadowMatrixLocations.size(), 6u);
    for (GLint location : game.shadow->shadowMatrixLocations)
        EXPECT_NE(location, -1);
    EXPECT_NE(glIsFramebuffer(game.shadow->depthMapFBO), GL_FALSE);
    EXPECT_NE(glIsFramebuffer(game.gbuffer->gBuffer), GL_FALSE);
    EXPECT_NE(glIsFramebuffer(game.passes->postProcessing->getFramebuffer()), GL_FALSE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The frame update: the shadow light rests at 0.25, six face matrices every frame.
    game.shadow->lightPos.y = 0.3f;
    game.deltaTime = 2.0;
    game.update();
    EXPECT_EQ(game.shadow->lightPos, glm::vec3(0.0f, 0.25f, 0.0f));
    game.deltaTime = 0.0;
    for (int frame = 0; frame < 3; ++frame)
        game.update();
    EXPECT_EQ(game.shadow->shadowTransforms.size(), 6u);
    EXPECT_EQ(game.shadow->shadowTransforms[3],
              framemath::shadowFaceMatrices(game.shadow->shadowProj, game.shadow->lightPos)[3]);
    game.shadow->lightPos.y = 1.0f;

    // The programs made at start-up that outlive `destroy`.
    const auto lasting = [&game] {
        const GamePrograms& p = *game.programs;
        return std::array<const Shader*, 7>{p.depthShader,
                                            p.finalShader,
                                            p.defaultShader,
                                            p.gaussShader,
                                            p.textureShader,
                                            p.geometryVariants.plain(),
                                            p.lightingVariants.plain()};
    };
    const std::array<const Shader*, 7> kept = lasting();
    vantor::scene::Ball* const ball = game.content->ball;
    PostProcessing* const postProcessing = game.passes->postProcessing.get();
    const GLuint gBuffer = game.gbuffer->gBuffer;
    game.destroy();
    EXPECT_EQ(game.content->world, nullptr);
    EXPECT_EQ(game.controls, nullptr);
    EXPECT_EQ(game.content->skybox, nullptr);
    EXPECT_EQ(game.programs->skyboxShader, nullptr);
    const std::array<const Shader*, 7> after = lasting();
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(after[i], kept[i]);
    EXPECT_EQ(game.content->ball, ball);
    EXPECT_EQ(game.passes->postProcessing.get(), postProcessing);
    EXPECT_EQ(game.gbuffer->gBuffer, gBuffer);
    EXPECT_EQ(game.lightRig->lights.size(), 50u);
    EXPECT_EQ(game.shadow->lightPos, glm::vec3(0.0f, 1.0f, 0.0f));
    game.destroy(); // a second call finds nothing left to release
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(GameFrame, GlideShowsPoolsShadowsAndBloom) {
    auto game = gameFlownTo(9.0, width, height);
    expectLitShadowedBloomedFrame(renderAndDissect(*game), "glide");
}

TEST(GameFrame, OrbitShowsPoolsShadowsAndBloom) {
    auto game = gameFlownTo(21.0, width, height);
    expectLitShadowedBloomedFrame(renderAndDissect(*game), "orbit");
}

// The lit surfaces and the sky come from two programs the depth test keeps apart: every pixel
// gets exactly one of them, the sky only where the G-buffer is empty, and the depth state is
// the default again afterwards (the forward pass and the next frame's passes rely on it).
TEST(GameFrame, LightingPassLeavesNoPixelUnlitAndTheSkyOnlyWhereNothingIsDrawn) {
    auto game = gameFlownTo(3.0, width, height);
    game->render();
    glFinish();
    const Image normal = readTexture(game->gbuffer->gNormal);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    const Image lit = relight(*game);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);

    size_t covered = 0, sky = 0, unwritten = 0, litLikeSky = 0;
    for (size_t i = 0; i < pixelCount; ++i) {
        const glm::vec3 c = rgb(lit, i);
        unwritten += c.r > 0.99f && c.g < 0.01f && c.b > 0.99f;
        if (glm::length(rgb(normal, i)) > 0.5f) {
            ++covered;
        } else {
            ++sky;
            // The night sky: blue, and never as dark as an unlit surface.
            litLikeSky += c.b > 0.1f && c.b > c.r;
        }
    }
    EXPECT_EQ(unwritten, 0u) << "pixels neither lit nor sky";
    ASSERT_GT(sky, pixelCount / 20) << "the opening shot shows sky";
    ASSERT_GT(covered, pixelCount / 4);
    EXPECT_EQ(litLikeSky, sky);
    GLint depthFunc = 0;
    GLboolean depthWrites = GL_FALSE;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthFunc, GL_LESS);
    EXPECT_EQ(depthWrites, GL_TRUE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(GameFrame, TheLitTargetNeedsNoClearAndGetsTheDepthItNeeds) {
    // The lighting pass does not clear its target: its two quads must write every pixel of
    // both attachments, and its depth copy must replace whatever depth was there.
    auto game = gameFlownTo(20.0, width, height);
    const glm::mat4 copy = framemath::levelCopyTransform();
    game->shadowPass(copy);
    game->geometryPass(copy);
    auto poisonTarget = [&](float depth) {
        glBindFramebuffer(GL_FRAMEBUFFER, game->passes->postProcessing->getFramebuffer());
        const GLenum buffers[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        glDrawBuffers(2, buffers);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClearDepth(depth);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClearDepth(1.0);
    };
    poisonTarget(1.0f);
    const Image lit = relight(*game);
    const Image bright = readTexture(game->passes->postProcessing->brightTexture);
    for (float depth : {0.0f, 0.3f}) {
        poisonTarget(depth);
        EXPECT_TRUE(relight(*game) == lit) << "depth " << depth;
        EXPECT_TRUE(readTexture(game->passes->postProcessing->brightTexture) == bright) << "depth " << depth;
    }

    // The forward pass draws over the depth the lighting pass copied; run alone after a fresh
    // copy it draws the same spheres: with a target depth of 0 left in place, none would pass.
    game->forwardPass();
    glFinish();
    const Image withSpheres = readTexture(game->passes->postProcessing->renderedTexture);
    game->geometryPass(copy);
    relight(*game);
    poisonTarget(0.0f);
    game->copyGBufferDepth();
    game->forwardPass();
    glFinish();
    const Image handedOver = readTexture(game->passes->postProcessing->renderedTexture);
    size_t sphereColours = 0;
    for (size_t i = 0; i < pixelCount; ++i)
        sphereColours += rgb(handedOver, i) == rgb(withSpheres, i) && rgb(withSpheres, i) != rgb(lit, i);
    EXPECT_GT(sphereColours, 100u) << "the spheres are drawn over the poisoned target";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(GameFrame, CameraOnTheAxisStillGivesFiniteBuffers) {
    auto game = gameFlownTo(60.0, width, height);
    Frame f = renderAndDissect(*game);
    EXPECT_EQ(countNonFinite(f.position), 0u);
    EXPECT_EQ(countNonFinite(f.normal), 0u);
    EXPECT_EQ(countNonFinite(f.window), 0u);
    double sum = 0;
    for (size_t i = 0; i < pixelCount; ++i)
        sum += luminance(rgb(f.window, i));
    EXPECT_GT(sum / pixelCount, 0.02);
}

TEST(GameFrame, GBufferHoldsTheLevelTwiceAndNeverASphere) {
    auto game = gameFlownTo(12.0, width, height);
    Frame f = renderAndDissect(*game);

    // Balls and marker moved far away leave every G-buffer texture exactly as it was.
    const Image colorSpec = readTexture(game->gbuffer->gColorSpec);
    for (vantor::scene::Object* object : game->lightRig->lights)
        object->x += 1000.0f;
    game->shadow->lightPos.x += 1000.0f;
    game->render();
    glFinish();
    EXPECT_TRUE(readTexture(game->gbuffer->gPosition) == f.position);
    EXPECT_TRUE(readTexture(game->gbuffer->gNormal) == f.normal);
    EXPECT_TRUE(readTexture(game->gbuffer->gColorSpec) == colorSpec);

    // The level stays below height 0.25; the upside-down copy supplies everything above.
    auto countAbove = [](const Image& position, const std::vector<bool>& covered) {
        size_t n = 0;
        for (size_t i = 0; i < pixelCount; ++i)
            n += covered[i] && position[4 * i + 1] > 0.26f;
        return n;
    };
    size_t below = 0;
    for (size_t i = 0; i < pixelCount; ++i)
        below += f.covered[i] && f.position[4 * i + 1] < 0.24f;
    EXPECT_GT(below, pixelCount / 10);
    EXPECT_GT(countAbove(f.position, f.covered), pixelCount / 10);

    // Moving the copy out of sight removes exactly that upper half.
    game->geometryPass(glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 100.0f, 0.0f)) *
                       framemath::levelCopyTransform());
    glFinish();
    const Image moved = readTexture(game->gbuffer->gPosition);
    const Image movedNormal = readTexture(game->gbuffer->gNormal);
    std::vector<bool> movedCovered(pixelCount);
    for (size_t i = 0; i < pixelCount; ++i)
        movedCovered[i] = glm::length(rgb(movedNormal, i)) > 0.5f;
    EXPECT_EQ(countAbove(moved, movedCovered), 0u);
}

TEST(GameFrame, CullingTheLevelsBackFacesLeavesTheGBufferAsItWas) {
    // Wherever the flight takes the camera, every level surface it sees is a front face: a
    // face that folds over an opening or an edge left open would show its back somewhere
    // here (the arcade flanks did, a few tenths of a percent of the view at the glide's end).
    auto game = gameFlownTo(0.0, width, height);
    double now = 0.0;
    for (double t : {3.0, 6.0, 9.0, 13.0, 17.0, 20.0, 35.0, 48.0}) {
        SCOPED_TRACE("t = " + std::to_string(t));
        advanceFromTo(*game, now, t);
        const glm::mat4 copy = framemath::levelCopyTransform();
        game->levelBackFaceCulling = true;
        game->geometryPass(copy);
        glFinish();
        const Image culled = readTexture(game->gbuffer->gPosition);
        const Image culledColor = readTexture(game->gbuffer->gColorSpec);
        game->levelBackFaceCulling = false;
        game->geometryPass(copy);
        glFinish();
        const Image both = readTexture(game->gbuffer->gPosition);
        const Image bothColor = readTexture(game->gbuffer->gColorSpec);
        size_t differing = 0;
        for (size_t i = 0; i < pixelCount; ++i)
            differing += rgb(culled, i) != rgb(both, i) || rgb(culledColor, i) != rgb(bothColor, i);
        // A handful of pixels where the two halves of the hall meet edge to edge.
        EXPECT_LE(differing, pixelCount / 5000);
    }
    game->levelBackFaceCulling = true;
}

TEST(GameFrame, DrawingTheLevelNearestFirstLeavesTheGBufferAsItWas) {
    // The depth test keeps the least depth whatever the order; the order only decides which of
    // two fragments at exactly one depth stays. The level's surfaces do cross (its walls reach a
    // centimetre below the floor, some mouldings run into the walls), so a pixel centre on such a
    // line could find two at one depth; at these moments, stepped to exactly, none does, so the
    // sorted draw must give the file order's G-buffer bit for bit. (With the flight reading the
    // GL timer, which runs on past the time set, the camera moved by a hair from run to run and
    // now and then put a pixel centre on a tie.) A wrong or half-uploaded order would differ over
    // whole triangles.
    const SteppedClock clock;
    auto game = gameFlownTo(0.0, width, height);
    double now = 0.0;
    const glm::mat4 copy = framemath::levelCopyTransform();
    auto gBuffer = [&](bool sorted) {
        game->content->levelOrder.enabled = sorted;
        game->geometryPass(copy);
        glFinish();
        std::vector<Image> images{readTexture(game->gbuffer->gPosition), readTexture(game->gbuffer->gNormal),
                                  readTexture(game->gbuffer->gColorSpec), Image(pixelCount)};
        glBindFramebuffer(GL_READ_FRAMEBUFFER, game->gbuffer->gBuffer);
        glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, images[3].data());
        return images;
    };
    for (double t : {1.0, 3.0, 6.0, 9.0, 13.0, 20.0, 35.0, 48.0, 60.0}) {
        SCOPED_TRACE("t = " + std::to_string(t));
        advanceFromTo(*game, now, t);
        const std::vector<Image> sorted = gBuffer(true);
        EXPECT_FALSE(game->content->levelOrder.order[0].empty());
        const std::vector<Image> fileOrder = gBuffer(false);
        size_t differing = 0;
        for (size_t i = 0; i < pixelCount; ++i)
            differing += rgb(sorted[0], i) != rgb(fileOrder[0], i) ||
                         rgb(sorted[1], i) != rgb(fileOrder[1], i) ||
                         rgb(sorted[2], i) != rgb(fileOrder[2], i) ||
                         sorted[2][4 * i + 3] != fileOrder[2][4 * i + 3] || sorted[3][i] != fileOrder[3][i];
        EXPECT_EQ(differing, 0u) << "pixels of the G-buffer or its depth";
    }
    game->content->levelOrder.enabled = true;
}

TEST(GameFrame, WithoutLightsOnlyTheWhiteMarkerIsDrawnForward) {
    auto game = gameFlownTo(20.0, width, height); // the orbit looks at the axis, where the marker hangs
    const glm::mat4 transPosition = framemath::levelCopyTransform();

    // Pixels the forward pass changes, and whether any of them is coloured.
    auto forwardChanges = [&](size_t& changed, size_t& coloured) {
        game->shadowPass(transPosition);
        game->geometryPass(transPosition);
        const Image before = relight(*game);
        game->forwardPass();
        glFinish();
        const Image after = readTexture(game->passes->postProcessing->renderedTexture);
        changed = coloured = 0;
        for (size_t i = 0; i < pixelCount; ++i) {
            const glm::vec3 a = rgb(after, i);
            if (glm::length(a - rgb(before, i)) < 1e-3f)
                continue;
            ++changed;
            coloured += std::max({a.r, a.g, a.b}) - std::min({a.r, a.g, a.b}) > 0.02f;
        }
    };

    // Lightless from the first frame: no ball has been set up for any program yet.
    size_t changed = 0, coloured = 0;
    game->lightRig->count = 0;
    forwardChanges(changed, coloured);
    EXPECT_GT(changed, 100u) << "the marker is drawn";
    EXPECT_EQ(coloured, 0u) << "and nothing else";

    // The flight ends with the camera inside the marker: seen from inside, a sphere is all
    // back faces and must vanish rather than fill the view with its far half.
    const glm::vec3 restingLight = game->shadow->lightPos;
    const glm::mat4& view = game->view;
    const glm::vec3 forward = -glm::vec3(view[0][2], view[1][2], view[2][2]);
    game->shadow->lightPos = game->controls->position + 0.05f * forward; // the marker's radius is 0.1
    forwardChanges(changed, coloured);
    EXPECT_EQ(changed, 0u) << "a sphere around the camera is not drawn";
    game->shadow->lightPos = restingLight;

    game->lightRig->count = 50;
    forwardChanges(changed, coloured);
    EXPECT_GT(coloured, 0u) << "with the lights, coloured balls are drawn";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

namespace {

enum class Kind { texture, framebuffer, renderbuffer, buffer, vertexArray, program, shader, sampler };

bool exists(Kind kind, GLuint name) {
    switch (kind) {
    case Kind::texture:
        return glIsTexture(name);
    case Kind::framebuffer:
        return glIsFramebuffer(name);
    case Kind::renderbuffer:
        return glIsRenderbuffer(name);
    case Kind::buffer:
        return glIsBuffer(name);
    case Kind::vertexArray:
        return glIsVertexArray(name);
    case Kind::program:
        return glIsProgram(name);
    case Kind::shader:
        return glIsShader(name);
    case Kind::sampler:
        return glIsSampler(name);
    }
    return false;
}

struct HeldName {
    std::string what;
    Kind kind;
    GLuint name;
};

// Every GL name a Game and the objects it owns hold.
std::vector<HeldName> namesHeldBy(const Game& game) {
    std::vector<HeldName> names = {
        {"gPosition", Kind::texture, game.gbuffer->gPosition},
        {"gNormal", Kind::texture, game.gbuffer->gNormal},
        {"gColorSpec", Kind::texture, game.gbuffer->gColorSpec},
        {"depthCubemap", Kind::texture, game.shadow->depthCubemap},
        {"light boxes", Kind::texture, game.lightRig->lightFrame.textures.boxTexture},
        {"light lists", Kind::texture, game.lightRig->lightFrame.textures.listTexture},
        {"light list buffer", Kind::buffer, game.lightRig->lightFrame.textures.listBuffer},
        {"light block buffer", Kind::buffer, game.lightRig->lightFrame.textures.lightBuffer},
        {"light bodies buffer", Kind::buffer, game.lightRig->lightBodies.buffer},
        {"gBuffer", Kind::framebuffer, game.gbuffer->gBuffer},
        {"depthMapFBO", Kind::framebuffer, game.shadow->depthMapFBO},
        {"kept shadow cube", Kind::texture, game.shadow->shadowCache.cube},
        {"kept shadow framebuffer", Kind::framebuffer, game.shadow->shadowCache.framebuffer},
        {"rboDepth", Kind::renderbuffer, game.gbuffer->rboDepth},
        {"quadVAO", Kind::vertexArray, game.quadVAO},
        {"quadVBO", Kind::buffer, game.quadVBO},
        {"gBufferSampler", Kind::sampler, game.gbuffer->gBufferSampler},
        {"shadowSampler", Kind::sampler, game.shadow->shadowSampler},
    };
    const PostProcessing& post = *game.passes->postProcessing;
    names.insert(names.end(), {
                                  {"renderedTexture", Kind::texture, post.renderedTexture},
                                  {"brightTexture", Kind::texture, post.brightTexture},
                                  {"sceneFBO", Kind::framebuffer, post.sceneFBO},
                                  {"rboId", Kind::renderbuffer, post.rboId},
                                  {"screenQuadVAO", Kind::vertexArray, post.screenQuadVAO},
                                  {"screenQuadVBO", Kind::buffer, post.screenQuadVBO},
                                  {"linearSampler", Kind::sampler, post.linearSampler},
                              });
    for (int i = 0; i < 2; ++i)
        names.insert(names.end(), {
                                      {"pingpongColorbuffers", Kind::texture, post.pingpongColorbuffers[i]},
                                      {"pingpongFBO", Kind::framebuffer, post.pingpongFBO[i]},
                                      {"pingpongRboId", Kind::renderbuffer, post.pingpongRboId[i]},
                                  });
    const std::pair<const char*, const Shader*> shaders[] = {
        {"depthShader", game.programs->depthShader},
        {"skyboxShader", game.programs->skyboxShader},
        {"finalShader", game.programs->finalShader},
        {"defaultShader", game.programs->defaultShader},
        {"gBufferShader", game.programs->geometryVariants.plain()},
        {"lightingShader", game.programs->lightingVariants.plain()},
        {"textureShader", game.programs->textureShader},
        {"gaussShader", game.programs->gaussShader},
        {"nightSkyShader", game.programs->nightSkyShader},
    };
    for (const auto& [what, shader] : shaders) {
        names.push_back({what, Kind::program, shader->program});
        names.push_back({std::string(what) + " vertex", Kind::shader, shader->vertexShader});
        names.push_back({std::string(what) + " fragment", Kind::shader, shader->fragmentShader});
        if (shader->hasGeometryShader)
            names.push_back({std::string(what) + " geometry", Kind::shader, shader->geometryShader});
    }
    const std::pair<const char*, const vantor::scene::Mesh*> meshes[] = {{"world", game.content->world},
                                                                         {"ball", game.content->ball}};
    for (const auto& [what, mesh] : meshes) {
        const std::string prefix = std::string(what) + " ";
        names.insert(names.end(), {
                                      {prefix + "vao", Kind::vertexArray, mesh->vao},
                                      {prefix + "vertexBuffer", Kind::buffer, mesh->vertexBuffer},
                                      {prefix + "normalBuffer", Kind::buffer, mesh->normalBuffer},
                                      {prefix + "uvBuffer", Kind::buffer, mesh->uvBuffer},
                                      {prefix + "tangentBuffer", Kind::buffer, mesh->tangentBuffer},
                                      {prefix + "bitangentBuffer", Kind::buffer, mesh->bitangentBuffer},
                                      {prefix + "elementBuffer", Kind::buffer, mesh->elementBuffer},
                                      {prefix + "diffuse", Kind::texture, mesh->diffuseTexture->handle},
                                      {prefix + "normal map", Kind::texture, mesh->normalTexture->handle},
                                      {prefix + "height map", Kind::texture, mesh->heightTexture->handle},
                                  });
    }
    names.insert(names.end(), {
                                  {"sky box cube map", Kind::texture, game.content->skybox->cubemapTexture},
                                  {"sky box VAO", Kind::vertexArray, game.content->skybox->skyboxVAO},
                                  {"sky box VBO", Kind::buffer, game.content->skybox->skyboxVBO},
                              });
    return names;
}

const Kind everyKind[] = {Kind::texture,     Kind::framebuffer, Kind::renderbuffer, Kind::buffer,
                          Kind::vertexArray, Kind::program,     Kind::shader,       Kind::sampler};
const char* const kindNames[] = {"texture",      "framebuffer", "renderbuffer", "buffer",
                                 "vertex array", "program",     "shader",       "sampler"};

// Every live name of every kind up to `limit`: catches objects no member list knows of.
std::vector<std::pair<int, GLuint>> liveNames(GLuint limit) {
    std::vector<std::pair<int, GLuint>> live;
    for (int kind = 0; kind < 8; ++kind)
        for (GLuint name = 1; name <= limit; ++name)
            if (exists(everyKind[kind], name))
                live.push_back({kind, name});
    return live;
}

} // namespace

TEST(GameTeardown, ADeletedGameLeavesNoGlObjectBehindWithOrWithoutDestroy) {
    // The driver hands out the lowest free names, far below this while only a Game lives.
    const GLuint sweep = 4096;
    for (const bool destroyFirst : {true, false}) {
        SCOPED_TRACE(destroyFirst ? "destroy, then delete" : "delete alone");
        const std::vector<std::pair<int, GLuint>> before = liveNames(sweep);
        auto game = gameFlownTo(1.0, width, height);
        // The light grid's storage is made by the first lighting pass, the kept shadow cube by the second
        // shadow pass; a resize remakes every screen-sized target, and the old ones must go.
        game->render();
        ASSERT_TRUE(game->resize(320, 400));
        game->render();
        ASSERT_TRUE(game->resize(width, height));
        game->render();
        glFinish();
        const std::vector<HeldName> names = namesHeldBy(*game);
        for (const HeldName& held : names) {
            ASSERT_TRUE(held.name != 0 && exists(held.kind, held.name)) << held.what << " is not live";
            ASSERT_LT(held.name, sweep) << held.what << ": names beyond the sweep";
        }

        if (destroyFirst)
            game->destroy();
        game.reset();
        for (const HeldName& held : names)
            EXPECT_FALSE(exists(held.kind, held.name))
                << held.what << " " << held.name << " outlives its Game";
        // Nor anything else the Game made, listed above or not.
        const std::vector<std::pair<int, GLuint>> after = liveNames(sweep);
        for (const auto& [kind, name] : after)
            EXPECT_TRUE(std::find(before.begin(), before.end(), std::make_pair(kind, name)) != before.end())
                << kindNames[kind] << " " << name << " outlives its Game";
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

namespace {

GLint textureSide(GLuint texture, GLenum which) {
    GLint side = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &side);
    glBindTexture(GL_TEXTURE_2D, 0);
    return side;
}

long residentKilobytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    long kilobytes = -1;
    char line[256];
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld kB", &kilobytes) == 1)
            break;
    if (status)
        std::fclose(status);
    return kilobytes;
}

} // namespace

TEST(GameResize, EveryScreenSizedTargetFollowsTheSizeAndNothingLeaks) {
    auto game = gameFlownTo(20.0, width, height);
    // Larger than the window, smaller, tall, wide, and back; each frame fills its own size.
    const int sizes[][2] = {{800, 480}, {320, 192}, {200, 300}, {640, 200}, {width, height}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        ASSERT_TRUE(game->resize(w, h));
        game->update();
        game->render();
        glFinish();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_EQ(game->screenWidth, w);
        EXPECT_EQ(game->screenHeight, h);
        for (GLuint texture :
             {game->gbuffer->gPosition, game->gbuffer->gNormal, game->gbuffer->gColorSpec,
              game->passes->postProcessing->renderedTexture, game->passes->postProcessing->brightTexture}) {
            EXPECT_EQ(textureSide(texture, GL_TEXTURE_WIDTH), w);
            EXPECT_EQ(textureSide(texture, GL_TEXTURE_HEIGHT), h);
        }
        EXPECT_EQ(textureSide(game->passes->postProcessing->blurResult(), GL_TEXTURE_WIDTH), (w + 1) / 2);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], w) << "the composite's viewport";
        EXPECT_EQ(viewport[3], h);
        // The projection follows the aspect: a light sphere stays round.
        EXPECT_NEAR(game->projection[1][1] / game->projection[0][0], float(w) / float(h), 1e-4f);
        // The frame reaches the top-right corner of its viewport, whatever lay outside before.
        if (w <= width && h <= height) {
            const Image window = readWindow();
            float corner = 0.0f;
            for (int y = h - 8; y < h; ++y)
                for (int x = w - 8; x < w; ++x)
                    corner += luminance(rgb(window, size_t(y) * width + x));
            EXPECT_GT(corner, 0.0f) << "the top-right corner of the frame is drawn";
        }
    }

    // A size past the context's limits keeps the last good one; the run goes on.
    EXPECT_FALSE(game->resize(game->sizeLimits.maxTextureSize + 1, 100));
    EXPECT_EQ(game->screenWidth, width);
    EXPECT_FALSE(game->resize(0, 0));
    EXPECT_EQ(game->screenHeight, height);

    // Many resizes hold no more memory than the first.
    game->resize(320, 192);
    game->render();
    glFinish();
    const long first = residentKilobytes();
    for (int i = 0; i < 100; ++i) {
        game->resize(i % 2 ? 320 : 480, i % 2 ? 192 : 600);
        game->render();
    }
    game->resize(320, 192);
    game->render();
    glFinish();
    EXPECT_LT(residentKilobytes(), first + first / 20) << "resident kB after the first resize: " << first;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
