#pragma once
// One picture (RGBA8 unless told otherwise) to draw into and read back bilinearly (clamped to its edge): the
// texture and the framebuffer that draws into it, remade whenever it is asked for at another size. The passes
// on the finished picture each keep the ones they draw into. A pass that writes two pictures of the same
// size at once asks for a second texture, of the same format, as colour attachment 1 (both drawn into).

#include <GL/glew.h>

namespace vantor {

class ColorTarget {
public:
    // `internalFormat` GL_RGBA8 or GL_R8; `pictures` 1 or 2.
    explicit ColorTarget(GLenum internalFormat = GL_RGBA8, int pictures = 1)
        : internalFormat(internalFormat), pictures(pictures) {}
    ~ColorTarget();
    ColorTarget(const ColorTarget&) = delete;
    ColorTarget& operator=(const ColorTarget&) = delete;

    // Makes the target `width` x `height` unless it already is; returns its framebuffer.
    GLuint fit(int width, int height);
    // Deletes both names; safe to repeat.
    void release();

    GLuint texture = 0;
    // Colour attachment 1, made only for a target of two pictures.
    GLuint secondTexture = 0;
    GLuint framebuffer = 0;
    int width = 0;
    int height = 0;
    GLenum internalFormat;
    int pictures;

private:
    GLuint makeTexture() const;
};

} // namespace vantor
