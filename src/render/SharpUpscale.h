#pragma once
// The sharp way from a picture drawn at a smaller render scale to the window: contrast-adaptive
// sharpening at the picture's own size ("sharpen.frag", which also notes each pixel's edge into
// a second picture), then an edge-adaptive upscale of the sharpened picture into the window
// ("upscale.frag"). Sharpening first runs it on the picture's pixels instead of the window's (a
// quarter of them at scale 0.5) and leaves a single pass at the window's size, the one a
// software rasteriser pays most for. Both programs are built on first use, so a frame that
// stretches bilinearly pays nothing for them.

#include "gpu/Shader.h"
#include "render/ColorTarget.h"
#include "render/PassObserver.h"
#include "render/PostProcessing.h"

#include <memory>
#include <string>

namespace vantor {

class SharpUpscale {
public:
    explicit SharpUpscale(const std::string& shaderDir) : shaderDir(shaderDir) {}

    // `picture` (`width` x `height`) over the whole window (`post`'s window size), reported to
    // `observer` as "sharpen" and "upscale". False, having drawn nothing, while either program
    // does not build.
    bool draw(PostProcessing& post, GLuint picture, int width, int height, float sharpness,
              PassObserver* observer);

    // The sharpened picture and its edges, at the picture's size.
    ColorTarget sharpened{GL_RGBA8, 2};
    std::unique_ptr<Shader> upscale;
    std::unique_ptr<Shader> sharpen;

private:
    std::string shaderDir;
};

} // namespace vantor
