#include "Options.h"

#include "Video.h"
#include "input/CameraMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

bool parseDouble(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(out);
}

bool parseInt(const std::string& text, int& out) {
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 100000)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool parseTimes(const std::string& text, std::vector<double>& out) {
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        double t = 0;
        if (!parseDouble(item, t) || t < 0)
            return false;
        out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return !out.empty();
}

} // namespace

const char* benchUsage() {
    return "usage: bench [--size WxH] [--start SECONDS] [--frames N] [--warmup N] [--step SECONDS]\n"
           "             [--capture T1,T2,...] [--intermediates] [--capture-dir DIR]\n"
           "             [--json FILE] [--compare DIR] [--max-mean D] [--max-bad-share S]\n"
           "             [--soak FRAMES] [--video FILE [--fps N]] [--view N] [--whole-frames]\n"
           "             [--overlay] [--set NAME=VALUE[,NAME=VALUE...]]...\n"
           "Runs the demo's Game on a fixed time step from the folder one level below the repo root.\n"
           "--soak renders FRAMES frames from --start instead of timing them and fails on a GL error,\n"
           "a NaN in the G-buffer or resident memory still growing at the end.\n"
           "--video FILE (.mp4, .webm, .webp or .gif) renders --frames frames from --start, 1/N s apart\n"
           "(--fps N, 1-240, default 60; without --frames up to the flight's end at 60 s), each the picture\n"
           "a --capture of its time gives, and encodes them with the ffmpeg program.\n"
           "--view N (1-9) shows that target in the window as the demo's number keys do; captures are\n"
           "then named view<N>-t<T>.png.\n"
           "--whole-frames times whole frames as the demo runs them (no glFinish between passes, no pass\n"
           "table).\n"
           "--overlay draws the demo's timing overlay (F1) over the captures, its times those of a frame\n"
           "rendered just before each.\n"
           "--set changes the renderer's settings from their defaults, as the demo's settings panel does;\n"
           "it may be repeated. Settings and their values:\n";
}

std::string benchSettingsUsage() {
    std::string text;
    for (const SettingInfo& info : settingNames())
        text += "  " + std::string(info.name) + "=" + info.range + "\n";
    return text + "(the most lights the light path carries is " + std::to_string(RenderSettings::maxLights) +
           ")\n";
}

bool parseBenchOptions(int argc, const char* const* argv, BenchOptions& o, std::string& error) {
    bool framesGiven = false, stepGiven = false, fpsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string value = hasValue ? argv[i + 1] : "";
        bool ok = true;
        if (flag == "--intermediates") {
            o.intermediates = true;
            continue;
        }
        if (flag == "--whole-frames") {
            o.wholeFrames = true;
            continue;
        }
        if (flag == "--overlay") {
            o.overlay = true;
            continue;
        }
        if (!hasValue) {
            error = "missing value after " + flag;
            return false;
        }
        ++i;
        if (flag == "--size") {
            const auto x = value.find('x');
            ok = x != std::string::npos && parseInt(value.substr(0, x), o.width) &&
                 parseInt(value.substr(x + 1), o.height) && o.width > 0 && o.height > 0;
        } else if (flag == "--start") {
            ok = parseDouble(value, o.start) && o.start >= 0;
        } else if (flag == "--frames") {
            ok = parseInt(value, o.frames);
            framesGiven = true;
        } else if (flag == "--warmup") {
            ok = parseInt(value, o.warmup);
        } else if (flag == "--step") {
            ok = parseDouble(value, o.step) && o.step > 0 && o.step <= 1;
            stepGiven = true;
        } else if (flag == "--capture") {
            ok = parseTimes(value, o.captureTimes);
        } else if (flag == "--capture-dir") {
            o.captureDir = value;
        } else if (flag == "--json") {
            o.jsonPath = value;
        } else if (flag == "--compare") {
            o.compareDir = value;
        } else if (flag == "--view") {
            ok = parseInt(value, o.settings.view) && o.settings.view >= 1 && o.settings.view <= 9;
        } else if (flag == "--set") {
            if (!applySettingList(o.settings, value, error)) {
                error = "--set: " + error;
                return false;
            }
        } else if (flag == "--soak") {
            ok = parseInt(value, o.soakFrames) && o.soakFrames > 0;
        } else if (flag == "--video") {
            o.videoPath = value;
            if (!videoFormatFor(value)) {
                error = "--video " + value + ": unknown extension; a video is " + videoExtensions();
                return false;
            }
        } else if (flag == "--fps") {
            ok = parseInt(value, o.fps) && o.fps >= 1 && o.fps <= 240;
            fpsGiven = true;
        } else if (flag == "--max-mean") {
            ok = parseDouble(value, o.maxMeanDiff) && o.maxMeanDiff >= 0;
        } else if (flag == "--max-bad-share") {
            ok = parseDouble(value, o.maxBadPixelShare) && o.maxBadPixelShare >= 0;
        } else {
            error = "unknown option " + flag;
            return false;
        }
        if (!ok) {
            error = "bad value '" + value + "' for " + flag;
            return false;
        }
    }
    if (fpsGiven && o.videoPath.empty()) {
        error = "--fps goes with --video";
        return false;
    }
    if (o.overlay && o.captureTimes.empty()) {
        error = "--overlay draws over captures: give --capture";
        return false;
    }
    if (!o.videoPath.empty()) {
        if (!o.captureTimes.empty() || o.soakFrames > 0) {
            error = "--video renders frames of its own: give --capture or --soak in a run of their own";
            return false;
        }
        if (stepGiven) {
            error = "--step does not go with --video: a video's frames are 1/--fps apart";
            return false;
        }
        o.step = 1.0 / o.fps;
        if (!framesGiven)
            o.frames = static_cast<int>(std::lround((vantor::camera::kFlightSeconds - o.start) * o.fps));
        if (o.frames <= 0) {
            error = "--video: no frames to render (--start is past the flight's end at 60 s: give --frames)";
            return false;
        }
    }
    if (o.frames == 0 && o.captureTimes.empty() && o.soakFrames == 0) {
        error = "nothing to do: --frames 0 and no --capture";
        return false;
    }
    return true;
}
