#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantor;

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "/opt/demo/bin/demo");
    return parseCommandLine(int(args.size()), args.data());
}

struct Case {
    std::vector<const char*> args;
    int width;
    int height;
    bool fullscreen;
    bool startLine;
    const char* failure; // "" when accepted
};

class CommandLineTable : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTable, ParsesLikeStreamExtraction) {
    const Case& c = GetParam();
    const CommandLine line = parse(c.args);
    EXPECT_EQ(line.failure, c.failure);
    EXPECT_EQ(line.startLine.empty(), !c.startLine);
    if (c.startLine) {
        EXPECT_EQ(line.startLine, "you are executing '/opt/demo/bin/demo'");
    }
    if (line.failure.empty()) {
        EXPECT_EQ(line.screenWidth, c.width);
        EXPECT_EQ(line.screenHeight, c.height);
        EXPECT_EQ(line.fullscreen, c.fullscreen);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTable,
    ::testing::Values(
        // Defaults, and a lone argument that is ignored without a start line.
        Case{{}, 1280, 768, false, false, ""}, Case{{"800"}, 1280, 768, false, false, ""},
        Case{{"abc"}, 1280, 768, false, false, ""},
        // Size only, size and flag, and arguments past the third.
        Case{{"800", "600"}, 800, 600, false, true, ""}, Case{{"800", "600", "1"}, 800, 600, true, true, ""},
        Case{{"800", "600", "0"}, 800, 600, false, true, ""},
        Case{{"800", "600", "1", "junk"}, 800, 600, true, true, ""},
        // Extraction stops at the first character that cannot continue the number.
        Case{{"1280px", "720"}, 1280, 720, false, true, ""},
        Case{{"  +640", "480.9"}, 640, 480, false, true, ""},
        Case{{"800", "600", "1yes"}, 800, 600, true, true, ""},
        // Sizes below 1 parse; the window creation rejects them later.
        Case{{"-5", "600"}, -5, 600, false, true, ""}, Case{{"0", "600"}, 0, 600, false, true, ""},
        // Failures, each reported for the first bad argument only.
        Case{{"abc", "600"}, 0, 0, false, true, "Fail in first command line!"},
        Case{{"abc", "xyz"}, 0, 0, false, true, "Fail in first command line!"},
        Case{{"", "600"}, 0, 0, false, true, "Fail in first command line!"},
        Case{{"3000000000", "600"}, 0, 0, false, true, "Fail in first command line!"},
        Case{{"800", "px600"}, 0, 0, false, true, "Fail in second command line!"},
        Case{{"800", "600", "true"}, 0, 0, false, true, "Fail in thrid command line!"},
        Case{{"800", "600", "2"}, 0, 0, false, true, "Fail in thrid command line!"},
        Case{{"800", "600", "yes"}, 0, 0, false, true, "Fail in thrid command line!"},
        Case{{"800", "600", "-1"}, 0, 0, false, true, "Fail in thrid command line!"}));

// The scene option is taken out wherever it stands; the size rule sees the rest exactly as
// before, and its own failures come first.
TEST(CommandLineScene, OptionBesideThePositionalArguments) {
    struct SceneCase {
        std::vector<const char*> args;
        const char* scene;
        int width;
        const char* failure;
    };
    const SceneCase cases[] = {
        {{"--scene", "a.glb"}, "a.glb", 1280, ""},
        {{"--scene=dir/b c.gltf"}, "dir/b c.gltf", 1280, ""},
        {{"800", "--scene", "a.obj", "600", "1"}, "a.obj", 800, ""},
        {{"800", "600", "--scene", "--scene"}, "--scene", 800, ""},
        {{"abc", "48", "--scene", "a.glb"}, "", 0, "Fail in first command line!"},
        {{"abc", "48", "--scene"}, "", 0, "Fail in first command line!"},
        {{"800", "600", "--scene"}, "", 0, "--scene needs a model file: --scene FILE"},
        {{"--scene="}, "", 0, "--scene needs a model file: --scene FILE"},
        {{"--scene", "a", "--scene", "b"}, "", 0, "--scene given more than once"},
        // Only the exact option is taken: anything else is a positional argument as before.
        {{"--scenery", "600"}, "", 0, "Fail in first command line!"},
    };
    for (const SceneCase& c : cases) {
        const CommandLine line = parse(c.args);
        EXPECT_EQ(line.failure, c.failure) << c.args.size() << " arguments, scene " << c.scene;
        EXPECT_EQ(line.scenePath, c.scene);
        if (line.failure.empty()) {
            EXPECT_EQ(line.screenWidth, c.width);
        }
    }
    // The program name is never the option, and the start line names it as before.
    const CommandLine sized = parse({"--scene", "m.fbx", "640", "480"});
    EXPECT_EQ(sized.startLine, "you are executing '/opt/demo/bin/demo'");
    EXPECT_EQ(sized.screenHeight, 480);
}

} // namespace
