#pragma once
// Screen-space ambient occlusion: from the G-buffer's positions and normals, the share of the
// ambient light each pixel keeps ("ssao.frag", at half the targets' size), smoothed over the
// noise's 4 x 4 tile ("ssaoblur.frag"); the lighting program's AMBIENT_OCCLUSION variant scales
// its ambient term by it. The programs, targets and the noise are made on first use, so a frame
// without occlusion pays nothing.

#include "gpu/Shader.h"
#include "render/ColorTarget.h"
#include "render/PassObserver.h"

#include <glm/glm.hpp>

#include <array>
#include <memory>
#include <string>

namespace vantor {

class AmbientOcclusion {
public:
    static constexpr int sampleCount = 12; // as "ssao.frag" declares them
    static constexpr int noiseSize = 4;

    explicit AmbientOcclusion(const std::string& shaderDir) : shaderDir(shaderDir) {}
    ~AmbientOcclusion();
    AmbientOcclusion(const AmbientOcclusion&) = delete;
    AmbientOcclusion& operator=(const AmbientOcclusion&) = delete;

    struct Inputs {
        GLuint position = 0; // the G-buffer's world positions and normals, `width` x `height`
        GLuint normal = 0;
        int width = 0;
        int height = 0;
        glm::mat4 view{1.0f};
        glm::mat4 projection{1.0f};
        float radius = 0.0f;
        float strength = 0.0f;
        GLuint quadVAO = 0; // a full-screen triangle strip of four corners
    };
    // Draws both passes, reported as "ssao" and "ssao blur"; returns the smoothed occlusion
    // (half size, red channel), or 0 while a program does not build. Leaves the texture unit 0
    // active and framebuffer 0 bound.
    GLuint draw(const Inputs& in, PassObserver* observer);

    // The hemisphere's points: within the unit ball, z >= 0, more of them near the centre
    // (nearby occluders count most); the same every run.
    static std::array<glm::vec3, sampleCount> hemisphere();

    ColorTarget raw{GL_R8};
    ColorTarget smooth{GL_R8};
    std::unique_ptr<Shader> occlusion;
    std::unique_ptr<Shader> blur;
    GLuint noise = 0;

private:
    std::string shaderDir;
};

} // namespace vantor
