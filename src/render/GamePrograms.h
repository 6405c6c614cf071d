#pragma once
// The frame's GLSL programs, made at set-up and owned here, with the geometry and lighting
// programs' variants. `all` is what the shader watcher rebuilds.

#include "gpu/Shader.h"
#include "gpu/ShaderVariants.h"

#include <array>
#include <string>
#include <vector>

namespace vantor {

struct GamePrograms {
    explicit GamePrograms(const std::string& shaderDir);
    ~GamePrograms();
    GamePrograms(const GamePrograms&) = delete;
    GamePrograms& operator=(const GamePrograms&) = delete;

    // Every program made so far, the variants built on first use included.
    void collect(std::vector<Shader*>& out) const;

    Shader* depthShader = nullptr; // the shadow cube's
    Shader* skyboxShader = nullptr;
    Shader* finalShader = nullptr;   // the pass-through to the window
    Shader* defaultShader = nullptr; // the light bodies, drawn forward
    // The night sky behind the level: the lighting pass's empty pixels, drawn by a program of
    // their own so the lit pixels do not pay for the sky and the sky not for the lights.
    Shader* nightSkyShader = nullptr;
    Shader* textureShader = nullptr; // the composite
    Shader* gaussShader = nullptr;   // the bloom's blur
    Shader* sceneShader = nullptr;   // a user's model's geometry pass
    // The shadow program for the model's cut-out materials (only a model with some has one).
    Shader* sceneDepthShader = nullptr;
    // The geometry pass's program for the map switches (NO_NORMAL_MAPS, NO_PARALLAX), and the
    // lighting program for the shadow and occlusion switches (NO_SHADOWS, AMBIENT_OCCLUSION): the
    // described programs at the defaults, variants built from the same files on first use
    // otherwise (the described program while a variant cannot be built).
    ShaderVariants geometryVariants;
    ShaderVariants lightingVariants;

private:
    // The programs above that are not variants, made or not.
    std::array<Shader*, 9> single() const;
};

} // namespace vantor
