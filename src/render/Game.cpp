#include "render/Game.h"

#include "gpu/GlProfile.h"
#include "render/FrameMath.h"
#include "render/GameParts.h"
#include "render/LevelShapeUniforms.h"
#include "render/PassObserver.h"
#include "scene/SceneFit.h"
#include "scene/TriangleOrder.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

namespace vantor {

namespace {

const std::string assetRoot = "../";
const std::string shaderDir = assetRoot + "Quarnvale/Shader/";

void setMatrix(Shader* shader, const char* name, const glm::mat4& matrix) {
    glUniformMatrix4fv(glGetUniformLocation(shader->program, name), 1, GL_FALSE, &matrix[0][0]);
}

void setVec3(Shader* shader, const char* name, float x, float y, float z) {
    glUniform3f(glGetUniformLocation(shader->program, name), x, y, z);
}

} // namespace

Game::Game(GLFWwindow* window, int screenWidth, int screenHeight)
    : deltaTime(0.0), window(window), screenWidth(screenWidth), screenHeight(screenHeight), view(1.0f),
      projection(1.0f), shadow(std::make_unique<ShadowCube>()), gbuffer(std::make_unique<GBuffer>()),
      lightRig(std::make_unique<LightRig>()), content(std::make_unique<SceneContent>()),
      programs(std::make_unique<GamePrograms>(shaderDir)), passes(std::make_unique<PicturePasses>()) {}

void Game::init() {
    glfwSetWindowTitle(window, "Demo");
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    shadow->lightPos.y = 1.0f;
    sizeLimits = queryGlSizeLimits();

    shadow->create();
    if (glprofile::geometryStage)
        programs->depthShader =
            new Shader(shaderDir + "pointlightdepth1.vert", shaderDir + "pointlightdepth1.geo",
                       shaderDir + "pointlightdepth1.frag");
    else // the vertex stage projects to one face per pass (shadowPass)
        programs->depthShader =
            new Shader(shaderDir + "pointlightdepth1.vert", shaderDir + "pointlightdepth1.frag",
                       ShaderDefines{"#define ONE_FACE_PER_PASS"});
    shadow->cacheMatrixLocations(*programs->depthShader);

    content->skybox = new Skybox();
    programs->skyboxShader = new Shader(shaderDir + "SkyBox.vert", shaderDir + "SkyBox.frag");
    programs->finalShader = new Shader(shaderDir + "final.vert", shaderDir + "final.frag");
    programs->defaultShader = new Shader(shaderDir + "default.vert", shaderDir + "default.frag");

    createQuad();
    gbuffer->createSampler();
    gbuffer->createGBufferTargets(frameWidth, frameHeight);
    programs->geometryVariants.makePlain();
    programs->lightingVariants.makePlain();
    programs->nightSkyShader = new Shader(shaderDir + "debuggbuffer.vert", shaderDir + "nightsky.frag");

    passes->postProcessing = std::make_unique<PostProcessing>(screenWidth, screenHeight);
    programs->textureShader = new Shader(shaderDir + "texture.vert", shaderDir + "texture.frag");
    programs->gaussShader = new Shader(shaderDir + "texture.vert", shaderDir + "gauss.frag");

    controls = sceneClock.controls = new vantor::Controls();

    glm::mat4 spawnPoint(0.0f);
    spawnPoint[0][0] = spawnPoint[1][1] = spawnPoint[2][2] = 0.1f;
    spawnPoint[3][3] = 1.0f;
    if (content->sceneData) {
        content->scene = new vantor::scene::SceneModel(
            *content->sceneData,
            scenefit::fitBounds(content->sceneData->boundsMin, content->sceneData->boundsMax));
        const scenefit::Bounds placed = scenefit::placedBounds(
            content->sceneData->boundsMin, content->sceneData->boundsMax, content->scene->modelMatrix);
        controls->fitFlight(vantor::camera::fitFlight(placed.min, placed.max));
        content->sceneData.reset();
        programs->sceneShader = new Shader(shaderDir + "gBuffer.vert", shaderDir + "sceneGBuffer.frag");
        // The cut-out program draws all six faces at once: a GL with no geometry stage draws full shadows.
        if (glprofile::geometryStage && content->scene->hasMaskedMaterials())
            programs->sceneDepthShader =
                new Shader(shaderDir + "sceneDepthMask.vert", shaderDir + "sceneDepthMask.geo",
                           shaderDir + "sceneDepthMask.frag");
    } else {
        content->world = new vantor::scene::World(spawnPoint, assetRoot + "Quarnvale/Objects/scene2");
    }

    spawnPoint[0][0] = spawnPoint[1][1] = spawnPoint[2][2] = 0.05f;
    content->ball = new vantor::scene::Ball(spawnPoint, assetRoot + "Quarnvale/Objects/sphere");
    content->smallBall =
        new vantor::scene::BodySphere(spawnPoint, assetRoot + "Quarnvale/Objects/sphere-small");
    content->shadowBall =
        new vantor::scene::BodySphere(spawnPoint, assetRoot + "Quarnvale/Objects/sphere-shadow");
    lightRig->bodyBatches = {content->ball, content->smallBall, content->shadowBall};

    // A thousand lights need a uniform block of 16016 bytes (the least a context may offer is
    // 16384) and their lists a buffer texture; a context offering less lights none of them.
    const LightPathLimits limits = queryLightPathLimits();
    lightRig->lightFrame.capacity = limits.lights;
    lightRig->lightFrame.indexCapacity = limits.indexEntries;
    if (!limits.shortfall.empty())
        std::cout << "Lighting: " << limits.shortfall << "; the coloured lights are not lit" << std::endl;
    lightRig->count = std::clamp(settings.lights, 0, RenderSettings::maxLights);
    lightRig->lights.makeUpTo(lightRig->count);

    passes->targetView = std::make_unique<TargetView>(shaderDir);
    passes->fxaa = std::make_unique<Fxaa>(shaderDir);
    passes->sharpUpscale = std::make_unique<SharpUpscale>(shaderDir);
    passes->ambientOcclusion = std::make_unique<AmbientOcclusion>(shaderDir);
}

void Game::destroy() {
    delete content->world;
    content->world = nullptr;
    delete content->scene;
    content->scene = nullptr;
    delete programs->sceneShader;
    programs->sceneShader = nullptr;
    delete programs->sceneDepthShader;
    programs->sceneDepthShader = nullptr;
    delete controls;
    controls = sceneClock.controls = nullptr;
    delete content->skybox;
    content->skybox = nullptr;
    delete programs->skyboxShader;
    programs->skyboxShader = nullptr;
}

void Game::update(vantor::ControlsFocus focus) {
    controls->update(static_cast<float>(deltaTime), window, screenWidth, screenHeight, view, projection,
                     focus);
    lightRig->count = std::clamp(settings.lights, 0, RenderSettings::maxLights);
    // Lights are made in order as the count first reaches them, paused or not.
    lightRig->lights.makeUpTo(lightRig->count);
    if (sceneClock.paused)
        return;
    // At the described speed the product is the frame time itself, to the bit.
    const double sceneTime = deltaTime * settings.lightSpeed;
    lightRig->lights.advance(lightRig->count, static_cast<float>(sceneTime));

    // A height no longer finite (an infinite step) starts the shadow light's descent again.
    shadow->lightPos.x = 0.0f;
    shadow->lightPos.y = framemath::sunkShadowLightHeight(shadow->lightPos.y, sceneTime);
    if (!std::isfinite(shadow->lightPos.y))
        shadow->lightPos.y = 1.0f;
    shadow->lightPos.z = 0.0f;

    shadow->buildTransforms();
}

void Game::render() {
    fitTargetsToScale();
    const glm::mat4 transPosition = framemath::levelCopyTransform();

    // Switched off, the shadow pass leaves the cube as it was; the lighting variant never reads it.
    if (settings.shadows)
        observedPass(passObserver, "shadow", [&] { shadowPass(transPosition); });
    observedPass(passObserver, "geometry", [&] { geometryPass(transPosition); });
    // Two passes of its own ("ssao", "ssao blur"), between the G-buffer and the lighting that reads it.
    passes->occlusionTexture = 0;
    if (settings.ssao) {
        AmbientOcclusion::Inputs in;
        in.position = gbuffer->gPosition;
        in.normal = gbuffer->gNormal;
        in.width = frameWidth;
        in.height = frameHeight;
        in.view = view;
        in.projection = projection;
        in.radius = settings.ssaoRadius;
        in.strength = settings.ssaoStrength;
        in.quadVAO = quadVAO;
        passes->occlusionTexture = passes->ambientOcclusion->draw(in, passObserver);
    }
    observedPass(passObserver, "lighting", [&] { lightingPass(); });
    observedPass(passObserver, "forward", [&] { forwardPass(); });

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // Three passes, reported one by one as "blur 1 (h)", "blur 2 (v)", "blur 3 (h)". Without
    // bloom the composite adds nothing, so what the blur would hold is never read.
    if (settings.bloom)
        passes->postProcessing->blur(programs->gaussShader, passObserver);

    // Anti-aliasing and the sharp stretch work on the composited picture before it reaches the
    // window; without them the composite draws (or stretches) straight into it.
    const bool finishing =
        settings.aa == AaFxaa || (settings.upscale == UpscaleSharp && passes->postProcessing->scaled());
    GLuint picture = 0;
    observedPass(passObserver, "composite", [&] {
        glEnable(GL_BLEND);
        glprofile::fillPolygons();
        programs->textureShader->use();
        glUniform1f(glGetUniformLocation(programs->textureShader->program, "bloomStrength"),
                    settings.bloom ? settings.bloomStrength : 0.0f);
        if (finishing)
            picture = passes->postProcessing->compositeToPicture(programs->textureShader);
        else
            passes->postProcessing->composite(programs->textureShader, programs->finalShader);
    });
    if (finishing)
        finishPicture(picture);
    const TargetViewId shown = shownView();
    if (shown != TargetViewId::Final)
        observedPass(passObserver, "view", [&] { passes->targetView->draw(shown, viewSources()); });
}

void Game::finishPicture(GLuint picture) {
    const bool scaled = passes->postProcessing->scaled();
    if (settings.aa == AaFxaa) {
        bool drawn = false;
        observedPass(passObserver, "fxaa", [&] {
            drawn = passes->fxaa->draw(*passes->postProcessing, picture,
                                       passes->postProcessing->scaledPicture.framebuffer, frameWidth,
                                       frameHeight, !scaled, gbuffer->gPosition, controls->position);
        });
        // Without its program the picture goes on as it was.
        if (drawn && !scaled)
            return;
        if (drawn)
            picture = passes->fxaa->output.texture;
    }
    // At scale 1 the pass-through program copies the picture into the window pixel for pixel.
    if (settings.upscale == UpscaleSharp && scaled &&
        passes->sharpUpscale->draw(*passes->postProcessing, picture, frameWidth, frameHeight,
                                   settings.sharpness, passObserver))
        return;
    observedPass(passObserver, "stretch",
                 [&] { passes->postProcessing->stretchToWindow(programs->finalShader, picture); });
}

std::vector<Shader*> Game::allPrograms() const {
    std::vector<Shader*> all;
    programs->collect(all);
    passes->collect(all);
    return all;
}

Shader* Game::geometryProgram() {
    return programs->geometryVariants.get((settings.normalMaps ? 0u : 1u) | (settings.parallax ? 0u : 2u));
}

Shader* Game::lightingProgram() {
    return programs->lightingVariants.get((settings.shadows ? 0u : 1u) |
                                          (passes->occlusionTexture ? 2u : 0u));
}

ViewSources Game::viewSources() const {
    ViewSources s;
    s.position = gbuffer->gPosition;
    s.normal = gbuffer->gNormal;
    s.colourSpec = gbuffer->gColorSpec;
    s.shadowCube = shadow->depthCubemap;
    s.shadowSampler = shadow->shadowSampler;
    s.nearPlane = shadow->nearPlane;
    s.farPlane = shadow->farPlane;
    s.lit = passes->postProcessing->renderedTexture;
    s.bright = passes->postProcessing->brightTexture;
    s.blur = passes->postProcessing->blurResult();
    s.quadVAO = quadVAO;
    s.width = screenWidth;
    s.height = screenHeight;
    s.targetWidth = frameWidth;
    s.targetHeight = frameHeight;
    return s;
}

// ---- Shadow cube map -------------------------------------------------------------------

void Game::setShadowUniforms() {
    // A frame rendered before any update (a capture at time 0) still needs the six faces.
    if (shadow->shadowTransforms.size() != 6)
        shadow->buildTransforms();
    // A reloaded shadow program has locations of its own.
    if (shadow->shadowLocationsGeneration != programs->depthShader->generation) {
        shadow->shadowMatrixLocations.clear();
        shadow->cacheMatrixLocations(*programs->depthShader);
    }
    programs->depthShader->use();
    if (content->scene)
        content->scene->setupVertexArray(programs->depthShader);
    else
        content->world->setupVertexArray(programs->depthShader, true, false, false, false, false);
    glUniform2f(glGetUniformLocation(programs->depthShader->program, "near_far"), shadow->nearPlane,
                shadow->farPlane);
    glUniform4f(glGetUniformLocation(programs->depthShader->program, "l_pos"), shadow->lightPos.x,
                shadow->lightPos.y, shadow->lightPos.z, 1.0f);
    glUseProgram(programs->depthShader->program);
    for (int i = 0; i < 6; ++i) {
        const glm::mat4 pointLightView = shadow->shadowTransforms[i];
        glUniformMatrix4fv(shadow->shadowMatrixLocations[i], 1, GL_FALSE, &pointLightView[0][0]);
    }
    glUniform1i(glGetUniformLocation(programs->depthShader->program, "instanced"), 0);
}

void Game::shadowPass(const glm::mat4& transPosition) {
    setShadowUniforms();
    if (!glprofile::geometryStage) {
        // One face per pass, with the faces' own matrices; the rasteriser keeps the sides facing
        // the light (counter-clockwise seen from it, whatever the placement mirrors), as the
        // geometry stage does. Nothing is cached: WebGL2 copies no texture into another.
        const GLint faceLocation = glGetUniformLocation(programs->depthShader->program, "face");
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        for (int face = 0; face < 6; ++face) {
            glBindFramebuffer(GL_FRAMEBUFFER, shadow->depthMapFBO);
            attachDepthCubeFace(shadow->depthCubemap, face);
            glUniform1i(faceLocation, face);
            drawShadowLevel(shadow->depthMapFBO, transPosition);
            drawShadowSpheres(false);
        }
        glDisable(GL_CULL_FACE);
        return;
    }
    // A reload of either shadow program draws the level again.
    const unsigned generations = programs->depthShader->generation +
                                 (programs->sceneDepthShader ? programs->sceneDepthShader->generation : 0);
    const ShadowLevelCache::Key key = ShadowLevelCache::Key::of(
        shadow->lightPos,
        content->scene ? std::vector<glm::mat4>{content->scene->modelMatrix}
                       : std::vector<glm::mat4>{content->world->modelMatrix, transPosition},
        shadow->shadowTransforms, generations);
    switch (shadow->shadowCache.plan(key, shadow->shadowCacheEnabled && GLEW_ARB_copy_image,
                                     shadow->depthCubemap)) {
    case ShadowLevelCache::Step::DrawFromScratch:
        drawShadowLevel(shadow->depthMapFBO, transPosition);
        drawShadowSpheres(false);
        return;
    case ShadowLevelCache::Step::DrawStraight:
        drawShadowLevel(shadow->depthMapFBO, transPosition);
        drawShadowSpheres(true);
        return;
    case ShadowLevelCache::Step::KeepLevel:
        drawShadowLevel(shadow->shadowCache.framebuffer, transPosition);
        break;
    case ShadowLevelCache::Step::ReuseLevel:
        break;
    }
    shadow->shadowCache.restore(shadow->depthCubemap);
    glBindFramebuffer(GL_FRAMEBUFFER, shadow->depthMapFBO);
    glViewport(0, 0, shadow->shadowWidth, shadow->shadowHeight);
    drawShadowSpheres(true);
    shadow->shadowCache.recordBodies(lightRig->bodyBatches.sets(lightRig->lightBodies.bodies, true),
                                     lightRig->lights.positions(lightRig->count), shadow->lightPos,
                                     shadow->shadowTransforms);
}

void Game::drawShadowLevel(GLuint framebuffer, const glm::mat4& transPosition) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, shadow->shadowWidth, shadow->shadowHeight);
    glClear(GL_DEPTH_BUFFER_BIT);
    // The file's order: depth alone comes out the same in any order, and sorting from the
    // light made this no cheaper.
    if (content->scene) {
        setMatrix(programs->depthShader, "M", content->scene->modelMatrix);
        content->scene->drawDepth();
        if (programs->sceneDepthShader) {
            programs->sceneDepthShader->use();
            content->scene->setupVertexArray(programs->sceneDepthShader);
            setMatrix(programs->sceneDepthShader, "M", content->scene->modelMatrix);
            for (int i = 0; i < 6; ++i) {
                const std::string name = "cm_mat[" + std::to_string(i) + "]";
                setMatrix(programs->sceneDepthShader, name.c_str(), shadow->shadowTransforms[i]);
            }
            content->scene->drawDepthMasked(programs->sceneDepthShader);
            programs->depthShader->use();
        }
        return;
    }
    setMatrix(programs->depthShader, "M", content->world->modelMatrix);
    content->world->draw();
    setMatrix(programs->depthShader, "M", transPosition);
    content->world->draw();
}

void Game::drawShadowSpheres(bool instanced) {
    if (!instanced) {
        lightRig->bodyBatches.drawEachIntoShadow(
            programs->depthShader, lightRig->lights.positions(lightRig->count), shadow->lightPos);
        return;
    }
    lightRig->lightBodies.upload(lightRig->lights.positions(lightRig->count),
                                 lightRig->lights.colors(lightRig->count));
    lightRig->bodyBatches.draw(lightRig->lightBodies, programs->depthShader, true);
}

// ---- G-buffer and forward pass ---------------------------------------------------------

void Game::geometryPass(const glm::mat4& transPosition) {
    glBindFramebuffer(GL_FRAMEBUFFER, gbuffer->gBuffer);
    glViewport(0, 0, frameWidth, frameHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    Shader* const shader = content->scene ? programs->sceneShader : geometryProgram();
    shader->use();
    setMatrix(shader, "V", view);
    setMatrix(shader, "P", projection);
    setMatrix(shader, "M", content->scene ? content->scene->modelMatrix : content->world->modelMatrix);
    setVec3(shader, "viewPos", controls->position.x, controls->position.y, controls->position.z);
    setVec3(shader, "colorOfObject", 0.0f, 0.0f, 0.0f);
    glUniform1f(glGetUniformLocation(shader->program, "parallaxScale"), settings.parallaxScale);
    // A scene is drawn once, both sides of every face (a model's sheets are often single), with
    // its textures' own filtering.
    if (content->scene) {
        content->scene->setupVertexArray(shader);
        content->scene->drawSurfaces(shader, settings.normalMaps, settings.parallax);
        return;
    }

    content->world->setupVertexArray(shader, true, true, true, true, true);
    for (GLuint unit = 0; unit < 3; ++unit)
        glBindSampler(unit, gbuffer->gBufferSampler);
    // The level is closed towards every place a camera can reach, so its back faces are never
    // what a pixel shows; a mirroring placement turns its winding over.
    if (levelBackFaceCulling)
        glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    const glm::mat4 placements[2] = {content->world->modelMatrix, transPosition};
    const int first = content->levelOrder.sort(*content->world, controls->position, placements);
    for (int n = 0; n < 2; ++n) {
        const int i = (first + n) % 2;
        setMatrix(shader, "M", placements[i]);
        glFrontFace(framemath::mirrors(placements[i]) ? GL_CW : GL_CCW);
        content->levelOrder.draw(*content->world, i);
    }
    glFrontFace(GL_CCW);
    glDisable(GL_CULL_FACE);
    for (GLuint unit = 0; unit < 3; ++unit)
        glBindSampler(unit, 0);
}

void Game::copyGBufferDepth() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gbuffer->gBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, passes->postProcessing->getFramebuffer());
    glBlitFramebuffer(0, 0, frameWidth, frameHeight, 0, 0, frameWidth, frameHeight, GL_DEPTH_BUFFER_BIT,
                      GL_NEAREST);
}

void Game::forwardPass() {
    glBindFramebuffer(GL_FRAMEBUFFER, passes->postProcessing->getFramebuffer());
    programs->defaultShader->use();
    setMatrix(programs->defaultShader, "V", view);
    setMatrix(programs->defaultShader, "P", projection);

    // The spheres are closed and wound counter-clockwise seen from outside, so culling their
    // back faces loses nothing seen from outside; but the camera's path runs through the
    // spiralling balls and ends inside the marker, and from inside only back faces remain:
    // culled, a sphere around the camera vanishes instead of filling the view with its far
    // half. The geometry pass culls the level on its own terms; here culling is for the
    // spheres.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);

    // The first fifty bodies in one instanced draw (the same matrices and colours, in the same
    // order, as one draw per body), the rest in one batched draw.
    lightRig->lightBodies.upload(lightRig->lights.positions(lightRig->count),
                                 lightRig->lights.colors(lightRig->count));
    lightRig->bodyBatches.draw(lightRig->lightBodies, programs->defaultShader, false);

    content->ball->setupVertexArray(programs->defaultShader, true, false, false, false, false);

    // The marker: the sphere's raw geometry at a fixed scale, not the mesh's own matrix.
    glm::mat4 markerScale(0.0f);
    markerScale[0][0] = markerScale[1][1] = markerScale[2][2] = 0.2f;
    markerScale[3][3] = 1.0f;
    const glm::mat4 position_pointlight = framemath::placedAt(markerScale, shadow->lightPos);
    setMatrix(programs->defaultShader, "M", position_pointlight);
    setVec3(programs->defaultShader, "colorOfObject", 1.0f, 1.0f, 1.0f);
    content->ball->draw();
    glDisable(GL_CULL_FACE);
}

// ---- Deferred lighting -----------------------------------------------------------------

void Game::lightingPass() {
    // A software rasteriser runs both sides of every branch, so the lit pixels and the empty
    // ones get a program each, and the depth test picks the pixels: with the G-buffer's depth
    // in the target, the lighting quad (at the far plane) passes where something was drawn,
    // the sky's quad (also at the far plane) where the depth is still the cleared 1. Neither
    // writes depth, so the forward pass after them finds the G-buffer's depth in place.
    // No clears: the two quads write every pixel of both colour attachments, and the depth copy
    // replaces the whole depth buffer; clearing first would only cost a pass over all three.
    prepareLights();
    copyGBufferDepth();
    glBindFramebuffer(GL_FRAMEBUFFER, passes->postProcessing->getFramebuffer());
    glViewport(0, 0, frameWidth, frameHeight);
    const GLenum buffers[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, buffers);
    glDepthMask(GL_FALSE);

    Shader* const shader = lightingProgram();
    shader->use();
    const GLuint textures[3] = {gbuffer->gPosition, gbuffer->gNormal, gbuffer->gColorSpec};
    const char* samplers[3] = {"gPosition", "gNormal", "gColorSpec"};
    for (int unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glUniform1i(glGetUniformLocation(shader->program, samplers[unit]), unit);
        glBindTexture(GL_TEXTURE_2D, textures[unit]);
    }
    setLightingUniforms(shader);
    // Units 0-3 hold the G-buffer and the shadow cube, 4 and 5 the light grid.
    if (passes->occlusionTexture) {
        glActiveTexture(GL_TEXTURE6);
        glBindTexture(GL_TEXTURE_2D, passes->occlusionTexture);
        glBindSampler(6, passes->postProcessing->linearSampler);
        glUniform1i(glGetUniformLocation(shader->program, "ambientOcclusion"), 6);
    }

    glBindVertexArray(quadVAO);
    glDepthFunc(GL_GREATER);
    glBindSampler(3, shadow->shadowSampler);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindSampler(3, 0);
    if (passes->occlusionTexture) {
        glBindSampler(6, 0);
        glActiveTexture(GL_TEXTURE3);
    }

    programs->nightSkyShader->use();
    setVec3(programs->nightSkyShader, "viewPos", controls->position.x, controls->position.y,
            controls->position.z);
    setMatrix(programs->nightSkyShader, "inverseViewProjection", glm::inverse(projection * view));
    glDepthFunc(GL_EQUAL);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glBindVertexArray(0);
}

void Game::prepareLights() {
    lightRig->lightFrame.prepare(lightRig->lights.positions(lightRig->count),
                                 lightRig->lights.colors(lightRig->count),
                                 lightcount::lightLook(lightRig->lights.inUse(lightRig->count)));
}

void Game::setLightingUniforms(Shader* shader) {
    // Every coloured light reaches the program through the light block and the grid.
    lightRig->lightFrame.apply(shader);
    setVec3(shader, "viewPos", controls->position.x, controls->position.y, controls->position.z);
    glUniform1i(glGetUniformLocation(shader->program, "NR_LIGHTS"), lightRig->count);
    glUniform4f(glGetUniformLocation(shader->program, "WS_pos_light"), shadow->lightPos.x, shadow->lightPos.y,
                shadow->lightPos.z, 1.0f);
    glUniform2f(glGetUniformLocation(shader->program, "near_far"), shadow->nearPlane, shadow->farPlane);
    glUniform1f(glGetUniformLocation(shader->program, "exposure"), settings.exposure);
    setLevelShapeUniforms(shader->program);
    glActiveTexture(GL_TEXTURE3);
    glUniform1i(glGetUniformLocation(shader->program, "cubemap_tex"), 3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadow->depthCubemap);
}

} // namespace vantor
