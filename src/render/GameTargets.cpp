// The Game's targets: the screen-sized ones remade when the framebuffer changes size, the
// full-screen quad, and everything the Game owns released.

#include "render/Game.h"

#include "render/FrameMemory.h"
#include "render/GameParts.h"
#include "render/PassObserver.h"
#include "render/RenderScale.h"

#include <iostream>
#include <string>

namespace vantor {

Game::~Game() {
    // A program still in use is only flagged for deletion and outlives its Game. Mesa also
    // keeps, per shader stage, the last program that was current while that stage changed: a
    // program without a geometry stage that follows the shadow program stays referenced from
    // the geometry slot after glUseProgram(0). Making the shadow program (vertex, geometry,
    // fragment) current before none clears every slot.
    if (programs->depthShader) {
        glUseProgram(programs->depthShader->program);
        glUseProgram(0);
    }
    destroy();
    programs.reset();
    content.reset();
    lightRig->lightBodies.release();
    lightRig->lightFrame.release();
    passes.reset();
    shadow->release();
    gbuffer->release();

    // Names 0 are skipped: a Game whose `init` never ran may have no GL context to call.
    if (quadVAO)
        glDeleteVertexArrays(1, &quadVAO);
    if (quadVBO)
        glDeleteBuffers(1, &quadVBO);
}

bool Game::resize(int width, int height) {
    const SizeChange change =
        sizeChange(screenWidth, screenHeight, width, height, physicalMemoryBytes(), sizeLimits);
    if (change == SizeChange::TooLarge && (width != refusedWidth || height != refusedHeight))
        std::cout << "Window size " << width << " x " << height
                  << " is too large for this machine; the frame stays " << screenWidth << " x "
                  << screenHeight << std::endl;
    refusedWidth = change == SizeChange::TooLarge ? width : 0;
    refusedHeight = change == SizeChange::TooLarge ? height : 0;
    if (change != SizeChange::Resize)
        return change == SizeChange::Same;

    screenWidth = width;
    screenHeight = height;
    fitTargetsToScale();
    return true;
}

void Game::fitTargetsToScale() {
    // Remade only when the pixel count changes: the controller moves the scale in whole steps
    // and holds each for many frames, and a manual scale stays put between drags.
    passes->postProcessing->setWindowSize(screenWidth, screenHeight);
    const renderscale::Size size = renderscale::internalSize(screenWidth, screenHeight, settings.renderScale);
    if (size.width == frameWidth && size.height == frameHeight)
        return;
    frameWidth = size.width;
    frameHeight = size.height;
    gbuffer->releaseGBufferTargets();
    gbuffer->createGBufferTargets(frameWidth, frameHeight);
    if (!passes->postProcessing->resize(frameWidth, frameHeight))
        std::cout << "Framebuffer not complete!" << std::endl;
}

void Game::createQuad() {
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
}

} // namespace vantor
