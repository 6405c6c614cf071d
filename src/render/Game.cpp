#include "render/Game.h"

#include "render/FrameMath.h"
#include "render/LightGrid.h"
#include "scene/TriangleOrder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <string>

namespace {

const std::string assetRoot = "../";
const std::string shaderDir = assetRoot + "Quarnvale/Shader/";

// The coloured lights' reach: their light fades to exactly zero at this distance (the
// lighting shader takes it from the "lightGrid" uniform, so both sides agree).
const float lightReach = 0.5f;
// Floor-plan grid of the lighting pass: cell side, largest texture side, texture unit.
const float lightCellSize = 0.0625f;
const int maxLightCellsPerSide = 128;
// Horizontal slabs the grid stacks over the lights' height range (reach above and below).
const int lightSlabs = 16;
const int lightMaskUnit = 4;
// How far the coloured lights' colours are pushed away from grey (the random colours are often
// pale; the pools should read as colour), and the range their packed channels cover (pushed
// channels of colours in [0, 1] stay below 1.3).
const float lightSaturation = 1.4f;
const float lightColorRange = 1.5f;
// Entries of the lights[] array in debuggbuffer.frag; no mask bit may name a light past it.
const int shaderLightCapacity = 50;
// Entries of instancePositions[] in pointlightdepth1.vert: spheres per instanced draw.
const int shadowInstanceCapacity = 64;

void setMatrix(Shader* shader, const char* name, const glm::mat4& matrix) {
    glUniformMatrix4fv(glGetUniformLocation(shader->program, name), 1, GL_FALSE, &matrix[0][0]);
}

void setVec3(Shader* shader, const char* name, float x, float y, float z) {
    glUniform3f(glGetUniformLocation(shader->program, name), x, y, z);
}

// Storage for the six faces of the cube map bound to GL_TEXTURE_CUBE_MAP: 32-bit float depth,
// level 0 only, no data.
void allocateDepthCubeFaces(int width, int height) {
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT32F, width, height, 0,
                     GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
}

glm::vec3 positionOf(const vantor::scene::Object* object) {
    return glm::vec3(object->x, object->y, object->z);
}

// objectCount is public and may be changed after set-up; never walk past the list.
int visitedLights(int objectCount, const std::vector<vantor::scene::Object*>& objects) {
    return std::max(0, std::min(objectCount, static_cast<int>(objects.size())));
}

} // namespace

Game::Game(GLFWwindow* window, int screenWidth, int screenHeight)
    : deltaTime(0.0), window(window), screenWidth(screenWidth), screenHeight(screenHeight), shadowWidth(1024),
      shadowHeight(1024), objectCount(50), view(1.0f), projection(1.0f), lightPos(0.0f, 0.0f, 0.0f),
      nearPlane(0.01f), farPlane(3.0f), shadowProj(framemath::shadowProjection(nearPlane, farPlane)) {}

void Game::init() {
    glfwSetWindowTitle(window, "Demo");
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    lightPos.y = 1.0f;

    createShadowMap();
    depthShader = new Shader(shaderDir + "pointlightdepth1.vert", shaderDir + "pointlightdepth1.geo",
                             shaderDir + "pointlightdepth1.frag");
    cacheShadowMatrixLocations();

    skybox = new Skybox();
    skyboxShader = new Shader(shaderDir + "SkyBox.vert", shaderDir + "SkyBox.frag");
    finalShader = new Shader(shaderDir + "final.vert", shaderDir + "final.frag");
    defaultShader = new Shader(shaderDir + "default.vert", shaderDir + "default.frag");

    createGBuffer();
    gBufferShader = new Shader(shaderDir + "gBuffer.vert", shaderDir + "gBuffer.frag");
    lightingShader = new Shader(shaderDir + "debuggbuffer.vert", shaderDir + "debuggbuffer.frag");
    nightSkyShader = new Shader(shaderDir + "debuggbuffer.vert", shaderDir + "nightsky.frag");

    postProcessing = new PostProcessing(screenWidth, screenHeight);
    textureShader = new Shader(shaderDir + "texture.vert", shaderDir + "texture.frag");
    gaussShader = new Shader(shaderDir + "texture.vert", shaderDir + "gauss.frag");

    controls = new vantor::Controls();

    glm::mat4 spawnPoint(0.0f);
    spawnPoint[0][0] = spawnPoint[1][1] = spawnPoint[2][2] = 0.1f;
    spawnPoint[3][3] = 1.0f;
    world = new vantor::scene::World(spawnPoint, assetRoot + "Quarnvale/Objects/scene2");

    spawnPoint[0][0] = spawnPoint[1][1] = spawnPoint[2][2] = 0.05f;
    ball = new vantor::scene::Ball(spawnPoint, assetRoot + "Quarnvale/Objects/sphere");

    for (int i = 0; i < objectCount; ++i)
        objects.push_back(new vantor::scene::Object());
}

void Game::destroy() {
    delete world;
    world = nullptr;
    delete controls;
    controls = nullptr;
    delete skybox;
    skybox = nullptr;
    delete skyboxShader;
    skyboxShader = nullptr;
}

Game::~Game() {
    // A program still in use is only flagged for deletion and outlives its Game. Mesa also
    // keeps, per shader stage, the last program that was current while that stage changed: a
    // program without a geometry stage that follows the shadow program stays referenced from
    // the geometry slot after glUseProgram(0). Making the shadow program (vertex, geometry,
    // fragment) current before none clears every slot.
    if (depthShader) {
        glUseProgram(depthShader->program);
        glUseProgram(0);
    }
    destroy();
    delete depthShader;
    delete finalShader;
    delete defaultShader;
    delete gBufferShader;
    delete lightingShader;
    delete nightSkyShader;
    delete textureShader;
    delete gaussShader;
    delete postProcessing;
    delete ball;
    for (vantor::scene::Object* object : objects)
        delete object;
    lightMasks.release();

    // Names 0 are skipped: a Game whose `init` never ran may have no GL context to call.
    const auto deleteTexture = [](GLuint name) {
        if (name)
            glDeleteTextures(1, &name);
    };
    deleteTexture(gPosition);
    deleteTexture(gNormal);
    deleteTexture(gColorSpec);
    deleteTexture(depthCubemap);
    deleteTexture(shadowLevelCubemap);
    for (GLuint framebuffer : {gBuffer, depthMapFBO, shadowLevelFBO})
        if (framebuffer)
            glDeleteFramebuffers(1, &framebuffer);
    if (rboDepth)
        glDeleteRenderbuffers(1, &rboDepth);
    if (quadVAO)
        glDeleteVertexArrays(1, &quadVAO);
    if (quadVBO)
        glDeleteBuffers(1, &quadVBO);
    for (GLuint sampler : {gBufferSampler, shadowSampler})
        if (sampler)
            glDeleteSamplers(1, &sampler);
}

void Game::update() {
    controls->update(static_cast<float>(deltaTime), window, screenWidth, screenHeight, view, projection);
    for (int i = 0; i < visitedLights(objectCount, objects); ++i)
        objects[i]->update(static_cast<float>(deltaTime));

    lightPos.x = 0.0f;
    lightPos.y = framemath::sunkShadowLightHeight(lightPos.y, deltaTime);
    lightPos.z = 0.0f;

    buildShadowTransforms();
}

void Game::render() {
    const glm::mat4 transPosition = framemath::levelCopyTransform();

    observedPass(passObserver, "shadow", [&] { shadowPass(transPosition); });
    observedPass(passObserver, "geometry", [&] { geometryPass(transPosition); });
    observedPass(passObserver, "lighting", [&] {
        prepareLightingTarget();
        lightingPass();
    });
    observedPass(passObserver, "forward", [&] { depthHandOver(); });

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // Three passes, reported one by one as "blur 1 (h)", "blur 2 (v)", "blur 3 (h)".
    postProcessing->blur(gaussShader, passObserver);

    observedPass(passObserver, "composite", [&] {
        glEnable(GL_BLEND);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        postProcessing->composite(textureShader);
    });
}

// ---- Shadow cube map -------------------------------------------------------------------

void Game::createShadowMap() {
    glGenTextures(1, &depthCubemap);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, depthCubemap);
    allocateDepthCubeFaces(shadowWidth, shadowHeight);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);

    glGenFramebuffers(1, &depthMapFBO);
    glBindFramebuffer(GL_FRAMEBUFFER, depthMapFBO);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, depthCubemap, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "Framebuffer not complete!" << std::endl;
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    // The lighting pass compares one stored depth per pixel: blending four depths would only
    // blur the comparison, and costs a software rasteriser about a millisecond a frame.
    glGenSamplers(1, &shadowSampler);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
}

void Game::cacheShadowMatrixLocations() {
    glUseProgram(depthShader->program);
    for (int i = 0; i < 6; ++i) {
        const std::string name = "cm_mat[" + std::to_string(i) + "]";
        shadowMatrixLocations.push_back(glGetUniformLocation(depthShader->program, name.c_str()));
    }
}

void Game::buildShadowTransforms() {
    shadowTransforms.clear();
    for (const glm::mat4& face : framemath::shadowFaceMatrices(shadowProj, lightPos))
        shadowTransforms.push_back(face);
}

void Game::setShadowUniforms() {
    // A frame rendered before any update (a capture at time 0) still needs the six faces.
    if (shadowTransforms.size() != 6)
        buildShadowTransforms();
    depthShader->use();
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

void Game::renderShadowFromScratch(const glm::mat4& transPosition) {
    shadowSphereRectsValid = false;
    setShadowUniforms();
    drawShadowLevel(depthMapFBO, transPosition);

    for (int j = 0; j < visitedLights(objectCount, objects); ++j) {
        ball->setupVertexArray(depthShader, true, false, false, false, false);
        setMatrix(depthShader, "M", framemath::placedAt(ball->modelMatrix, positionOf(objects[j])));
        ball->draw();
    }
}

void Game::drawShadowSpheres() {
    ball->setupVertexArray(depthShader, true, false, false, false, false);
    setMatrix(depthShader, "M", ball->modelMatrix);
    const GLint positionsLocation = glGetUniformLocation(depthShader->program, "instancePositions");
    glUniform1i(glGetUniformLocation(depthShader->program, "instanced"), 1);
    const int spheres = visitedLights(objectCount, objects);
    std::vector<glm::vec3> positions;
    for (int first = 0; first < spheres; first += shadowInstanceCapacity) {
        const int count = std::min(shadowInstanceCapacity, spheres - first);
        positions.clear();
        for (int j = first; j < first + count; ++j)
            positions.push_back(positionOf(objects[j]));
        glUniform3fv(positionsLocation, count, &positions[0][0]);
        ball->drawInstanced(count);
    }
    glUniform1i(glGetUniformLocation(depthShader->program, "instanced"), 0);
}

void Game::drawShadowLevel(GLuint framebuffer, const glm::mat4& transPosition) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, shadowWidth, shadowHeight);
    glClear(GL_DEPTH_BUFFER_BIT);
    // The file's order: depth alone comes out the same in any order, and sorting from the
    // light made this no cheaper.
    setMatrix(depthShader, "M", world->modelMatrix);
    world->draw();
    setMatrix(depthShader, "M", transPosition);
    world->draw();
}

int Game::sortLevel(const glm::vec3& eye, const glm::mat4 (&placements)[2]) {
    if (!levelFrontToBack)
        return 0;
    if (levelTriangleCentres.empty())
        levelTriangleCentres = triangleorder::centres(world->vertices, world->indices);
    float nearest[2] = {0.0f, 0.0f};
    for (int i = 0; i < 2; ++i) {
        const glm::vec3 localEye = glm::vec3(glm::inverse(placements[i]) * glm::vec4(eye, 1.0f));
        triangleorder::nearestFirst(levelTriangleCentres, localEye, levelOrder[i]);
        if (!levelOrder[i].empty()) {
            const glm::vec4 centre(levelTriangleCentres[levelOrder[i][0]], 1.0f);
            nearest[i] = glm::length(glm::vec3(placements[i] * centre) - eye);
        }
    }
    return nearest[1] < nearest[0] ? 1 : 0;
}

void Game::drawLevelPlacement(int placement) {
    if (levelFrontToBack)
        world->drawInOrder(levelOrder[placement]);
    else
        world->draw();
}

void Game::shadowPass(const glm::mat4& transPosition) {
    if (!shadowCacheEnabled || !GLEW_ARB_copy_image) {
        renderShadowFromScratch(transPosition);
        return;
    }
    setShadowUniforms();

    // The level's depth depends on the light (its position and the six face matrices) and on
    // the two placements; the spheres move every frame and are drawn over it.
    ShadowLevelKey key;
    key.light = lightPos;
    key.matrices = {world->modelMatrix, transPosition};
    key.matrices.insert(key.matrices.end(), shadowTransforms.begin(), shadowTransforms.end());
    const bool kept = shadowLevelValid && key == shadowLevelKey;
    // A light that moved since the last frame will likely move again: keeping its level would
    // cost a copy on top of the drawing. One that stood still is kept.
    const bool resting = key == shadowPreviousKey;
    // The kept level's cube is made by the second pass: the driver zeroes its 24 MB (about 12 ms),
    // which the first frame should not wait for, and made when the light first comes to rest it
    // would look like memory growing during the run. The light cannot rest before a second pass.
    if (shadowLevelCubemap == 0 && !shadowPreviousKey.matrices.empty())
        createShadowLevelCache();
    shadowPreviousKey = key;

    if (!kept && !resting) {
        drawShadowLevel(depthMapFBO, transPosition);
        drawShadowSpheres();
        shadowSphereRectsValid = false;
        return;
    }
    if (!kept) {
        drawShadowLevel(shadowLevelFBO, transPosition);
        shadowLevelKey = key;
        shadowLevelValid = true;
        shadowSphereRectsValid = false;
        ++shadowLevelRenders;
    }

    // A plain copy is cheaper than clearing the cube and far cheaper than drawing the level;
    // when the cube holds the kept level with only the previous frame's spheres over it, only
    // the texels those spheres could have covered are copied back.
    if (shadowSphereRectsValid) {
        for (const framemath::FaceRect& r : framemath::faceCopies(shadowSphereRects, shadowWidth))
            glCopyImageSubData(shadowLevelCubemap, GL_TEXTURE_CUBE_MAP, 0, r.x0, r.y0, r.face, depthCubemap,
                               GL_TEXTURE_CUBE_MAP, 0, r.x0, r.y0, r.face, r.x1 - r.x0, r.y1 - r.y0, 1);
    } else {
        glCopyImageSubData(shadowLevelCubemap, GL_TEXTURE_CUBE_MAP, 0, 0, 0, 0, depthCubemap,
                           GL_TEXTURE_CUBE_MAP, 0, 0, 0, 0, shadowWidth, shadowHeight, 6);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, depthMapFBO);
    glViewport(0, 0, shadowWidth, shadowHeight);
    drawShadowSpheres();
    recordShadowSphereRects();
}

void Game::recordShadowSphereRects() {
    // Every corner of the ball's mesh lies within `shadowBallExtent` of its origin; placed, within
    // that times the matrix's largest stretch (bounded by its Frobenius norm) of its centre.
    if (shadowBallExtent < 0.0f) {
        shadowBallExtent = 0.0f;
        for (const glm::vec3& v : ball->vertices)
            shadowBallExtent = std::max(shadowBallExtent, glm::length(v));
    }
    const glm::mat3 linear(ball->modelMatrix);
    const float stretch = std::sqrt(glm::dot(linear[0], linear[0]) + glm::dot(linear[1], linear[1]) +
                                    glm::dot(linear[2], linear[2]));
    const float radius = shadowBallExtent * stretch * 1.001f + 1e-5f;
    // A sphere around the light draws nothing into the cube (all its faces face away), though its
    // bounding box covers every face. The margin dwarfs the rounding of the shader's corners.
    const float hidesLight = 0.99f * framemath::backFacingRadius(ball->vertices, ball->indices, linear);
    std::array<glm::mat4, 6> faces;
    std::copy(shadowTransforms.begin(), shadowTransforms.end(), faces.begin());
    shadowSphereRects.clear();
    for (int j = 0; j < visitedLights(objectCount, objects); ++j)
        if (glm::length(positionOf(objects[j]) - lightPos) >= hidesLight)
            framemath::ballFootprint(faces, positionOf(objects[j]), radius, shadowWidth, shadowSphereRects);
    shadowSphereRectsValid = true;
}

void Game::createShadowLevelCache() {
    glGenTextures(1, &shadowLevelCubemap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowLevelCubemap);
    allocateDepthCubeFaces(shadowWidth, shadowHeight);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glGenFramebuffers(1, &shadowLevelFBO);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowLevelFBO);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, shadowLevelCubemap, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
}

// ---- G-buffer and forward pass ---------------------------------------------------------

void Game::createGBuffer() {
    glGenFramebuffers(1, &gBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, gBuffer);

    struct Attachment {
        GLuint* texture;
        GLint internalFormat;
        GLenum format;
        GLenum type;
    };
    const Attachment layout[3] = {
        {&gPosition, GL_RGB16F, GL_RGB, GL_FLOAT},
        {&gNormal, GL_RGB16F, GL_RGB, GL_FLOAT},
        {&gColorSpec, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE},
    };
    for (int i = 0; i < 3; ++i) {
        glGenTextures(1, layout[i].texture);
        glBindTexture(GL_TEXTURE_2D, *layout[i].texture);
        glTexImage2D(GL_TEXTURE_2D, 0, layout[i].internalFormat, screenWidth, screenHeight, 0,
                     layout[i].format, layout[i].type, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, *layout[i].texture,
                               0);
    }
    const GLenum attachments[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, attachments);

    glGenRenderbuffers(1, &rboDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, rboDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, screenWidth, screenHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rboDepth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "Framebuffer not complete!" << std::endl;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    // x, y, z, u, v per corner; drawn as a four-vertex strip.
    const GLfloat quadVertices[20] = {
        -1.0f, 1.0f, 0.0f, 0.0f, 1.0f, -1.0f, -1.0f, 0.0f, 0.0f, 0.0f,
        1.0f,  1.0f, 0.0f, 1.0f, 1.0f, 1.0f,  -1.0f, 0.0f, 1.0f, 0.0f,
    };
    glGenVertexArrays(1, &quadVAO);
    glGenBuffers(1, &quadVBO);
    glBindVertexArray(quadVAO);
    glBindBuffer(GL_ARRAY_BUFFER, quadVBO);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quadVertices), quadVertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(GLfloat), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(GLfloat),
                          reinterpret_cast<const void*>(3 * sizeof(GLfloat)));

    // The geometry pass reads the level's maps from the nearest mip level, bilinearly: a
    // software rasteriser pays about twice for trilinear fetches, and the bricks look the same.
    glGenSamplers(1, &gBufferSampler);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(gBufferSampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void Game::geometryPass(const glm::mat4& transPosition) {
    glBindFramebuffer(GL_FRAMEBUFFER, gBuffer);
    glViewport(0, 0, screenWidth, screenHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    sceneHoldsGBufferDepth = false;

    gBufferShader->use();
    setMatrix(gBufferShader, "V", view);
    setMatrix(gBufferShader, "P", projection);
    setMatrix(gBufferShader, "M", world->modelMatrix);
    setVec3(gBufferShader, "viewPos", controls->position.x, controls->position.y, controls->position.z);
    setVec3(gBufferShader, "colorOfObject", 0.0f, 0.0f, 0.0f);

    world->setupVertexArray(gBufferShader, true, true, true, true, true);
    for (GLuint unit = 0; unit < 3; ++unit)
        glBindSampler(unit, gBufferSampler);
    // The level is closed towards every place a camera can reach, so its back faces are never
    // what a pixel shows; a mirroring placement turns its winding over.
    if (levelBackFaceCulling)
        glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    const glm::mat4 placements[2] = {world->modelMatrix, transPosition};
    const int first = sortLevel(controls->position, placements);
    for (int n = 0; n < 2; ++n) {
        const int i = (first + n) % 2;
        setMatrix(gBufferShader, "M", placements[i]);
        glFrontFace(framemath::mirrors(placements[i]) ? GL_CW : GL_CCW);
        drawLevelPlacement(i);
    }
    glFrontFace(GL_CCW);
    glDisable(GL_CULL_FACE);
    for (GLuint unit = 0; unit < 3; ++unit)
        glBindSampler(unit, 0);
}

void Game::depthHandOver() {
    const GLuint sceneFBO = postProcessing->getFramebuffer();
    // Copied unless the lighting pass already did (it writes no depth of its own).
    if (!sceneHoldsGBufferDepth)
        copyGBufferDepth();
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFBO);
    forwardPass();
    sceneHoldsGBufferDepth = false; // the spheres' depth is in it now
}

void Game::copyGBufferDepth() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, postProcessing->getFramebuffer());
    glBlitFramebuffer(0, 0, screenWidth, screenHeight, 0, 0, screenWidth, screenHeight, GL_DEPTH_BUFFER_BIT,
                      GL_NEAREST);
    sceneHoldsGBufferDepth = true;
}

void Game::forwardPass() {
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

    for (int i = 0; i < visitedLights(objectCount, objects); ++i) {
        const vantor::scene::Object* object = objects[i];
        ball->setupVertexArray(defaultShader, true, false, false, false, false);
        const glm::mat4 position = framemath::placedAt(ball->modelMatrix, positionOf(object));
        setMatrix(defaultShader, "M", position);
        setVec3(defaultShader, "colorOfObject", object->color[0], object->color[1], object->color[2]);
        ball->draw();
    }

    // The marker reuses the last ball's set-up; without balls nothing has recorded the
    // sphere's attributes (or its element buffer) for this program yet.
    if (visitedLights(objectCount, objects) == 0)
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

void Game::prepareLightingTarget() {
    // No clears: the lighting pass's two quads write every pixel of both colour attachments
    // (the surface where the G-buffer has one, the sky everywhere else), and its depth copy
    // replaces the whole depth buffer; clearing first would only cost a pass over all three.
    glBindFramebuffer(GL_FRAMEBUFFER, postProcessing->getFramebuffer());
    glViewport(0, 0, screenWidth, screenHeight);
    const GLenum buffers[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, buffers);
}

void Game::lightingPass() {
    // A software rasteriser runs both sides of every branch, so the lit pixels and the empty
    // ones get a program each, and the depth test picks the pixels: with the G-buffer's depth
    // in the target, the lighting quad (at the far plane) passes where something was drawn,
    // the sky's quad (also at the far plane) where the depth is still the cleared 1. Neither
    // writes depth, so the forward pass after them finds the G-buffer's depth in place.
    const GLuint sceneFBO = postProcessing->getFramebuffer();
    copyGBufferDepth();
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFBO);
    glDepthMask(GL_FALSE);

    lightingShader->use();
    const GLuint textures[3] = {gPosition, gNormal, gColorSpec};
    const char* samplers[3] = {"gPosition", "gNormal", "gColorSpec"};
    for (int unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glUniform1i(glGetUniformLocation(lightingShader->program, samplers[unit]), unit);
        glBindTexture(GL_TEXTURE_2D, textures[unit]);
    }
    setLightingUniforms(lightingShader);

    glBindVertexArray(quadVAO);
    glDepthFunc(GL_GREATER);
    glBindSampler(3, shadowSampler);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindSampler(3, 0);

    nightSkyShader->use();
    setVec3(nightSkyShader, "viewPos", controls->position.x, controls->position.y, controls->position.z);
    setMatrix(nightSkyShader, "inverseViewProjection", glm::inverse(projection * view));
    glDepthFunc(GL_EQUAL);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glBindVertexArray(0);
}

void Game::uploadLightGrid(Shader* shader) {
    const int lights = std::min(visitedLights(objectCount, objects), shaderLightCapacity);
    std::vector<glm::vec3> positions;
    positions.reserve(lights);
    for (int i = 0; i < lights; ++i)
        positions.push_back(positionOf(objects[i]));
    lightgrid::buildLightGrid(positions, lightReach, lightCellSize, maxLightCellsPerSide, lightSlabs,
                              lightGrid);
    lightMasks.upload(lightGrid, lightMaskUnit);
    glUniform1i(glGetUniformLocation(shader->program, "lightMasks"), lightMaskUnit);
    glUniform4f(glGetUniformLocation(shader->program, "lightGrid"), lightGrid.origin.x, lightGrid.origin.y,
                1.0f / lightGrid.cellSize, lightReach);
    glUniform2f(glGetUniformLocation(shader->program, "lightSlabs"), lightGrid.floorY,
                1.0f / lightGrid.slabHeight);
}

void Game::setLightingUniforms(Shader* shader) {
    for (unsigned int i = 0; i < objects.size(); ++i) {
        const vantor::scene::Object* object = objects[i];
        const std::string prefix = "lights[" + std::to_string(i) + "]";
        glUniform3f(glGetUniformLocation(shader->program, (prefix + ".Position").c_str()), object->x,
                    object->y, object->z);
        glUniform3f(glGetUniformLocation(shader->program, (prefix + ".Color").c_str()), object->color[0],
                    object->color[1], object->color[2]);
    }
    // What the shading loop reads per light: position and packed, pushed colour in one vec4.
    std::vector<glm::vec4> lightData;
    for (int i = 0; i < std::min(visitedLights(objectCount, objects), shaderLightCapacity); ++i)
        lightData.emplace_back(positionOf(objects[i]),
                               lightgrid::packLightColor(glm::vec3(objects[i]->color[0], objects[i]->color[1],
                                                                   objects[i]->color[2]),
                                                         lightSaturation, lightColorRange));
    if (!lightData.empty())
        glUniform4fv(glGetUniformLocation(shader->program, "lightData"),
                     static_cast<GLsizei>(lightData.size()), &lightData[0][0]);
    glUniform1f(glGetUniformLocation(shader->program, "lightColorScale"), lightColorRange / 255.0f);
    uploadLightGrid(shader);
    // These do not depend on the light; set once after the array.
    setVec3(shader, "viewPos", controls->position.x, controls->position.y, controls->position.z);
    glUniform1i(glGetUniformLocation(shader->program, "NR_LIGHTS"), objectCount);
    glUniform4f(glGetUniformLocation(shader->program, "WS_pos_light"), lightPos.x, lightPos.y, lightPos.z,
                1.0f);
    glUniform2f(glGetUniformLocation(shader->program, "near_far"), nearPlane, farPlane);
    glActiveTexture(GL_TEXTURE3);
    glUniform1i(glGetUniformLocation(shader->program, "cubemap_tex"), 3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, depthCubemap);
}
