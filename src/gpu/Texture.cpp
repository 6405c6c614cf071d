#include "gpu/Texture.h"

#include "gpu/Image.h"

namespace vantor {

Texture::Texture(const std::string& path) {
    glGenTextures(1, &handle);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, handle);

    // An unreadable file gives a 0 x 0 level 0; the mipmap call then raises a GL error that the
    // frame loop's error check reports.
    unsigned width = 0;
    unsigned height = 0;
    const std::vector<unsigned char> pixels = loadImageRGBA(path, width, height);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, GLsizei(width), GLsizei(height), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.empty() ? nullptr : pixels.data());
    glGenerateMipmap(GL_TEXTURE_2D);

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
}

Texture::~Texture() {
    glDeleteTextures(1, &handle);
    handle = 0;
}

void Texture::bind(int unit) {
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glBindTexture(GL_TEXTURE_2D, handle);
}

} // namespace vantor
