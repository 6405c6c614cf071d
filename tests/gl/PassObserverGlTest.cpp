// The pass observer sees the frame as Game::render runs it, and the benchmark's frame timer
// builds its pass table from exactly what the observer saw.

#include "FrameTimer.h"
#include "GlTestContext.h"
#include "Timeline.h"
#include "render/Game.h"
#include "render/GameParts.h"
#include "render/PassObserver.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantor;

namespace {

const int width = 640;
const int height = 384;

// Remembers every pass and the framebuffer it left bound for drawing.
class PassRecorder : public PassObserver {
public:
    void passBegins(const char* name) override {
        nested |= open;
        open = true;
        begun.push_back(name);
    }
    void passEnds(const char* name) override {
        open = false;
        ended.push_back(name);
        GLint framebuffer = -1;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        targets.push_back(framebuffer);
    }
    std::vector<std::string> begun, ended;
    std::vector<GLint> targets;
    bool open = false, nested = false;
};

std::vector<unsigned char> readWindow() {
    std::vector<unsigned char> pixels(size_t(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

} // namespace

TEST(PassObserver, SeesEveryPassOfRenderInOrderEachAtItsOwnTarget) {
    Game game(glTestWindow(), width, height);
    Timeline timeline(game, 1.0 / 60.0);
    game.init();
    timeline.advanceTo(20.0);

    game.render();
    glFinish();
    const std::vector<unsigned char> unobserved = readWindow();

    PassRecorder recorder;
    game.passObserver = &recorder;
    game.render();
    glFinish();
    game.passObserver = nullptr;
    EXPECT_TRUE(readWindow() == unobserved) << "watching a frame changes what it draws";

    const PostProcessing& post = *game.passes->postProcessing;
    const std::vector<std::pair<std::string, GLuint>> expected = {
        {"shadow", game.shadow->depthMapFBO}, {"geometry", game.gbuffer->gBuffer},
        {"lighting", post.sceneFBO},          {"forward", post.sceneFBO},
        {"blur 1 (h)", post.pingpongFBO[1]},  {"blur 2 (v)", post.pingpongFBO[0]},
        {"blur 3 (h)", post.pingpongFBO[1]},  {"composite", 0},
    };
    ASSERT_EQ(recorder.ended.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(recorder.ended[i], expected[i].first);
        EXPECT_EQ(GLuint(recorder.targets[i]), expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(recorder.begun, recorder.ended);
    EXPECT_FALSE(recorder.nested) << "a pass began before the previous one ended";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(FrameTimer, TimesTheFrameRenderRunsAndNothingElse) {
    Game game(glTestWindow(), width, height);
    Timeline timeline(game, 1.0 / 60.0);
    game.init();
    timeline.advanceTo(20.0);

    PassRecorder recorder;
    game.passObserver = &recorder;
    game.render();
    game.passObserver = nullptr;

    FrameTimer timer;
    const int measured = 3;
    timer.runFrame(game, timeline, glTestWindow(), false);
    for (int i = 0; i < measured; ++i)
        timer.runFrame(game, timeline, glTestWindow(), true);
    EXPECT_EQ(game.passObserver, nullptr) << "the timer leaves the Game as it found it";

    std::vector<std::string> expected = {"update"};
    expected.insert(expected.end(), recorder.ended.begin(), recorder.ended.end());
    expected.push_back("swap");
    std::vector<std::string> table;
    for (const PassTimes& pass : timer.passes) {
        table.push_back(pass.name);
        EXPECT_EQ(pass.ms.size(), size_t(measured)) << pass.name;
    }
    EXPECT_EQ(table, expected);

    // The passes follow one another inside the frame: per frame they add up to less than it.
    ASSERT_EQ(timer.frame.ms.size(), size_t(measured));
    for (int frame = 0; frame < measured; ++frame) {
        double sum = 0;
        for (const PassTimes& pass : timer.passes)
            sum += pass.ms[frame];
        EXPECT_GT(sum, 0.0);
        EXPECT_LE(sum, timer.frame.ms[frame]);
    }
    EXPECT_EQ(timer.framesRun, measured + 1);
    EXPECT_GT(timer.firstFrameMs, 0.0);
    EXPECT_EQ(timer.glErrors, 0);
}
