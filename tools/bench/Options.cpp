#include "Options.h"

#include "Video.h"
#include "input/CameraMath.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace vantor {

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
    const size_t before = out.size();
    for (std::string item; std::getline(list, item, ',');) {
        double t = 0;
        if (!parseDouble(item, t) || t < 0)
            return false;
        out.push_back(t);
    }
    return out.size() > before;
}

} // namespace

const char* benchUsage() {
    return "usage: bench [--help] [--size WxH] [--start SECONDS] [--frames N] [--warmup N] [--step SECONDS]\n"
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
    // CLI11 sorts the words into options; the values are checked here, so every refusal names
    // the option and value as the bench always has.
    CLI::App app("bench", "bench");
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::string size, start, frames, warmup, step, view, soak, fps, maxMean, maxBadShare;
    std::vector<std::string> captures, settingLists;
    app.add_flag("--help", o.help);
    app.add_flag("--intermediates", o.intermediates);
    app.add_flag("--whole-frames", o.wholeFrames);
    app.add_flag("--overlay", o.overlay);
    const std::vector<std::pair<const char*, std::string*>> values = {
        {"--size", &size},         {"--start", &start},
        {"--frames", &frames},     {"--warmup", &warmup},
        {"--step", &step},         {"--capture-dir", &o.captureDir},
        {"--json", &o.jsonPath},   {"--compare", &o.compareDir},
        {"--view", &view},         {"--soak", &soak},
        {"--video", &o.videoPath}, {"--fps", &fps},
        {"--max-mean", &maxMean},  {"--max-bad-share", &maxBadShare},
    };
    for (const auto& [name, value] : values)
        app.add_option(name, *value);
    // Repeatable: each one adds to the ones before.
    for (const auto& [name, list] : {std::pair{"--capture", &captures}, std::pair{"--set", &settingLists}})
        app.add_option(name, *list)
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ArgumentMismatch& mismatch) {
        const std::string what = mismatch.what();
        error = "missing value after " + what.substr(0, what.find(':'));
        return false;
    } catch (const CLI::ParseError& parseError) {
        error = parseError.what();
        return false;
    }
    if (!app.remaining().empty()) {
        error = "unknown option " + app.remaining().front();
        return false;
    }
    if (o.help)
        return true;
    const auto given = [&](const char* name) { return app.count(name) > 0; };
    const auto refuse = [&](const char* name, const std::string& value) {
        error = "bad value '" + value + "' for " + name;
        return false;
    };
    if (given("--size")) {
        const auto x = size.find('x');
        if (x == std::string::npos || !parseInt(size.substr(0, x), o.width) ||
            !parseInt(size.substr(x + 1), o.height) || o.width <= 0 || o.height <= 0)
            return refuse("--size", size);
    }
    if (given("--start") && !(parseDouble(start, o.start) && o.start >= 0))
        return refuse("--start", start);
    if (given("--frames") && !parseInt(frames, o.frames))
        return refuse("--frames", frames);
    if (given("--warmup") && !parseInt(warmup, o.warmup))
        return refuse("--warmup", warmup);
    if (given("--step") && !(parseDouble(step, o.step) && o.step > 0 && o.step <= 1))
        return refuse("--step", step);
    for (const std::string& list : captures)
        if (!parseTimes(list, o.captureTimes))
            return refuse("--capture", list);
    std::sort(o.captureTimes.begin(), o.captureTimes.end());
    if (given("--view") && !(parseInt(view, o.settings.view) && o.settings.view >= 1 && o.settings.view <= 9))
        return refuse("--view", view);
    for (const std::string& list : settingLists)
        if (!applySettingList(o.settings, list, error)) {
            error = "--set: " + error;
            return false;
        }
    if (given("--soak") && !(parseInt(soak, o.soakFrames) && o.soakFrames > 0))
        return refuse("--soak", soak);
    if (given("--video") && !videoFormatFor(o.videoPath)) {
        error = "--video " + o.videoPath + ": unknown extension; a video is " + videoExtensions();
        return false;
    }
    if (given("--fps") && !(parseInt(fps, o.fps) && o.fps >= 1 && o.fps <= 240))
        return refuse("--fps", fps);
    if (given("--max-mean") && !(parseDouble(maxMean, o.maxMeanDiff) && o.maxMeanDiff >= 0))
        return refuse("--max-mean", maxMean);
    if (given("--max-bad-share") &&
        !(parseDouble(maxBadShare, o.maxBadPixelShare) && o.maxBadPixelShare >= 0))
        return refuse("--max-bad-share", maxBadShare);

    if (given("--fps") && o.videoPath.empty()) {
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
        if (given("--step")) {
            error = "--step does not go with --video: a video's frames are 1/--fps apart";
            return false;
        }
        // A video is neither timed, compared nor taken apart into passes.
        for (const char* timing : {"--json", "--intermediates", "--compare", "--whole-frames", "--warmup"})
            if (given(timing)) {
                error = std::string(timing) + " does not go with --video: a video is not timed or compared";
                return false;
            }
        o.step = 1.0 / o.fps;
        if (given("--frames") && o.frames == 0) {
            error = "--video: --frames 0 leaves no frames to render";
            return false;
        }
        if (!given("--frames"))
            o.frames = static_cast<int>(std::lround((vantor::camera::kFlightSeconds - o.start) * o.fps));
        if (o.frames <= 0) {
            error = "--video: no frames to render (--start is past the flight's end at 60 s: give --frames)";
            return false;
        }
        const VideoFormat& format = *videoFormatFor(o.videoPath);
        if (encodedSide(format, std::max(o.width, o.height)) > format.maxSide) {
            error = "--video " + o.videoPath + ": a " + format.extension + " is at most " +
                    std::to_string(format.maxSide) + " pixels on a side, --size is " +
                    std::to_string(o.width) + "x" + std::to_string(o.height);
            return false;
        }
    }
    if (o.frames == 0 && o.captureTimes.empty() && o.soakFrames == 0) {
        error = "nothing to do: --frames 0 and no --capture";
        return false;
    }
    return true;
}

} // namespace vantor
