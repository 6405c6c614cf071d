#pragma once
// The passes after the lighting: bloom and composite (with the lit-scene target they work on),
// the finishing passes on the composited picture, the occlusion the lighting reads, and the
// target views drawn over the frame.

#include "render/AmbientOcclusion.h"
#include "render/Fxaa.h"
#include "render/PostProcessing.h"
#include "render/SharpUpscale.h"
#include "render/TargetView.h"

#include <GL/glew.h>

#include <memory>
#include <vector>

namespace vantor {

class Shader;

struct PicturePasses {
    PicturePasses() = default;
    ~PicturePasses();
    PicturePasses(const PicturePasses&) = delete;
    PicturePasses& operator=(const PicturePasses&) = delete;

    // The programs the passes made so far.
    void collect(std::vector<Shader*>& out) const;

    std::unique_ptr<PostProcessing> postProcessing;
    std::unique_ptr<TargetView> targetView;
    // Their programs are built on first use.
    std::unique_ptr<Fxaa> fxaa;
    std::unique_ptr<SharpUpscale> sharpUpscale;
    std::unique_ptr<AmbientOcclusion> ambientOcclusion;
    // This frame's ambient occlusion for the lighting pass; 0 without it.
    GLuint occlusionTexture = 0;
};

} // namespace vantor
