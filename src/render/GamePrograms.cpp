#include "render/GamePrograms.h"

namespace vantor {

GamePrograms::GamePrograms(const std::string& shaderDir)
    : geometryVariants({shaderDir + "gBuffer.vert", shaderDir + "gBuffer.frag"},
                       {"NO_NORMAL_MAPS", "NO_PARALLAX"}),
      lightingVariants({shaderDir + "debuggbuffer.vert", shaderDir + "debuggbuffer.frag"},
                       {"NO_SHADOWS", "AMBIENT_OCCLUSION"}) {}

GamePrograms::~GamePrograms() {
    for (Shader* program : single())
        delete program;
}

std::array<Shader*, 9> GamePrograms::single() const {
    return {depthShader,   skyboxShader, finalShader, defaultShader,   nightSkyShader,
            textureShader, gaussShader,  sceneShader, sceneDepthShader};
}

void GamePrograms::collect(std::vector<Shader*>& out) const {
    for (Shader* program : single())
        if (program)
            out.push_back(program);
    geometryVariants.collect(out);
    lightingVariants.collect(out);
}

} // namespace vantor
