#include "render/SceneContent.h"

SceneContent::~SceneContent() {
    delete world;
    delete scene;
    delete ball;
    delete smallBall;
    delete shadowBall;
    delete skybox;
}
