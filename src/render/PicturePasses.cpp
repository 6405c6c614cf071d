#include "render/PicturePasses.h"

namespace vantor {

PicturePasses::~PicturePasses() = default;

void PicturePasses::collect(std::vector<Shader*>& out) const {
    for (const std::unique_ptr<Shader>* program :
         {targetView ? &targetView->program : nullptr, fxaa ? &fxaa->shader : nullptr,
          sharpUpscale ? &sharpUpscale->upscale : nullptr, sharpUpscale ? &sharpUpscale->sharpen : nullptr,
          ambientOcclusion ? &ambientOcclusion->occlusion : nullptr,
          ambientOcclusion ? &ambientOcclusion->blur : nullptr})
        if (program && *program)
            out.push_back(program->get());
}

} // namespace vantor
