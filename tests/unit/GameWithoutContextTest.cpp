// A Game whose set-up never ran holds nothing, so deleting it must not call GL: here no
// context exists and no GL entry point is even loaded, so any call would crash.

#include "render/Game.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(GameWithoutContext, DeletingAGameThatNeverRanInitCallsNoGl) {
    auto* game = new Game(nullptr, 640, 384);
    game->destroy();
    delete game;
    SUCCEED();
}
