#pragma once
// Whole-frame read-backs for the GL tests that judge a Game's targets at the shared test
// window's size: a texture or the window's back buffer as RGBA floats (rows bottom-up), or as
// 8-bit channels where a test compares pictures to the bit.

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstddef>
#include <vector>

namespace readback {

constexpr int width = 640;
constexpr int height = 384;
constexpr size_t pixelCount = size_t(width) * height;

using Image = std::vector<float>;
using Bytes = std::vector<unsigned char>;

template <typename Pixels> Pixels texture(GLuint name, GLenum type) {
    Pixels pixels(pixelCount * 4);
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, type, pixels.data());
    return pixels;
}

template <typename Pixels> Pixels window(GLenum type) {
    Pixels pixels(pixelCount * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, type, pixels.data());
    return pixels;
}

inline Image readTexture(GLuint name) {
    return texture<Image>(name, GL_FLOAT);
}
inline Image readWindow() {
    return window<Image>(GL_FLOAT);
}
inline Bytes readTextureBytes(GLuint name) {
    return texture<Bytes>(name, GL_UNSIGNED_BYTE);
}
inline Bytes readWindowBytes() {
    return window<Bytes>(GL_UNSIGNED_BYTE);
}

inline glm::vec3 rgb(const Image& image, size_t i) {
    return {image[4 * i], image[4 * i + 1], image[4 * i + 2]};
}

} // namespace readback
