#include "render/Game.h"

Game::Game(GLFWwindow*, int, int) {}
void Game::init() {}
void Game::update() {}
void Game::render() {}
void Game::destroy() {}
