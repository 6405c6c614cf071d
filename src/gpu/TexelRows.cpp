#include "gpu/TexelRows.h"

#include "gpu/ShaderSource.h"

#include <algorithm>

namespace vantor {

void uploadTexelRows(GLenum internalFormat, GLenum format, GLenum type, const void* data, size_t texels,
                     size_t texelBytes) {
    const size_t width = size_t(bufferTextureWidth);
    const size_t fullRows = texels / width;
    const size_t rest = texels % width;
    const size_t rows = std::max<size_t>(fullRows + (rest ? 1 : 0), 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(internalFormat), GLsizei(width), GLsizei(rows), 0, format, type,
                 nullptr);
    const char* bytes = static_cast<const char*>(data);
    if (fullRows)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, GLsizei(width), GLsizei(fullRows), format, type, bytes);
    // The last row only partly filled: its other texels are never fetched.
    if (rest)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, GLint(fullRows), GLsizei(rest), 1, format, type,
                        bytes + fullRows * width * texelBytes);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

} // namespace vantor
