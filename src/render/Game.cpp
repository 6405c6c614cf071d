#include "render/Game.h"

#include "render/FrameMath.h"
#include "render/LevelShapeUniforms.h"
#include "scene/SceneFit.h"
#include "scene/TriangleOrder.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

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
    : deltaTime(0.0), window(window), screenWidth(screenWidth), screenHeight(screenHeight), shadowWidth(1024),
      shadowHeight(1024), objectCount(50), view(1.0f), projection(1.0f), lightPos(0.0f, 0.0f, 0.0f),
      nearPlane(0.01f), farPlane(3.0f), shadowProj(framemath::shadowProjection(nearPlane, farPlane)),
      geometryVariants({shaderDir + "gBuffer.vert", shaderDir + "gBuffer.frag"},
                       {"NO_NORMAL_MAPS", "NO_PARALLAX"}),
      lightingVariants({shaderDir + "debuggbuffer.vert", shaderDir + "debuggbuffer.frag"},
                       {"NO_SHADOWS", "AMBIENT_OCCLUSION"}) {}

void Game::init() {
    glfwSetWindowTitle(window, "Demo");
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    lightPos.y = 1.0f;
    sizeLimits = queryGlSizeLimits();

    createShadowMap();
#ifdef __EMSCRIPTEN__
    // WebGL2 has no geometry stage: the vertex stage projects to one face per pass (shadowPass).
    depthShader = new Shader(shaderDir + "pointlightdepth1.vert", shaderDir + "pointlightdepth1.frag",
                             ShaderDefines{"#define ONE_FACE_PER_PASS"});
#else
    depthShader = new Shader(shaderDir + "pointlightdepth1.vert", shaderDir + "pointlightdepth1.geo",
                             shaderDir + "pointlightdepth1.frag");
#endif
    cacheShadowMatrixLocations();

    skybox = new Skybox();
    skyboxShader = new Shader(shaderDir + "SkyBox.vert", shaderDir + "SkyBox.frag");
    finalShader = new Shader(shaderDir + "final.vert", shaderDir + "final.frag");
    defaultShader = new Shader(shaderDir + "default.vert", shaderDir + "default.frag");

    createGBuffer();
    gBufferShader = geometryVariants.plain =
        new Shader(shaderDir + "gBuffer.vert", shaderDir + "gBuffer.frag");
    lightingShader = lightingVariants.plain =
        new Shader(shaderDir + "debuggbuffer.vert", shaderDir + "debuggbuffer.frag");
    nightSkyShader = new Shader(shaderDir + "debuggbuffer.vert", shaderDir + "nightsky.frag");

    postProcessing = new PostProcessing(screenWidth, screenHeight);
    textureShader = new Shader(shaderDir + "texture.vert", shaderDir + "texture.frag");
    gaussShader = new Shader(shaderDir + "texture.vert", shaderDir + "gauss.frag");

    controls = pause.controls = new vantor::Controls();

    glm::mat4 spawnPoint(0.0f);
    spawnPoint[0][0] = spawnPoint[1][1] = spawnPoint[2][2] = 0.1f;
    spawnPoint[3][3] = 1.0f;
    if (sceneData) {
        scene = new vantor::scene::SceneModel(
            *sceneData, scenefit::fitBounds(sceneData->boundsMin, sceneData->boundsMax));
        const scenefit::Bounds placed =
            scenefit::placedBounds(sceneData->boundsMin, sceneData->boundsMax, scene->modelMatrix);
        controls->fitFlight(vantor::camera::fitFlight(placed.min, placed.max));
        sceneData.reset();
        sceneShader = new Shader(shaderDir + "gBuffer.vert", shaderDir + "sceneGBuffer.frag");
#ifndef __EMSCRIPTEN__
        if (scene->hasMaskedMaterials())
            sceneDepthShader = new Shader(shaderDir + "sceneDepthMask.vert", shaderDir + "sceneDepthMask.geo",
                                          shaderDir + "sceneDepthMask.frag");
#endif
    } else {
        world = new vantor::scene::World(spawnPoint, assetRoot + "Quarnvale/Objects/scene2");
    }

    spawnPoint[0][0] = spawnPoint[1][1] = spawnPoint[2][2] = 0.05f;
    ball = new vantor::scene::Ball(spawnPoint, assetRoot + "Quarnvale/Objects/sphere");
    smallBall = new vantor::scene::BodySphere(spawnPoint, assetRoot + "Quarnvale/Objects/sphere-small");
    shadowBall = new vantor::scene::BodySphere(spawnPoint, assetRoot + "Quarnvale/Objects/sphere-shadow");
    bodyDrawing = {ball, smallBall, shadowBall};

    // A thousand lights need a uniform block of 16016 bytes (the least a context may offer is
    // 16384) and their lists a buffer texture; a context offering less lights none of them.
    const LightPathLimits limits = queryLightPathLimits();
    lightFrame.capacity = limits.lights;
    lightFrame.indexCapacity = limits.indexEntries;
    if (!limits.shortfall.empty())
        std::cout << "Lighting: " << limits.shortfall << "; the coloured lights are not lit" << std::endl;
    objectCount = std::clamp(settings.lights, 0, RenderSettings::maxLights);
    objects.makeUpTo(objectCount);

    targetView = std::make_unique<TargetView>(shaderDir);
    fxaa = std::make_unique<Fxaa>(shaderDir);
    sharpUpscale = std::make_unique<SharpUpscale>(shaderDir);
    ambientOcclusion = std::make_unique<AmbientOcclusion>(shaderDir);
}

void Game::destroy() {
    delete world;
    world = nullptr;
    delete scene;
    scene = nullptr;
    delete sceneShader;
    sceneShader = nullptr;
    delete sceneDepthShader;
    sceneDepthShader = nullptr;
    delete controls;
    controls = pause.controls = nullptr;
    delete skybox;
    skybox = nullptr;
    delete skyboxShader;
    skyboxShader = nullptr;
}

void Game::update(vantor::ControlsFocus focus) {
    controls->update(static_cast<float>(deltaTime), window, screenWidth, screenHeight, view, projection,
                     focus);
    objectCount = std::clamp(settings.lights, 0, RenderSettings::maxLights);
    // Lights are made in order as the count first reaches them, paused or not.
    objects.makeUpTo(objectCount);
    if (pause.paused)
        return;
    // At the described speed the product is the frame time itself, to the bit.
    const double sceneTime = deltaTime * settings.lightSpeed;
    objects.advance(objectCount, static_cast<float>(sceneTime));

    // A height no longer finite (an infinite step) starts the shadow light's descent again.
    lightPos.x = 0.0f;
    lightPos.y = framemath::sunkShadowLightHeight(lightPos.y, sceneTime);
    if (!std::isfinite(lightPos.y))
        lightPos.y = 1.0f;
    lightPos.z = 0.0f;

    buildShadowTransforms();
}

void Game::render() {
    fitTargetsToScale();
    const glm::mat4 transPosition = framemath::levelCopyTransform();

    // Switched off, the shadow pass leaves the cube as it was; the lighting variant never reads it.
    if (settings.shadows)
        observedPass(passObserver, "shadow", [&] { shadowPass(transPosition); });
    observedPass(passObserver, "geometry", [&] { geometryPass(transPosition); });
    // Two passes of its own ("ssao", "ssao blur"), between the G-buffer and the lighting that reads it.
    occlusionTexture = 0;
    if (settings.ssao) {
        AmbientOcclusion::Inputs in;
        in.position = gPosition;
        in.normal = gNormal;
        in.width = frameWidth;
        in.height = frameHeight;
        in.view = view;
        in.projection = projection;
        in.radius = settings.ssaoRadius;
        in.strength = settings.ssaoStrength;
        in.quadVAO = quadVAO;
        occlusionTexture = ambientOcclusion->draw(in, passObserver);
    }
    observedPass(passObserver, "lighting", [&] { lightingPass(); });
    observedPass(passObserver, "forward", [&] { forwardPass(); });

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // Three passes, reported one by one as "blur 1 (h)", "blur 2 (v)", "blur 3 (h)". Without
    // bloom the composite adds nothing, so what the blur would hold is never read.
    if (settings.bloom)
        postProcessing->blur(gaussShader, passObserver);

    // Anti-aliasing and the sharp stretch work on the composited picture before it reaches the
    // window; without them the composite draws (or stretches) straight into it.
    const bool finishing =
        settings.aa == AaFxaa || (settings.upscale == UpscaleSharp && postProcessing->scaled());
    GLuint picture = 0;
    observedPass(passObserver, "composite", [&] {
        glEnable(GL_BLEND);
#ifndef __EMSCRIPTEN__ // WebGL2 fills polygons only
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
#endif
        textureShader->use();
        glUniform1f(glGetUniformLocation(textureShader->program, "bloomStrength"),
                    settings.bloom ? settings.bloomStrength : 0.0f);
        if (finishing)
            picture = postProcessing->compositeToPicture(textureShader);
        else
            postProcessing->composite(textureShader, finalShader);
    });
    if (finishing)
        finishPicture(picture);
    const TargetViewId shown = shownView();
    if (shown != TargetViewId::Final)
        observedPass(passObserver, "view", [&] { targetView->draw(shown, viewSources()); });
}

void Game::finishPicture(GLuint picture) {
    const bool scaled = postProcessing->scaled();
    if (settings.aa == AaFxaa) {
        bool drawn = false;
        observedPass(passObserver, "fxaa", [&] {
            drawn = fxaa->draw(*postProcessing, picture, frameWidth, frameHeight, !scaled, gPosition,
                               controls->position);
        });
        // Without its program the picture goes on as it was.
        if (drawn && !scaled)
            return;
        if (drawn)
            picture = fxaa->output.texture;
    }
    // At scale 1 the pass-through program copies the picture into the window pixel for pixel.
    if (settings.upscale == UpscaleSharp && scaled &&
        sharpUpscale->draw(*postProcessing, picture, frameWidth, frameHeight, settings.sharpness,
                           passObserver))
        return;
    observedPass(passObserver, "stretch", [&] { postProcessing->stretchToWindow(finalShader, picture); });
}

Shader* Game::geometryProgram() {
    return geometryVariants.get((settings.normalMaps ? 0u : 1u) | (settings.parallax ? 0u : 2u));
}

Shader* Game::lightingProgram() {
    return lightingVariants.get((settings.shadows ? 0u : 1u) | (occlusionTexture ? 2u : 0u));
}

ViewSources Game::viewSources() const {
    ViewSources s;
    s.position = gPosition;
    s.normal = gNormal;
    s.colourSpec = gColorSpec;
    s.shadowCube = depthCubemap;
    s.shadowSampler = shadowSampler;
    s.nearPlane = nearPlane;
    s.farPlane = farPlane;
    s.lit = postProcessing->renderedTexture;
    s.bright = postProcessing->brightTexture;
    s.blur = postProcessing->blurResult();
    s.quadVAO = quadVAO;
    s.width = screenWidth;
    s.height = screenHeight;
    s.targetWidth = frameWidth;
    s.targetHeight = frameHeight;
    return s;
}

// ---- Shadow cube map -------------------------------------------------------------------

void Game::buildShadowTransforms() {
    shadowTransforms.clear();
    for (const glm::mat4& face : framemath::shadowFaceMatrices(shadowProj, lightPos))
        shadowTransforms.push_back(face);
}

void Game::setShadowUniforms() {
    // A frame rendered before any update (a capture at time 0) still needs the six faces.
    if (shadowTransforms.size() != 6)
        buildShadowTransforms();
    // A reloaded shadow program has locations of its own.
    if (shadowLocationsGeneration != depthShader->generation) {
        shadowMatrixLocations.clear();
        cacheShadowMatrixLocations();
    }
    depthShader->use();
    if (scene)
        scene->setupVertexArray(depthShader);
    else
        world->setupVertexArray(depthShader, true, false, false, false, false);
    glUniform2f(glGetUniformLocation(depthShader->program, "near_far"), nearPlane, farPlane);
    glUniform4f(glGetUniformLocation(depthShader->program, "l_pos"), lightPos.x, lightPos.y, lightPos.z,
                1.0f);
    glUseProgram(depthShader->program);
    for (int i = 0; i < 6; ++i) {
        const glm::mat4 pointLightView = shadowTransforms[i];
        glUniformMatrix4fv(shadowMatrixLocations[i], 1, GL_FALSE, &pointLightView[0][0]);
    }
    glUniform1i(glGetUniformLocation(depthShader->program, "instanced"), 0);
}

void Game::shadowPass(const glm::mat4& transPosition) {
    setShadowUniforms();
#ifdef __EMSCRIPTEN__
    // One face per pass, with the faces' own matrices; the rasteriser keeps the sides facing the
    // light (counter-clockwise seen from it, whatever the placement mirrors), as the desktop's
    // geometry stage does. Nothing is cached: WebGL2 copies no texture into another.
    const GLint faceLocation = glGetUniformLocation(depthShader->program, "face");
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    for (int face = 0; face < 6; ++face) {
        glBindFramebuffer(GL_FRAMEBUFFER, depthMapFBO);
        attachDepthCubeFace(depthCubemap, face);
        glUniform1i(faceLocation, face);
        drawShadowLevel(depthMapFBO, transPosition);
        drawShadowSpheres(false);
    }
    glDisable(GL_CULL_FACE);
    return;
#endif
    // A reload of either shadow program draws the level again.
    const unsigned programs = depthShader->generation + (sceneDepthShader ? sceneDepthShader->generation : 0);
    const ShadowLevelCache::Key key =
        ShadowLevelCache::Key::of(lightPos,
                                  scene ? std::vector<glm::mat4>{scene->modelMatrix}
                                        : std::vector<glm::mat4>{world->modelMatrix, transPosition},
                                  shadowTransforms, programs);
    switch (shadowCache.plan(key, shadowCacheEnabled && GLEW_ARB_copy_image, depthCubemap)) {
    case ShadowLevelCache::Step::DrawFromScratch:
        drawShadowLevel(depthMapFBO, transPosition);
        drawShadowSpheres(false);
        return;
    case ShadowLevelCache::Step::DrawStraight:
        drawShadowLevel(depthMapFBO, transPosition);
        drawShadowSpheres(true);
        return;
    case ShadowLevelCache::Step::KeepLevel:
        drawShadowLevel(shadowCache.framebuffer, transPosition);
        break;
    case ShadowLevelCache::Step::ReuseLevel:
        break;
    }
    shadowCache.restore(depthCubemap);
    glBindFramebuffer(GL_FRAMEBUFFER, depthMapFBO);
    glViewport(0, 0, shadowWidth, shadowHeight);
    drawShadowSpheres(true);
    shadowCache.recordBodies(bodyDrawing.sets(lightBodies.bodies, true), objects.positions(objectCount),
                             lightPos, shadowTransforms);
}

void Game::drawShadowLevel(GLuint framebuffer, const glm::mat4& transPosition) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, shadowWidth, shadowHeight);
    glClear(GL_DEPTH_BUFFER_BIT);
    // The file's order: depth alone comes out the same in any order, and sorting from the
    // light made this no cheaper.
    if (scene) {
        setMatrix(depthShader, "M", scene->modelMatrix);
        scene->drawDepth();
        if (sceneDepthShader) {
            sceneDepthShader->use();
            scene->setupVertexArray(sceneDepthShader);
            setMatrix(sceneDepthShader, "M", scene->modelMatrix);
            for (int i = 0; i < 6; ++i) {
                const std::string name = "cm_mat[" + std::to_string(i) + "]";
                setMatrix(sceneDepthShader, name.c_str(), shadowTransforms[i]);
            }
            scene->drawDepthMasked(sceneDepthShader);
            depthShader->use();
        }
        return;
    }
    setMatrix(depthShader, "M", world->modelMatrix);
    world->draw();
    setMatrix(depthShader, "M", transPosition);
    world->draw();
}

void Game::drawShadowSpheres(bool instanced) {
    if (!instanced) {
        bodyDrawing.drawEachIntoShadow(depthShader, objects.positions(objectCount), lightPos);
        return;
    }
    lightBodies.upload(objects.positions(objectCount), objects.colors(objectCount));
    bodyDrawing.draw(lightBodies, depthShader, true);
}

// ---- G-buffer and forward pass ---------------------------------------------------------

void Game::geometryPass(const glm::mat4& transPosition) {
    glBindFramebuffer(GL_FRAMEBUFFER, gBuffer);
    glViewport(0, 0, frameWidth, frameHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    Shader* const shader = scene ? sceneShader : geometryProgram();
    shader->use();
    setMatrix(shader, "V", view);
    setMatrix(shader, "P", projection);
    setMatrix(shader, "M", scene ? scene->modelMatrix : world->modelMatrix);
    setVec3(shader, "viewPos", controls->position.x, controls->position.y, controls->position.z);
    setVec3(shader, "colorOfObject", 0.0f, 0.0f, 0.0f);
    glUniform1f(glGetUniformLocation(shader->program, "parallaxScale"), settings.parallaxScale);
    // A scene is drawn once, both sides of every face (a model's sheets are often single), with
    // its textures' own filtering.
    if (scene) {
        scene->setupVertexArray(shader);
        scene->drawSurfaces(shader, settings.normalMaps, settings.parallax);
        return;
    }

    world->setupVertexArray(shader, true, true, true, true, true);
    for (GLuint unit = 0; unit < 3; ++unit)
        glBindSampler(unit, gBufferSampler);
    // The level is closed towards every place a camera can reach, so its back faces are never
    // what a pixel shows; a mirroring placement turns its winding over.
    if (levelBackFaceCulling)
        glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    const glm::mat4 placements[2] = {world->modelMatrix, transPosition};
    const int first = levelOrder.sort(*world, controls->position, placements);
    for (int n = 0; n < 2; ++n) {
        const int i = (first + n) % 2;
        setMatrix(shader, "M", placements[i]);
        glFrontFace(framemath::mirrors(placements[i]) ? GL_CW : GL_CCW);
        levelOrder.draw(*world, i);
    }
    glFrontFace(GL_CCW);
    glDisable(GL_CULL_FACE);
    for (GLuint unit = 0; unit < 3; ++unit)
        glBindSampler(unit, 0);
}

void Game::copyGBufferDepth() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, postProcessing->getFramebuffer());
    glBlitFramebuffer(0, 0, frameWidth, frameHeight, 0, 0, frameWidth, frameHeight, GL_DEPTH_BUFFER_BIT,
                      GL_NEAREST);
}

void Game::forwardPass() {
    glBindFramebuffer(GL_FRAMEBUFFER, postProcessing->getFramebuffer());
    defaultShader->use();
    setMatrix(defaultShader, "V", view);
    setMatrix(defaultShader, "P", projection);

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
    lightBodies.upload(objects.positions(objectCount), objects.colors(objectCount));
    bodyDrawing.draw(lightBodies, defaultShader, false);

    ball->setupVertexArray(defaultShader, true, false, false, false, false);

    // The marker: the sphere's raw geometry at a fixed scale, not the mesh's own matrix.
    glm::mat4 markerScale(0.0f);
    markerScale[0][0] = markerScale[1][1] = markerScale[2][2] = 0.2f;
    markerScale[3][3] = 1.0f;
    const glm::mat4 position_pointlight = framemath::placedAt(markerScale, lightPos);
    setMatrix(defaultShader, "M", position_pointlight);
    setVec3(defaultShader, "colorOfObject", 1.0f, 1.0f, 1.0f);
    ball->draw();
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
    glBindFramebuffer(GL_FRAMEBUFFER, postProcessing->getFramebuffer());
    glViewport(0, 0, frameWidth, frameHeight);
    const GLenum buffers[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, buffers);
    glDepthMask(GL_FALSE);

    Shader* const shader = lightingProgram();
    shader->use();
    const GLuint textures[3] = {gPosition, gNormal, gColorSpec};
    const char* samplers[3] = {"gPosition", "gNormal", "gColorSpec"};
    for (int unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glUniform1i(glGetUniformLocation(shader->program, samplers[unit]), unit);
        glBindTexture(GL_TEXTURE_2D, textures[unit]);
    }
    setLightingUniforms(shader);
    // Units 0-3 hold the G-buffer and the shadow cube, 4 and 5 the light grid.
    if (occlusionTexture) {
        glActiveTexture(GL_TEXTURE6);
        glBindTexture(GL_TEXTURE_2D, occlusionTexture);
        glBindSampler(6, postProcessing->linearSampler);
        glUniform1i(glGetUniformLocation(shader->program, "ambientOcclusion"), 6);
    }

    glBindVertexArray(quadVAO);
    glDepthFunc(GL_GREATER);
    glBindSampler(3, shadowSampler);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindSampler(3, 0);
    if (occlusionTexture) {
        glBindSampler(6, 0);
        glActiveTexture(GL_TEXTURE3);
    }

    nightSkyShader->use();
    setVec3(nightSkyShader, "viewPos", controls->position.x, controls->position.y, controls->position.z);
    setMatrix(nightSkyShader, "inverseViewProjection", glm::inverse(projection * view));
    glDepthFunc(GL_EQUAL);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glBindVertexArray(0);
}

void Game::prepareLights() {
    lightFrame.prepare(objects.positions(objectCount), objects.colors(objectCount),
                       lightcount::lightLook(objects.inUse(objectCount)));
}

void Game::setLightingUniforms(Shader* shader) {
    // Every coloured light reaches the program through the light block and the grid.
    lightFrame.apply(shader);
    setVec3(shader, "viewPos", controls->position.x, controls->position.y, controls->position.z);
    glUniform1i(glGetUniformLocation(shader->program, "NR_LIGHTS"), objectCount);
    glUniform4f(glGetUniformLocation(shader->program, "WS_pos_light"), lightPos.x, lightPos.y, lightPos.z,
                1.0f);
    glUniform2f(glGetUniformLocation(shader->program, "near_far"), nearPlane, farPlane);
    glUniform1f(glGetUniformLocation(shader->program, "exposure"), settings.exposure);
    setLevelShapeUniforms(shader->program);
    glActiveTexture(GL_TEXTURE3);
    glUniform1i(glGetUniformLocation(shader->program, "cubemap_tex"), 3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, depthCubemap);
}
