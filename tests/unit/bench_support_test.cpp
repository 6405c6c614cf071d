// The benchmark tool's own logic: its command line, its statistics, and the picture checks
// that decide whether a capture may stand as a reference.

#include "Options.h"
#include "Picture.h"
#include "Stats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

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
}

TEST(BenchOptions, RejectsBadValuesWithAMessageNamingTheOption) {
    const std::vector<std::vector<const char*>> bad = {
        {"--size", "0x384"},  {"--size", "640"}, {"--size", "-640x384"}, {"--step", "0"},
        {"--step", "abc"},    {"--start", "-1"}, {"--frames", "1e3"},    {"--capture", "3,,x"},
        {"--capture", "nan"}, {"--frames"},      {"--bogus", "1"},       {"--frames", "0"},
        {"--soak", "0"},      {"--soak", "-5"},
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
