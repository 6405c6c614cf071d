#pragma once
// One picture (RGBA8 unless told otherwise) to draw into and read back bilinearly (clamped to its edge): the
// texture and the framebuffer that draws into it, remade whenever it is asked for at another size. The passes
// on the finished picture each keep the ones they draw into.

#include <GL/glew.h>

namespace vantor {

class ColorTarget {
public:
    // `internalFormat` GL_RGBA8 or GL_R8.
    explicit ColorTarget(GLenum internalFormat = GL_RGBA8) : internalFormat(internalFormat) {}
    ~ColorTarget();
    ColorTarget(const ColorTarget&) = delete;
    ColorTarget& operator=(const ColorTarget&) = delete;

    // Makes the target `width` x `height` unless it already is; returns its framebuffer.
    GLuint fit(int width, int height);
    // Deletes both names; safe to repeat.
    void release();

    GLuint texture = 0;
    GLuint framebuffer = 0;
    int width = 0;
    int height = 0;
    GLenum internalFormat;
};

} // namespace vantor
