// Process entry: command line, window and GL context, the Game, and the frame loop with the
// desktop's share of each frame (WindowSession).

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include "app/CommandLine.h"
#include "app/DebugOutput.h"
#include "app/WindowSession.h"
#include "gpu/StartupFailure.h"
#include "input/KeyEvents.h"
#include "platform/FrameLoop.h"
#include "platform/PageSettings.h"
#include "render/FrameMemory.h"
#include "render/Game.h"
#include "render/SceneContent.h"
#include "scene/SceneImport.h"

#include <iostream>
#include <memory>
#include <string>

using namespace vantor;

int screenWidth = 1280;
int screenHeight = 768;
Game* game = nullptr;

namespace {

GLFWwindow* openWindow(bool fullscreen) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    // macOS gives a core context only when it is forward-compatible; asking for one everywhere
    // keeps every system on the path macOS takes.
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
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

// Runs the demo; a start-up failure leaves as a StartupFailure for main to report.
int run(int argc, char* argv[]) {
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (!commandLine.startLine.empty())
        std::cout << commandLine.startLine << std::endl;
    if (!commandLine.failure.empty())
        throw StartupFailure(commandLine.failure, 1);
    screenWidth = commandLine.screenWidth;
    screenHeight = commandLine.screenHeight;
    // The model is read before any window opens, so a bad file costs no start-up.
    std::unique_ptr<vantor::scene::SceneData> scene;
    if (!commandLine.scenePath.empty()) {
        scene = std::make_unique<vantor::scene::SceneData>();
        std::string why;
        if (!vantor::scene::importScene(commandLine.scenePath, *scene, why))
            throw StartupFailure(vantor::scene::sceneFailureLine(commandLine.scenePath, why), 1);
        std::cout << vantor::scene::sceneSummaryLine(commandLine.scenePath, *scene) << std::endl;
    }

    if (!glfwInit())
        throw StartupFailure("Failed to init glfw", -1);
    GLFWwindow* window = openWindow(commandLine.fullscreen);
    if (!window) {
        glfwTerminate();
        throw StartupFailure("Failed to open window", -1);
    }
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    // Key presses are recorded as they arrive, so a tap shorter than one frame still counts
    // (Escape included) and a released key stays released.
    vantor::input::recordKeys(window);

    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        throw StartupFailure("Failed to initialize glew", -1);
    // The G-buffer and the post-processing targets take the window's size; a context that cannot
    // make targets that large counts as one that could not open this window.
    if (!windowSizeFitsGl(screenWidth, screenHeight, queryGlSizeLimits())) {
        glfwTerminate();
        throw StartupFailure("Failed to open window", -1);
    }

    // The first frame's time covers the Game's set-up.
    const double startTime = glfwGetTime();
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, screenWidth, screenHeight);

    game = new Game(window, screenWidth, screenHeight);
    game->content->sceneData = std::move(scene);
    game->init();
    std::string badSetting;
    if (!applyPageSettings(game->settings, badSetting))
        throw StartupFailure(badSetting, 1);
    installDebugOutput();

    // On the heap: in a web page the loop outlives this function's stack (runFrameLoop).
    auto session = std::make_unique<WindowSession>(window, *game, startTime);
    runFrameLoop([window, shell = session.get()] {
        if (glfwWindowShouldClose(window))
            return false;
        if (shell->poll()) {
            shell->update();
            shell->render();
            shell->present();
        }
        return true;
    });
    session.reset();

    game->destroy();
    glfwTerminate();
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    try {
        return run(argc, argv);
    } catch (const StartupFailure& failure) {
        return reportStartupFailure(failure);
    }
}
