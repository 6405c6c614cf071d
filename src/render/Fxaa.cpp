#include "render/Fxaa.h"

#include <vector>

namespace vantor {

bool Fxaa::draw(PostProcessing& post, GLuint picture, GLuint pictureFramebuffer, int width, int height,
                bool toWindow, GLuint position, const glm::vec3& eye) {
    if (!shader)
        shader = std::make_unique<Shader>(
            Shader::BuiltLater{},
            std::vector<std::string>{shaderDir + "texture.vert", shaderDir + "fxaa.frag"});
    if (!shader->linked())
        return false;
    const OpaqueQuadState opaque;
    const GLuint target = toWindow ? 0 : output.fit(width, height);
    if (toWindow)
        output.release();
    // The program writes only the pixels it smooths; the rest are the picture's, copied first.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, pictureFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glViewport(0, 0, width, height);
    shader->use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, picture);
    glBindSampler(0, post.linearSampler);
    glUniform1i(glGetUniformLocation(shader->program, "picture"), 0);
    glUniform2f(glGetUniformLocation(shader->program, "texelSize"), 1.0f / float(width),
                1.0f / float(height));
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, position);
    glUniform1i(glGetUniformLocation(shader->program, "gPosition"), 1);
    glUniform3f(glGetUniformLocation(shader->program, "viewPos"), eye.x, eye.y, eye.z);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(post.screenQuadVAO);
    post.drawQuad();
    glBindVertexArray(0);
    glBindSampler(0, 0);
    return true;
}

} // namespace vantor
