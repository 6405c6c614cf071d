#pragma once
// The sharp way from a picture drawn at a smaller render scale to the window: an edge-adaptive
// upscale ("upscale.frag") into a window-sized picture, then contrast-adaptive sharpening
// ("sharpen.frag") into the window. Both programs are built on first use, so a frame that
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
    // `observer` as "upscale" and "sharpen". False, having drawn nothing, while either program
    // does not build.
    bool draw(PostProcessing& post, GLuint picture, int width, int height, float sharpness,
              PassObserver* observer);

    ColorTarget upscaled;
    std::unique_ptr<Shader> upscale;
    std::unique_ptr<Shader> sharpen;

private:
    std::string shaderDir;
};

} // namespace vantor
