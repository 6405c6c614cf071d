#include "VideoRun.h"

#include "FrameReader.h"
#include "Progress.h"
#include "Timeline.h"
#include "VideoWriter.h"
#include "app/ScreenText.h"
#include "app/UiContext.h"
#include "platform/Process.h"
#include "render/Game.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>

namespace vantor {

namespace {

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

int recordVideo(Game& game, Timeline& timeline, GLFWwindow* window, const BenchOptions& o,
                VideoWriter& writer) {
    const VideoFormat& format = *videoFormatFor(o.videoPath);
    FrameReader reader(o.width, o.height);
    Progress progress(std::cerr, o.frames, standardErrorIsTerminal(), secondsNow());
    std::vector<unsigned char> rgb;
    std::string reason;
    int written = 0;
    // The shadow view's labels, as on a capture; nothing of the library starts for other views.
    UiContext ui(window, UiContext::Input::None);

    // The oldest frame read back goes to the encoder.
    const auto sendOldest = [&] {
        if (!reader.takeOldest(
                [&](const unsigned char* rgba) { packFrame(rgba, o.width, o.height, format, rgb); })) {
            reason = "a frame could not be read back from GL";
            return false;
        }
        if (!writer.write(rgb, reason))
            return false;
        progress.update(++written, secondsNow());
        return true;
    };

    bool ok = true;
    for (int n = 0; ok && n < o.frames; ++n) {
        if (VideoWriter::interrupted())
            break;
        timeline.advanceTo(o.start + static_cast<double>(n) / o.fps);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.render();
        drawFrameText(ui, o.width, o.height, game.shownView() == TargetViewId::ShadowCube, {});
        if (reader.queued() == FrameReader::buffers)
            ok = sendOldest();
        reader.start();
        glfwSwapBuffers(window);
    }
    while (ok && !VideoWriter::interrupted() && reader.queued() > 0)
        ok = sendOldest();
    progress.finish();

    if (VideoWriter::interrupted()) {
        writer.abandon();
        std::cerr << "bench: " << o.videoPath << " not written: interrupted after " << written << " frames\n";
        return 130;
    }
    unsigned long long bytes = 0;
    if (!ok) {
        writer.abandon();
    } else if (writer.finish(bytes, reason)) {
        std::ostringstream length;
        length.setf(std::ios::fixed);
        length.precision(2);
        length << static_cast<double>(written) / o.fps;
        std::cerr << "bench: wrote " << o.videoPath << ": " << written << " frames, " << length.str()
                  << " s at " << o.fps << " fps, " << encodedSide(format, o.width) << " x "
                  << encodedSide(format, o.height) << ", " << byteSize(bytes) << std::endl;
        return 0;
    }
    std::cerr << "bench: cannot write " << o.videoPath << ": " << reason << std::endl;
    return 1;
}

} // namespace vantor
