#pragma once
// Stand-in for the renderer so the entry point links and runs; replaced by the real Game.

struct GLFWwindow;

class Game {
  public:
    Game(GLFWwindow* window, int screenWidth, int screenHeight);

    double deltaTime = 0;

    void init();
    void update();
    void render();
    void destroy();
};
