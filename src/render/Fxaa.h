#pragma once
// Anti-aliasing of the finished picture at the size it was drawn (before any stretch to the
// window): the picture is copied into the window or into a picture of its own, and the FXAA
// program ("fxaa.frag"), reading the composited picture bilinearly, overwrites the pixels it
// smooths. The program is built on first use,
// so a frame that never asks for it pays nothing.

#include "gpu/Shader.h"
#include "render/ColorTarget.h"
#include "render/PostProcessing.h"

#include <glm/glm.hpp>

#include <memory>
#include <string>

namespace vantor {

class Fxaa {
public:
    explicit Fxaa(const std::string& shaderDir) : shaderDir(shaderDir) {}

    // `picture` (`width` x `height`) smoothed into the window's lower-left `width` x `height`
    // pixels (`toWindow`) or into `output`, whose texture it returns (0 into the window). False
    // while the program does not build: then nothing is drawn.
    // `position` is the G-buffer's world positions of the same size, `eye` the camera's position.
    // `pictureFramebuffer` is the framebuffer `picture` is attached to (colour 0).
    bool draw(PostProcessing& post, GLuint picture, GLuint pictureFramebuffer, int width, int height,
              bool toWindow, GLuint position, const glm::vec3& eye);

    ColorTarget output;
    std::unique_ptr<Shader> shader;

private:
    std::string shaderDir;
};

} // namespace vantor
