#pragma once
// One mip-mapped RGBA 2D texture loaded from an image file.

#include <GL/glew.h>

#include <string>

namespace vantor {

class Texture {
public:
    explicit Texture(const std::string& path);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Makes `unit` the active texture unit and binds the texture there.
    void bind(int unit);

    GLuint handle = 0;
};

} // namespace vantor
