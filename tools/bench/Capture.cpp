#include "Capture.h"

#include "render/Game.h"
#include "render/GameParts.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vantor {

namespace {

unsigned char toByte(float v) {
    if (!std::isfinite(v))
        return 255; // poisoned pixels show as white
    return static_cast<unsigned char>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
}

std::vector<float> readFloatTexture(GLenum target, GLuint texture, GLenum format, int components, int width,
                                    int height) {
    std::vector<float> values(static_cast<size_t>(width) * height * components);
    glBindTexture(target == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, format, GL_FLOAT, values.data());
    return values;
}

// Float RGB data mapped into a picture through value * scale + bias.
Picture floatPicture(const std::vector<float>& rgb, int width, int height, float scale, float bias) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgba.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < p.rgba.size() / 4; ++i) {
        for (int c = 0; c < 3; ++c)
            p.rgba[4 * i + c] = toByte(rgb[3 * i + c] * scale + bias);
        p.rgba[4 * i + 3] = 255;
    }
    return p;
}

Picture bytePicture(GLuint texture, int width, int height, bool opaque) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgba.resize(static_cast<size_t>(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    if (opaque)
        for (size_t i = 3; i < p.rgba.size(); i += 4)
            p.rgba[i] = 255;
    return p;
}

// A shadow face: hardware depth turned back into distance along the face axis, near = black.
Picture shadowFace(const Game& game, int face) {
    const int size = game.shadow->shadowWidth;
    const std::vector<float> depth =
        readFloatTexture(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, game.shadow->depthCubemap, GL_DEPTH_COMPONENT,
                         1, size, game.shadow->shadowHeight);
    const float n = game.shadow->nearPlane, f = game.shadow->farPlane;
    std::vector<float> grey(depth.size() * 3);
    for (size_t i = 0; i < depth.size(); ++i) {
        const float ndc = depth[i] * 2.0f - 1.0f;
        const float distance = 2.0f * n * f / (f + n - ndc * (f - n));
        grey[3 * i] = grey[3 * i + 1] = grey[3 * i + 2] = distance / f;
    }
    return floatPicture(grey, size, game.shadow->shadowHeight, 1.0f, 0.0f);
}

} // namespace

bool writeIntermediates(const Game& game, const std::string& prefix) {
    const int w = game.frameWidth, h = game.frameHeight;
    const PostProcessing& post = *game.passes->postProcessing;
    bool ok = true;
    // The hall spans about +-3.5 world units across and 0.5 up: map it into 0..1.
    ok &= writePng(prefix + "gposition.png",
                   floatPicture(readFloatTexture(GL_TEXTURE_2D, game.gbuffer->gPosition, GL_RGB, 3, w, h), w,
                                h, 1.0f / 7.0f, 0.5f));
    ok &= writePng(prefix + "gnormal.png",
                   floatPicture(readFloatTexture(GL_TEXTURE_2D, game.gbuffer->gNormal, GL_RGB, 3, w, h), w, h,
                                0.5f, 0.5f));
    ok &= writePng(prefix + "gcolor.png", bytePicture(game.gbuffer->gColorSpec, w, h, true));
    ok &= writePng(prefix + "gspecular.png", [&] {
        Picture p = bytePicture(game.gbuffer->gColorSpec, w, h, false);
        for (size_t i = 0; i < p.rgba.size(); i += 4)
            p.rgba[i] = p.rgba[i + 1] = p.rgba[i + 2] = p.rgba[i + 3], p.rgba[i + 3] = 255;
        return p;
    }());
    for (int face = 0; face < 6; ++face)
        ok &= writePng(prefix + "shadow" + std::to_string(face) + ".png", shadowFace(game, face));
    ok &= writePng(prefix + "lit.png", bytePicture(post.renderedTexture, w, h, true));
    ok &= writePng(prefix + "bright.png", bytePicture(post.brightTexture, w, h, true));
    ok &=
        writePng(prefix + "blur.png", bytePicture(post.blurResult(), post.blurWidth, post.blurHeight, true));
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return ok;
}

size_t countNonFiniteGBufferValues(const Game& game) {
    size_t count = 0;
    for (GLuint texture : {game.gbuffer->gPosition, game.gbuffer->gNormal})
        for (float v : readFloatTexture(GL_TEXTURE_2D, texture, GL_RGB, 3, game.frameWidth, game.frameHeight))
            count += !std::isfinite(v);
    glBindTexture(GL_TEXTURE_2D, 0);
    return count;
}

} // namespace vantor
