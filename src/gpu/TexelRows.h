#pragma once
// Buffer textures where GL has none (WebGL2): the elements go into the rows of the 2D texture
// bound to GL_TEXTURE_2D, bufferTextureWidth (gpu/ShaderSource.h) to a row, element i at texel
// (i % width, i / width), which is where a shader rewritten by glslForEs fetches it.

#include <GL/glew.h>

#include <cstddef>

namespace vantor {

// Replaces the bound texture's storage with `texels` elements of `texelBytes` bytes each from
// `data` (at least one row is made), in the given sized format, nearest filtering, one level.
void uploadTexelRows(GLenum internalFormat, GLenum format, GLenum type, const void* data, size_t texels,
                     size_t texelBytes);

} // namespace vantor
