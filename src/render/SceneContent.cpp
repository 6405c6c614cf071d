#include "render/SceneContent.h"

namespace vantor {

SceneContent::~SceneContent() {
    delete world;
    delete scene;
    delete ball;
    delete smallBall;
    delete shadowBall;
    delete skybox;
}

} // namespace vantor
