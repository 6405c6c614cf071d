#include "render/AmbientOcclusion.h"

#include "render/PostProcessing.h"

#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <cstdint>
#include <vector>

namespace vantor {

namespace {

// A small generator of our own, so the samples and the noise are the same on every platform
// (the standard distributions are not).
struct Random {
    uint32_t state;
    float next() { // in [0, 1)
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / 16777216.0f;
    }
};

} // namespace

AmbientOcclusion::~AmbientOcclusion() {
    if (noise)
        glDeleteTextures(1, &noise);
}

std::array<glm::vec3, AmbientOcclusion::sampleCount> AmbientOcclusion::hemisphere() {
    std::array<glm::vec3, sampleCount> points;
    Random random{12345u};
    for (int i = 0; i < sampleCount; ++i) {
        glm::vec3 p;
        do
            p = glm::vec3(random.next() * 2.0f - 1.0f, random.next() * 2.0f - 1.0f, random.next());
        while (glm::dot(p, p) > 1.0f || glm::dot(p, p) < 1e-4f);
        // From 0.1 of the reach for the first point to all of it for the last, growing as the square.
        const float share = float(i) / float(sampleCount);
        p = glm::normalize(p) * random.next() * (0.1f + 0.9f * share * share);
        points[size_t(i)] = p;
    }
    return points;
}

GLuint AmbientOcclusion::draw(const Inputs& in, PassObserver* observer) {
    const auto build = [&](std::unique_ptr<Shader>& shader, const char* fragment) {
        if (!shader)
            shader = std::make_unique<Shader>(
                Shader::BuiltLater{},
                std::vector<std::string>{shaderDir + "texture.vert", shaderDir + fragment});
    };
    build(occlusion, "ssao.frag");
    build(blur, "ssaoblur.frag");
    if (!occlusion->linked() || !blur->linked())
        return 0;
    if (!noise) {
        // Unit rotations about the view axis, one per pixel of a 4 x 4 tile.
        Random random{777u};
        std::vector<float> turns;
        for (int i = 0; i < noiseSize * noiseSize; ++i) {
            const float angle = random.next() * 6.2831853f;
            turns.push_back(std::cos(angle));
            turns.push_back(std::sin(angle));
        }
        glGenTextures(1, &noise);
        glBindTexture(GL_TEXTURE_2D, noise);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RG16F, noiseSize, noiseSize, 0, GL_RG, GL_FLOAT, turns.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    const int width = (in.width + 1) / 2, height = (in.height + 1) / 2;
    const OpaqueQuadState opaque;
    glBindVertexArray(in.quadVAO);
    observedPass(observer, "ssao", [&] {
        glBindFramebuffer(GL_FRAMEBUFFER, raw.fit(width, height));
        glViewport(0, 0, width, height);
        occlusion->use();
        const GLuint program = occlusion->program;
        const GLuint textures[3] = {in.position, in.normal, noise};
        const char* names[3] = {"gPosition", "gNormal", "noise"};
        for (int unit = 0; unit < 3; ++unit) {
            glActiveTexture(GL_TEXTURE0 + unit);
            glBindTexture(GL_TEXTURE_2D, textures[unit]);
            glUniform1i(glGetUniformLocation(program, names[unit]), unit);
        }
        const std::array<glm::vec3, sampleCount> points = hemisphere();
        glUniform3fv(glGetUniformLocation(program, "samples"), sampleCount, glm::value_ptr(points[0]));
        glUniformMatrix4fv(glGetUniformLocation(program, "view"), 1, GL_FALSE, glm::value_ptr(in.view));
        glUniformMatrix4fv(glGetUniformLocation(program, "projection"), 1, GL_FALSE,
                           glm::value_ptr(in.projection));
        glUniform1f(glGetUniformLocation(program, "radius"), in.radius);
        glUniform1f(glGetUniformLocation(program, "strength"), in.strength);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    });
    observedPass(observer, "ssao blur", [&] {
        glBindFramebuffer(GL_FRAMEBUFFER, smooth.fit(width, height));
        glViewport(0, 0, width, height);
        blur->use();
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, raw.texture);
        // The blur reads by the target's own bilinear filter.
        glBindSampler(0, 0);
        glUniform1i(glGetUniformLocation(blur->program, "occlusion"), 0);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    });
    glBindVertexArray(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return smooth.texture;
}

} // namespace vantor
