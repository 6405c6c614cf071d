// The benchmark tool's own logic: its command line, its statistics, and the picture checks
// that decide whether a capture may stand as a reference.

#include "Options.h"
#include "Picture.h"
#include "Progress.h"
#include "Stats.h"
#include "Video.h"
#include "VideoWriter.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace vantor;

namespace {

bool parse(std::vector<const char*> args, BenchOptions& options, std::string& error) {
    args.insert(args.begin(), "bench");
    return parseBenchOptions(static_cast<int>(args.size()), args.data(), options, error);
}

Picture solid(int w, int h, unsigned char r, unsigned char g, unsigned char b) {
    Picture p;
    p.width = w;
    p.height = h;
    for (int i = 0; i < w * h; ++i)
        p.rgba.insert(p.rgba.end(), {r, g, b, 255});
    return p;
}

Picture noise(int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    Picture p = solid(w, h, 0, 0, 0);
    for (size_t i = 0; i < p.rgba.size(); ++i)
        if (i % 4 != 3)
            p.rgba[i] = static_cast<unsigned char>(random() % 256);
    return p;
}

} // namespace

TEST(BenchOptions, AcceptsEveryOptionAndSortsCaptureTimes) {
    BenchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--size", "640x384", "--start", "3.5", "--frames", "10", "--warmup", "2", "--step",
                       "0.02", "--capture", "48,3,20", "--intermediates", "--capture-dir", "out", "--json",
                       "r.json", "--compare", "ref"},
                      o, error))
        << error;
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 384);
    EXPECT_DOUBLE_EQ(o.start, 3.5);
    EXPECT_EQ(o.frames, 10);
    EXPECT_EQ(o.warmup, 2);
    EXPECT_DOUBLE_EQ(o.step, 0.02);
    EXPECT_EQ(o.captureTimes, (std::vector<double>{3, 20, 48}));
    EXPECT_TRUE(o.intermediates);
    EXPECT_EQ(o.captureDir, "out");
    EXPECT_EQ(o.jsonPath, "r.json");
    EXPECT_EQ(o.compareDir, "ref");
    EXPECT_FALSE(o.overlay);
    ASSERT_TRUE(parse({"--overlay", "--capture", "20"}, o, error)) << error;
    EXPECT_TRUE(o.overlay);
}

TEST(BenchOptions, RejectsBadValuesWithAMessageNamingTheOption) {
    const std::vector<std::vector<const char*>> bad = {
        {"--size", "0x384"},  {"--size", "640"}, {"--size", "-640x384"}, {"--step", "0"},
        {"--step", "abc"},    {"--start", "-1"}, {"--frames", "1e3"},    {"--capture", "3,,x"},
        {"--capture", "nan"}, {"--frames"},      {"--bogus", "1"},       {"--frames", "0"},
        {"--soak", "0"},      {"--soak", "-5"},  {"--overlay"},
    };
    for (const auto& args : bad) {
        BenchOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(BenchStats, MedianAndNearestRankPercentile) {
    EXPECT_DOUBLE_EQ(median({}), 0.0);
    EXPECT_DOUBLE_EQ(median({5, 1, 3}), 3.0);
    EXPECT_DOUBLE_EQ(median({4, 1, 3, 2}), 2.5);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(i);
    EXPECT_DOUBLE_EQ(percentile(hundred, 0.95), 95.0);
    EXPECT_DOUBLE_EQ(percentile(hundred, 1.0), 100.0);
    EXPECT_DOUBLE_EQ(percentile({7}, 0.95), 7.0);
}

TEST(BenchOptions, SoakAloneIsSomethingToDo) {
    BenchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--frames", "0", "--soak", "2000"}, o, error)) << error;
    EXPECT_EQ(o.soakFrames, 2000);
}

TEST(BenchStats, SoakMemoryComparesThePeaksOfTheFirstAndLastTenth) {
    EXPECT_DOUBLE_EQ(firstAndLastTenthPeaks({}).growth(), 1.0);
    EXPECT_DOUBLE_EQ(firstAndLastTenthPeaks({100}).growth(), 1.0);

    // 100 samples: the tenths are samples 0-9 and 90-99; a spike in between counts for neither.
    std::vector<double> rss(100, 100.0);
    rss[9] = 110; // the first tenth's peak
    rss[50] = 500;
    rss[90] = 115; // the last tenth's peak
    TenthPeaks peaks = firstAndLastTenthPeaks(rss);
    EXPECT_DOUBLE_EQ(peaks.first, 110);
    EXPECT_DOUBLE_EQ(peaks.last, 115);
    EXPECT_LE(peaks.growth(), 1.05);
    rss[10] = 90, rss[89] = 200; // just outside both tenths
    EXPECT_DOUBLE_EQ(firstAndLastTenthPeaks(rss).growth(), 115.0 / 110.0);

    // Steady growth to 6 % above the start: 100.6 MB peak first, 106 MB last, over the limit.
    std::vector<double> growing;
    for (int i = 0; i < 1000; ++i)
        growing.push_back(100.0 + 6.0 * (i + 1) / 1000.0);
    EXPECT_GT(firstAndLastTenthPeaks(growing).growth(), 1.05);

    // Fewer than ten samples: the first and the last sample.
    EXPECT_DOUBLE_EQ(firstAndLastTenthPeaks({100, 300, 104}).growth(), 1.04);
}

TEST(BenchPictures, BlackFlatAndGreyFramesAreRejected) {
    EXPECT_NE(pictureProblem(Picture{}), "");
    EXPECT_NE(pictureProblem(solid(64, 32, 0, 0, 0)), "");
    EXPECT_NE(pictureProblem(solid(64, 32, 200, 40, 40)), ""); // lit but flat
    Picture grey = noise(64, 32, 1);
    for (size_t i = 0; i < grey.rgba.size(); i += 4)
        grey.rgba[i + 1] = grey.rgba[i + 2] = grey.rgba[i];
    EXPECT_NE(pictureProblem(grey), "");
    EXPECT_EQ(pictureProblem(noise(64, 32, 2)), "");
}

TEST(BenchPictures, ComparisonMeasuresMeanWorstAndShareOfBadPixels) {
    const Picture a = noise(40, 20, 3);
    PictureDiff same = comparePictures(a, a, 48);
    EXPECT_EQ(same.meanDiff, 0.0);
    EXPECT_EQ(same.maxDiff, 0);
    EXPECT_EQ(same.badShare, 0.0);

    Picture b = a;
    b.rgba[0] = a.rgba[0] > 127 ? 0 : 255; // one pixel far off
    PictureDiff one = comparePictures(a, b, 48);
    EXPECT_GT(one.maxDiff, 127);
    EXPECT_DOUBLE_EQ(one.badShare, 1.0 / 800.0);

    Picture alphaOnly = a;
    alphaOnly.rgba[3] = 0; // alpha takes no part
    EXPECT_EQ(comparePictures(a, alphaOnly, 48).maxDiff, 0);

    EXPECT_EQ(comparePictures(a, noise(20, 40, 3), 48).badShare, 1.0);
}

TEST(BenchPictures, PngRoundTripKeepsPixelsAndRowOrder) {
    Picture p = noise(7, 5, 4);
    p.rgba[0] = 255, p.rgba[1] = 0, p.rgba[2] = 0; // bottom-left red
    const std::string path = ::testing::TempDir() + "bench_roundtrip.png";
    ASSERT_TRUE(writePng(path, p));
    Picture back;
    ASSERT_TRUE(readPng(path, back));
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 5);
    EXPECT_EQ(back.rgba, p.rgba);
    std::remove(path.c_str());
    EXPECT_FALSE(writePng(path, Picture{}));
}

TEST(BenchVideo, FramesDefaultToTheFlightsEndOnTheVideosOwnStep) {
    BenchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--video", "out/Flight.MP4", "--start", "50", "--fps", "30"}, o, error)) << error;
    EXPECT_EQ(o.frames, 300); // 50 s .. 60 s
    EXPECT_DOUBLE_EQ(o.step, 1.0 / 30.0);
    BenchOptions given;
    ASSERT_TRUE(parse({"--video", "f.gif", "--frames", "7"}, given, error)) << error;
    EXPECT_EQ(given.frames, 7);
    EXPECT_EQ(given.fps, 60);

    const std::vector<std::vector<const char*>> bad = {
        {"--video", "f.avi"},
        {"--video", "mp4"},
        {"--video", "f.mp4", "--fps", "0"},
        {"--fps", "30"},
        {"--video", "f.mp4", "--fps", "241"},
        {"--video", "f.mp4", "--capture", "2"},
        {"--video", "f.mp4", "--step", "0.1"},
        {"--video", "f.mp4", "--start", "60"},
        {"--video", "f.mp4", "--frames", "0"},
    };
    for (const auto& args : bad) {
        BenchOptions b;
        EXPECT_FALSE(parse(args, b, error)) << args[1];
    }
    parse({"--video", "dir.x/f.avi"}, o, error);
    EXPECT_NE(error.find("dir.x/f.avi"), std::string::npos) << error;
}

TEST(BenchOptions, RefusalsNameTheOptionAndHelpIsNotAnError) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"--frames"}, "missing value after --frames"},
        {{"--bogus", "1"}, "unknown option --bogus"},
        {{"stray"}, "unknown option stray"},
        {{"--frames", "1e3"}, "bad value '1e3' for --frames"},
        {{"--capture", "3", "--capture", "x"}, "bad value 'x' for --capture"},
        {{"--fps", "30"}, "--fps goes with --video"},
        {{"--video", "f.mp4", "--json", "r.json"},
         "--json does not go with --video: a video is not timed or compared"},
        {{"--video", "f.mp4", "--intermediates"}, "--intermediates does not go with --video"},
        {{"--video", "f.mp4", "--compare", "ref"}, "--compare does not go with --video"},
        {{"--video", "f.mp4", "--whole-frames"}, "--whole-frames does not go with --video"},
        {{"--video", "f.mp4", "--warmup", "5"}, "--warmup does not go with --video"},
        {{"--video", "f.mp4", "--start", "10", "--frames", "0"},
         "--video: --frames 0 leaves no frames to render"},
        {{"--video", "f.mp4", "--start", "60"},
         "--video: no frames to render (--start is past the flight's end"},
        {{"--video", "wide.webp", "--size", "16384x8", "--frames", "1"},
         "--video wide.webp: a .webp is at most 16383 pixels on a side, --size is 16384x8"},
    };
    for (const auto& [args, message] : cases) {
        BenchOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << message;
        EXPECT_EQ(error.substr(0, message.size()), message);
    }
    BenchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--video", "tall.webp", "--size", "8x16383", "--frames", "1"}, o, error)) << error;
    ASSERT_TRUE(parse({"--help"}, o, error)) << error;
    EXPECT_TRUE(o.help);
    BenchOptions repeated;
    ASSERT_TRUE(parse({"--capture", "20,3", "--capture", "9", "--set", "lights=5", "--set", "bloom=off"},
                      repeated, error))
        << error;
    EXPECT_EQ(repeated.captureTimes, (std::vector<double>{3, 9, 20}));
}

TEST(BenchVideo, FramesTurnTopDownAndOddSidesRepeatTheirLastPixels) {
    // 3 x 2, bottom row first: pixel (x, y) has red 10x + y, green 100, blue 7, alpha 1.
    std::vector<unsigned char> rgba;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            rgba.insert(rgba.end(), {static_cast<unsigned char>(10 * x + y), 100, 7, 1});
    std::vector<unsigned char> rgb;
    packFrame(rgba.data(), 3, 2, *videoFormatFor("a.mp4"), rgb);
    ASSERT_EQ(rgb.size(), 4u * 2 * 3); // 4 x 2
    const std::vector<unsigned char> reds = {1, 11, 21, 21, 0, 10, 20, 20};
    for (size_t i = 0; i < reds.size(); ++i) {
        EXPECT_EQ(rgb[3 * i], reds[i]) << i;
        EXPECT_EQ(rgb[3 * i + 1], 100);
        EXPECT_EQ(rgb[3 * i + 2], 7);
    }
    packFrame(rgba.data(), 3, 1, *videoFormatFor("a.webm"), rgb); // one row: repeated below
    EXPECT_EQ(rgb.size(), 4u * 2 * 3);
    EXPECT_EQ(rgb[3 * 4], 0);
    packFrame(rgba.data(), 3, 2, *videoFormatFor("a.gif"), rgb); // GIF takes odd sides as they are
    EXPECT_EQ(rgb.size(), 3u * 2 * 3);
    EXPECT_EQ(encoderCommand(*videoFormatFor("a.mp4"), 641, 361, 60, "t")[9], "642x362");
}

TEST(BenchVideo, AnEncoderFailsByStatusSignalOrErrorMessage) {
    EXPECT_EQ(encoderFailure(0, 0, ""), "");
    // ffmpeg 5 on a full disk: the trailer is lost, the status is 0.
    EXPECT_EQ(encoderFailure(0, 0,
                             "av_interleaved_write_frame(): No space left on device\n"
                             "    Last message repeated 27 times\n"
                             "Error closing file d/.f.mp4.1.part: No space left on device\n"),
              "No space left on device (from ffmpeg, status 0)");
    EXPECT_EQ(encoderFailure(1, 0, "Unknown encoder 'libx264'\n"),
              "Unknown encoder 'libx264' (from ffmpeg, status 1)");
    EXPECT_EQ(encoderFailure(-1, 9, ""), "the encoder (ffmpeg) was killed by signal 9");
    EXPECT_EQ(encoderFailure(3, 0, ""), "the encoder (ffmpeg) ended with status 3");
}

TEST(BenchProgress, InPlaceOnATerminalAndEveryFewSecondsInALog) {
    EXPECT_EQ(Progress::line(120, 180, 5.0), "120/180 frames  66%  24.0 fps  3 s left");
    EXPECT_EQ(Progress::line(0, 180, 0.0), "0/180 frames  0%");

    std::ostringstream log;
    Progress logged(log, 100, false, 0.0);
    for (int done = 1; done <= 100; ++done)
        logged.update(done, done * 0.1); // 10 s: one line at 5 s; the final report follows the last
    logged.finish();
    EXPECT_EQ(log.str(), "50/100 frames  50%  10.0 fps  5 s left\n");

    std::ostringstream terminal;
    Progress inPlace(terminal, 100, true, 0.0);
    for (int done = 1; done <= 100; ++done)
        inPlace.update(done, done * 0.1);
    inPlace.finish();
    const std::string text = terminal.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1); // only the one that ends it
    EXPECT_GE(std::count(text.begin(), text.end(), '\r'), 30);
    EXPECT_NE(text.find("\r100/100 frames  100%"), std::string::npos);
    EXPECT_EQ(byteSize(1234567), "1.2 MB");
    EXPECT_EQ(byteSize(999), "999 B");
}

// A run killed outright leaves its temporary file; a later run to the same name removes it once
// its process is gone, and leaves alone a running writer's file and other videos' files.
TEST(BenchVideo, LeftoversOfEndedRunsAreClearedForTheSameNameOnly) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench-leftovers-" + std::to_string(currentProcessId()));
    std::filesystem::create_directories(folder);
    const std::string video = (folder / "f.mp4").string();
    const long endedPid = 999999999; // beyond every system's largest process id
    const std::vector<std::string> files = {temporaryVideoName(video, endedPid),
                                            temporaryVideoName(video, currentProcessId()),
                                            temporaryVideoName((folder / "g.mp4").string(), endedPid),
                                            (folder / ".f.mp4.12x.part").string(), video};
    for (const std::string& file : files)
        std::ofstream(file) << "x";
    EXPECT_EQ(temporaryVideoName(video, 42), (folder / ".f.mp4.42.part").string());
    EXPECT_EQ(removeAbandonedVideos(video), 1);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(std::filesystem::exists(files[i]), i != 0) << files[i];
    std::filesystem::remove_all(folder);
}

TEST(Process, WindowsCommandLinesQuoteEveryWordAsTheRuntimeSplitsIt) {
    EXPECT_EQ(windowsCommandLine({"ffmpeg", "-i", "pipe:0"}), R"("ffmpeg" "-i" "pipe:0")");
    EXPECT_EQ(windowsCommandLine({"a b", ""}), R"("a b" "")");
    EXPECT_EQ(windowsCommandLine({R"(C:\out dir\)", R"(say "hi")", R"(a\"b)", R"(\\server\x)"}),
              R"("C:\out dir\\" "say \"hi\"" "a\\\"b" "\\server\x")");
}

// The writer's child: fed through its input, its error output and status read back, killed at
// once when abandoned. Skipped where there is no POSIX shell to play the child.
TEST(Process, ChildIsFedReadBackAndKilled) {
    std::string error;
    bool notFound = false;
    {
        ChildProcess missing;
        EXPECT_FALSE(missing.start({"no-such-program-anywhere"}, error, notFound));
        EXPECT_TRUE(notFound) << error;
    }
    ChildProcess child;
    if (!child.start({"sh", "-c", "n=$(wc -c); echo \"took $n\" >&2; exit 4"}, error, notFound))
        GTEST_SKIP() << "no sh: " << error;
    const std::string bytes(100000, 'x');
    EXPECT_TRUE(child.write(bytes.data(), bytes.size()));
    const ChildProcess::Ending ended = child.wait();
    EXPECT_EQ(ended.exitStatus, 4);
    EXPECT_EQ(ended.signal, 0);
    EXPECT_EQ(ended.errorOutput, "took 100000\n");

    ChildProcess stopped;
    ASSERT_TRUE(stopped.start({"sh", "-c", "echo closed >&2; exec 0<&-; exec sleep 30"}, error, notFound))
        << error;
    std::vector<char> frame(1 << 20);
    bool refused = false;
    for (int i = 0; i < 64 && !refused; ++i)
        refused = !stopped.write(frame.data(), frame.size()); // a child that stops reading fails the write
    EXPECT_TRUE(refused);
    const auto start = std::chrono::steady_clock::now();
    const ChildProcess::Ending killed = stopped.kill();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(killed.signal, 0);
    EXPECT_EQ(killed.errorOutput, "closed\n");
}
