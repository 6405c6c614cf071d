#include "render/SharpUpscale.h"

#include <vector>

namespace vantor {

bool SharpUpscale::draw(PostProcessing& post, GLuint picture, int width, int height, float sharpness,
                        PassObserver* observer) {
    const auto build = [&](std::unique_ptr<Shader>& shader, const char* fragment) {
        if (!shader)
            shader = std::make_unique<Shader>(
                Shader::BuiltLater{},
                std::vector<std::string>{shaderDir + "texture.vert", shaderDir + fragment});
    };
    build(upscale, "upscale.frag");
    build(sharpen, "sharpen.frag");
    if (!upscale->linked() || !sharpen->linked())
        return false;

    const OpaqueQuadState opaque;
    glBindVertexArray(post.screenQuadVAO);
    glActiveTexture(GL_TEXTURE0);
    // Both programs read texel by texel.
    glBindSampler(0, 0);
    observedPass(observer, "upscale", [&] {
        glBindFramebuffer(GL_FRAMEBUFFER, upscaled.fit(post.windowWidth, post.windowHeight));
        glViewport(0, 0, post.windowWidth, post.windowHeight);
        upscale->use();
        glBindTexture(GL_TEXTURE_2D, picture);
        glUniform1i(glGetUniformLocation(upscale->program, "picture"), 0);
        glUniform2f(glGetUniformLocation(upscale->program, "inputPerOutput"),
                    float(width) / float(post.windowWidth), float(height) / float(post.windowHeight));
        post.drawQuad();
    });
    observedPass(observer, "sharpen", [&] {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, post.windowWidth, post.windowHeight);
        sharpen->use();
        glBindTexture(GL_TEXTURE_2D, upscaled.texture);
        glUniform1i(glGetUniformLocation(sharpen->program, "picture"), 0);
        glUniform1f(glGetUniformLocation(sharpen->program, "sharpness"), sharpness);
        post.drawQuad();
    });
    glBindVertexArray(0);
    return true;
}

} // namespace vantor
