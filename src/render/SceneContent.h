#pragma once
// What the passes draw besides the lights: the level (or a user's model in its place), the
// lights' body meshes, the sky box, and the order the level is drawn in. Owns them all.

#include "render/LevelOrder.h"
#include "scene/Mesh.h"
#include "scene/SceneData.h"
#include "scene/SceneModel.h"
#include "scene/Skybox.h"

#include <memory>

namespace vantor {

struct SceneContent {
    SceneContent() = default;
    ~SceneContent();
    SceneContent(const SceneContent&) = delete;
    SceneContent& operator=(const SceneContent&) = delete;

    // The level; null while a model is shown in its place.
    vantor::scene::World* world = nullptr;
    // A model shown in place of the level: given before the Game's `init`, which uploads it into
    // `scene` (fitted into the level's volume, drawn once, with its own geometry program) and
    // lets the CPU copy go.
    std::unique_ptr<vantor::scene::SceneData> sceneData;
    vantor::scene::SceneModel* scene = nullptr;
    // The lights' bodies: the full sphere, the coarse one past the first fifty (a few pixels
    // across), and the same in the shadow cube, an octahedron.
    vantor::scene::Ball* ball = nullptr;
    vantor::scene::BodySphere* smallBall = nullptr;
    vantor::scene::BodySphere* shadowBall = nullptr;
    Skybox* skybox = nullptr;
    LevelOrder levelOrder;
};

} // namespace vantor
