// Process entry: command line, window and GL context, the Game, the frame loop.

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include "app/CommandLine.h"
#include "app/DebugOutput.h"
#include "app/WindowSize.h"
#include "gpu/Fatal.h"
#include "input/KeyEvents.h"
#include "render/Game.h"

#include <cstdint>
#include <iostream>
#include <unistd.h>

int screenWidth = 1280;
int screenHeight = 768;
Game* game = nullptr;

namespace {

std::uint64_t physicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX; // unknown: only the fixed side limit applies
    return std::uint64_t(pages) * std::uint64_t(pageSize);
}

GlSizeLimits queryGlSizeLimits() {
    GlSizeLimits limits;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.maxTextureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &limits.maxRenderbufferSize);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    limits.maxViewportWidth = viewport[0];
    limits.maxViewportHeight = viewport[1];
    return limits;
}

GLFWwindow* openWindow(bool fullscreen) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    GLFWmonitor* monitor = nullptr;
    if (fullscreen) {
        monitor = glfwGetPrimaryMonitor();
        glfwWindowHint(GLFW_REFRESH_RATE, 60);
    }
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    // GLFW asserts on a size below 1, xcb on some huge ones, and the driver would try to
    // allocate the frame's targets before failing: such sizes never reach the library.
    if (!windowSizeFitsMachine(screenWidth, screenHeight, physicalMemoryBytes()))
        return nullptr;
    return glfwCreateWindow(screenWidth, screenHeight, "Demo", monitor, nullptr);
}

} // namespace

int main(int argc, char* argv[]) {
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (!commandLine.startLine.empty())
        std::cout << commandLine.startLine << std::endl;
    if (!commandLine.failure.empty())
        fatalExit(commandLine.failure, 1);
    screenWidth = commandLine.screenWidth;
    screenHeight = commandLine.screenHeight;

    if (!glfwInit())
        fatalExit("Failed to init glfw", -1);
    GLFWwindow* window = openWindow(commandLine.fullscreen);
    if (!window) {
        glfwTerminate();
        fatalExit("Failed to open window", -1);
    }
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    // Key presses are recorded as they arrive, so a tap shorter than one frame still counts
    // (Escape included) and a released key stays released.
    vantor::input::recordKeys(window);

    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        fatalExit("Failed to initialize glew", -1);
    // The G-buffer and the post-processing targets take the window's size; a context that cannot
    // make targets that large counts as one that could not open this window.
    if (!windowSizeFitsGl(screenWidth, screenHeight, queryGlSizeLimits())) {
        glfwTerminate();
        fatalExit("Failed to open window", -1);
    }

    double lastTime = glfwGetTime();
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, screenWidth, screenHeight);

    game = new Game(window, screenWidth, screenHeight);
    game->init();
    installDebugOutput();

    while (!glfwWindowShouldClose(window)) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const double currentTime = glfwGetTime();
        game->deltaTime = currentTime - lastTime;
        lastTime = currentTime;

        glfwPollEvents();
        if (glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS)
            glfwSetWindowShouldClose(window, GLFW_TRUE);

        game->update();
        game->render();
        glfwSwapBuffers(window);

        if (glGetError() != GL_NO_ERROR)
            std::cout << "GL ERROR DETECTED!!!" << std::endl;
    }

    game->destroy();
    glfwTerminate();
    return 0;
}
