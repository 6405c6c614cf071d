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
    build(sharpen, "sharpen.frag");
    build(upscale, "upscale.frag");
    if (!upscale->linked() || !sharpen->linked())
        return false;

    const OpaqueQuadState opaque;
    glBindVertexArray(post.screenQuadVAO);
    glActiveTexture(GL_TEXTURE0);
    // The picture is read texel by texel; only the edges (unit 1) are read bilinearly, by the
    // texture's own filter.
    glBindSampler(0, 0);
    observedPass(observer, "sharpen", [&] {
        glBindFramebuffer(GL_FRAMEBUFFER, sharpened.fit(width, height));
        glViewport(0, 0, width, height);
        sharpen->use();
        glBindTexture(GL_TEXTURE_2D, picture);
        glUniform1i(glGetUniformLocation(sharpen->program, "picture"), 0);
        glUniform1f(glGetUniformLocation(sharpen->program, "sharpness"), sharpness);
        post.drawQuad();
    });
    observedPass(observer, "upscale", [&] {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, post.windowWidth, post.windowHeight);
        upscale->use();
        glBindTexture(GL_TEXTURE_2D, sharpened.texture);
        glUniform1i(glGetUniformLocation(upscale->program, "picture"), 0);
        glActiveTexture(GL_TEXTURE1);
        glBindSampler(1, 0);
        glBindTexture(GL_TEXTURE_2D, sharpened.secondTexture);
        glUniform1i(glGetUniformLocation(upscale->program, "edges"), 1);
        glUniform2f(glGetUniformLocation(upscale->program, "inputPerOutput"),
                    float(width) / float(post.windowWidth), float(height) / float(post.windowHeight));
        post.drawQuad();
        glActiveTexture(GL_TEXTURE0);
    });
    glBindVertexArray(0);
    return true;
}

} // namespace vantor
