// Benchmark and capture tool: runs the demo's own Game (same classes, shaders and assets, started
// from the same folder one level below the repo root) on a fixed time step of its own clock. It times every
// pass, writes captures of chosen flight times and compares them with reference pictures.
//
//   cd build && ./bench --size 1280x768 --start 20 --frames 60 --json bench.json
//   cd build && ./bench --size 640x384 --frames 0 --capture 3,20,48,60 --intermediates
//   cd build && ./bench --size 160x96 --start 0 --step 0.03 --soak 2000
//   cd build && ./bench --size 640x360 --start 0 --frames 180 --fps 60 --video flight.mp4

#include <GL/glew.h>

#include <GLFW/glfw3.h>

#include "Capture.h"
#include "FrameTimer.h"
#include "Options.h"
#include "Picture.h"
#include "Report.h"
#include "Soak.h"
#include "Timeline.h"
#include "VideoRun.h"
#include "VideoWriter.h"
#include "app/DebugOutput.h"
#include "app/ScreenText.h"
#include "app/UiContext.h"
#include "gpu/StartupFailure.h"
#include "render/Game.h"
#include "render/GameParts.h"
#include "render/Overlay.h"
#include "render/PassClock.h"
#include "render/PassObserver.h"
#include "scene/SceneImport.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace vantor;

namespace {

// As early as the bench can read the clock: start-up is measured from here.
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

// The demo's window and context, at a fixed size.
GLFWwindow* openWindow(int width, int height) {
    if (!glfwInit()) {
        std::cerr << "bench: glfwInit failed (no display?)\n";
        return nullptr;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE); // as macOS requires
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(width, height, "Demo bench", nullptr, nullptr);
    if (!window) {
        std::cerr << "bench: no " << width << " x " << height << " window with a 3.3 core context\n";
        return nullptr;
    }
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::cerr << "bench: glewInit failed\n";
        return nullptr;
    }
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, width, height);
    return window;
}

std::string timeLabel(double t) {
    std::ostringstream label;
    label << t;
    return label.str();
}

// Renders the frame at flight time `t` through Game::render itself, writes its captures and
// checks them. Returns false when the picture is broken or differs from its reference.
bool captureAt(double t, Game& game, Timeline& timeline, GLFWwindow* window, UiContext& ui,
               const BenchOptions& o) {
    timeline.advanceTo(t);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    std::vector<std::string> overlayLines;
    if (o.overlay) {
        // The overlay's times are those of one frame at the same moment, watched as the demo's F1
        // watches its frames, after two that let the rasterizer compile the shaders; the capture
        // itself is not slowed by the watching.
        for (int warmup = 0; warmup < 2; ++warmup)
            game.render();
        Overlay overlay(0.0);
        PassClock clock(overlay);
        PassObserver* const observer = std::exchange(game.passObserver, &clock);
        clock.frameEnds();
        game.render();
        clock.frameEnds();
        game.passObserver = observer;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        overlayLines =
            overlay.lines({o.width, o.height, TargetView::name(game.shownView()), game.controls->cameraFlight,
                           t, false, game.settings.renderScale, game.frameWidth, game.frameHeight});
    }
    game.render();
    // The shadow view names its faces, as in the demo.
    drawFrameText(ui, o.width, o.height, game.shownView() == TargetViewId::ShadowCube, overlayLines);
    const Picture picture = readWindow(o.width, o.height);
    const std::string name =
        (o.settings.view == 1 ? std::string("final") : "view" + std::to_string(o.settings.view)) + "-t" +
        timeLabel(t) + ".png";
    bool ok = writePng(o.captureDir + "/" + name, picture);
    if (!ok)
        std::cerr << "bench: cannot write " << o.captureDir << "/" << name << "\n";
    if (o.intermediates && !writeIntermediates(game, o.captureDir + "/t" + timeLabel(t) + "-")) {
        std::cerr << "bench: cannot write the intermediate captures of t = " << t << "\n";
        ok = false;
    }
    glfwSwapBuffers(window);

    std::cout << "capture t = " << t << " s: " << o.captureDir << "/" << name;
    if (const size_t bad = countNonFiniteGBufferValues(game)) {
        std::cout << "  FAIL: " << bad << " NaN or infinite values in the G-buffer";
        ok = false;
    }
    // A frame that looks broken fails only a comparison: a plain capture may show any legal
    // setting, however dark or grey it makes the picture. A target view can rightly be flat or
    // colourless (the specular target is grey).
    if (const std::string problem =
            !o.compareDir.empty() && o.settings.view == 1 ? pictureProblem(picture) : std::string();
        !problem.empty()) {
        std::cout << "  FAIL: " << problem;
        ok = false;
    }
    if (!o.compareDir.empty()) {
        Picture reference;
        const std::string referencePath = o.compareDir + "/" + name;
        if (!readPng(referencePath, reference)) {
            std::cout << "  FAIL: no reference " << referencePath;
            ok = false;
        } else if (const std::string problem = pictureProblem(reference); !problem.empty()) {
            std::cout << "  FAIL: reference " << referencePath << " is not a valid frame: " << problem;
            ok = false;
        } else {
            const PictureDiff diff = comparePictures(picture, reference, o.badPixelDiff);
            const bool same = diff.meanDiff <= o.maxMeanDiff && diff.badShare <= o.maxBadPixelShare;
            std::cout << "  vs reference: mean " << diff.meanDiff << ", max " << diff.maxDiff << ", "
                      << 100.0 * diff.badShare << "% pixels off by more than " << o.badPixelDiff
                      << (same ? "  ok" : "  FAIL");
            ok &= same;
        }
    }
    std::cout << std::endl;
    return ok;
}

// Runs the bench; a start-up failure (a shader that will not build) leaves as a StartupFailure,
// closing the video's file on the way out.
int run(int argc, char* argv[]) {
    // --scene FILE: a model in place of the hall, read before anything opens; the option and its
    // file are taken out before the bench's own options are read.
    std::unique_ptr<vantor::scene::SceneData> scene;
    std::vector<char*> benchArgs;
    for (int i = 0; i < argc; ++i) {
        if (i == 0 || std::string(argv[i]) != "--scene") {
            benchArgs.push_back(argv[i]);
            continue;
        }
        if (++i == argc || scene) {
            std::cerr << "bench: --scene takes one model file" << std::endl;
            return 2;
        }
        scene = std::make_unique<vantor::scene::SceneData>();
        std::string why;
        if (!vantor::scene::importScene(argv[i], *scene, why)) {
            std::cout << vantor::scene::sceneFailureLine(argv[i], why) << std::endl;
            return 1;
        }
        std::cout << vantor::scene::sceneSummaryLine(argv[i], *scene) << std::endl;
    }
    argc = static_cast<int>(benchArgs.size());
    argv = benchArgs.data();

    BenchOptions options;
    std::string error;
    if (!parseBenchOptions(argc, argv, options, error)) {
        std::cerr << "bench: " << error << "\n" << benchUsage() << benchSettingsUsage();
        return 2;
    }
    if (options.help) {
        std::cout << benchUsage() << benchSettingsUsage();
        return 0;
    }
    // The video's file and encoder come first: a path that cannot be written or a missing
    // encoder is reported before any rendering.
    VideoWriter video;
    if (!options.videoPath.empty()) {
        std::string reason;
        if (!video.open(options.videoPath, *videoFormatFor(options.videoPath), options.width, options.height,
                        options.fps, reason)) {
            std::cerr << "bench: cannot write " << options.videoPath << ": " << reason << std::endl;
            return 1;
        }
    }
    GLFWwindow* window = openWindow(options.width, options.height);
    if (!window)
        return 1;
    if (!options.captureTimes.empty())
        std::filesystem::create_directories(options.captureDir);

    Game* game = new Game(window, options.width, options.height);
    game->content->sceneData = std::move(scene);
    // The timeline's clock stands at 0 while init builds the camera, so flight time 0 is the
    // camera's start.
    Timeline timeline(*game, options.step);
    game->init();
    game->settings = options.settings;
    installDebugOutput();
    // The captures' text; nothing of the library is started unless a capture shows some.
    auto uiOwner = std::make_unique<UiContext>(window, UiContext::Input::None);
    UiContext& ui = *uiOwner;
    const double setUpMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - processStart).count();

    bool ok = true;
    size_t nextCapture = 0;
    const auto captureUpTo = [&](double limit) {
        for (; nextCapture < options.captureTimes.size() && options.captureTimes[nextCapture] <= limit;
             ++nextCapture) {
            if (options.captureTimes[nextCapture] < timeline.now())
                std::cout << "capture t = " << options.captureTimes[nextCapture]
                          << " s falls inside the measured frames: taken at t = " << timeline.now() << " s\n";
            ok &= captureAt(std::max(options.captureTimes[nextCapture], timeline.now()), *game, timeline,
                            window, ui, options);
        }
    };

    if (!options.videoPath.empty()) {
        const int status = recordVideo(*game, timeline, window, options, video);
        delete game;
        glfwTerminate();
        return status;
    } else if (options.soakFrames > 0) {
        ok &= runSoak(*game, timeline, window, options);
    } else if (options.frames > 0) {
        // Warm-up frames end just before `start`, so the first measured frame shows t = start.
        const double warmupStart = std::max(0.0, options.start - options.step * (options.warmup + 1));
        captureUpTo(options.start);
        timeline.advanceTo(std::max(timeline.now(), warmupStart));
        FrameTimer timer;
        timer.wholeFrames = options.wholeFrames;
        for (int i = 0; i < options.warmup; ++i)
            timer.runFrame(*game, timeline, window, false);
        timeline.advanceTo(std::max(timeline.now(), options.start - options.step));
        for (int i = 0; i < options.frames; ++i)
            timer.runFrame(*game, timeline, window, true);

        const RunInfo info{reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                           std::thread::hardware_concurrency(), setUpMs + timer.firstFrameMs};
        printTable(std::cout, timer, options, info);
        if (!options.jsonPath.empty() && !writeJson(options.jsonPath, timer, options, info)) {
            std::cerr << "bench: cannot write " << options.jsonPath << "\n";
            ok = false;
        }
        if (timer.glErrors) {
            std::cout << "FAIL: " << timer.glErrors << " frames raised a GL error\n";
            ok = false;
        }
    }
    captureUpTo(1e300);

    uiOwner.reset(); // while the context lives
    delete game;
    glfwTerminate();
    return ok ? 0 : 3;
}

} // namespace

int main(int argc, char* argv[]) {
    try {
        return run(argc, argv);
    } catch (const StartupFailure& failure) {
        return reportStartupFailure(failure);
    } catch (const std::exception& failure) {
        // Caught, so the stack unwinds and the video's temporary file goes with it.
        std::cerr << "bench: " << failure.what() << std::endl;
        return 1;
    }
}
