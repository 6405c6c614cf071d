// Shaders rebuilt from their files while they are in use: in place, keeping what the rest of
// the frame relies on (attribute locations, the picture), and leaving nothing behind.

#include "GlTestContext.h"
#include "SteppedFlight.h"
#include "app/ShaderWatcher.h"
#include "gpu/Shader.h"
#include "gpu/ShaderVariants.h"
#include "render/Game.h"
#include "render/GameParts.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

using namespace vantor;

namespace {

std::string write(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + "reload_" + name;
    std::ofstream(path) << text;
    return path;
}

// Live program and shader names: the driver hands out low names, below the sweep even after the
// earlier tests in this process have made and deleted a few thousand.
int liveProgramsAndShaders() {
    int live = 0;
    for (GLuint name = 1; name < 65536; ++name)
        live += glIsProgram(name) + glIsShader(name);
    return live;
}

GLint currentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

long residentKilobytes() {
    long kilobytes = -1;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    while (status && std::fgets(line, sizeof line, status) &&
           std::sscanf(line, "VmRSS: %ld kB", &kilobytes) != 1) {
    }
    if (status)
        std::fclose(status);
    return kilobytes;
}

const char* const vertexSource = "#version 330 core\nin vec3 first;\nin vec2 second;\n"
                                 "void main() { gl_Position = vec4(first + vec3(second, 0.0), 1.0); }\n";
const char* const fragmentSource = "#version 330 core\nout vec4 fragColor;\n"
                                   "void main() { fragColor = vec4(1.0); }\n";

TEST(ShaderReload, ReplacesTheProgramInPlaceOrKeepsTheLastThatLinked) {
    const std::string vert = write("a.vert", vertexSource);
    const std::string frag = write("a.frag", fragmentSource);
    Shader shader(vert, frag);
    const GLuint oldProgram = shader.program, oldVertex = shader.vertexShader;
    const GLint first = glGetAttribLocation(shader.program, "first");
    const GLint second = glGetAttribLocation(shader.program, "second");
    shader.use();

    // The attributes declared the other way round, and one more: the old locations still hold.
    write("a.vert", "#version 330 core\nin float third;\nin vec2 second;\nin vec3 first;\n"
                    "void main() { gl_Position = vec4(first + vec3(second, third), 1.0); }\n");
    ASSERT_TRUE(shader.reload().linked);
    EXPECT_EQ(shader.generation, 1u);
    EXPECT_NE(shader.program, oldProgram);
    EXPECT_EQ(currentProgram(), GLint(shader.program)) << "the program in use stays in use";
    EXPECT_FALSE(glIsProgram(oldProgram));
    EXPECT_FALSE(glIsShader(oldVertex));
    EXPECT_EQ(glGetAttribLocation(shader.program, "first"), first);
    EXPECT_EQ(glGetAttribLocation(shader.program, "second"), second);
    EXPECT_EQ(glGetFragDataLocation(shader.program, "fragColor"), 0);

    // Failures change nothing and leave no name behind: a compile error (named by file and
    // line), a link error (named by the program's files), a missing file.
    const GLuint linked = shader.program;
    const int live = liveProgramsAndShaders();
    write("a.frag", "#version 330 core\n// line 2\nout vec4 fragColor;\n"
                    "void main() { fragColor = missingColour; }\n");
    Shader::ReloadResult result = shader.reload();
    EXPECT_FALSE(result.linked);
    EXPECT_EQ(result.file, frag);
    EXPECT_NE(result.log.find(frag + ":4("), std::string::npos) << result.log;
    write("a.frag", fragmentSource);
    write("a.vert", "#version 330 core\nvoid notMain() {}\n");
    result = shader.reload();
    EXPECT_FALSE(result.linked);
    EXPECT_EQ(result.file, vert + " + " + frag);
    std::remove(vert.c_str());
    result = shader.reload();
    EXPECT_EQ(result.file, vert);
    EXPECT_NE(result.log.find("cannot be read"), std::string::npos);
    EXPECT_EQ(shader.program, linked);
    EXPECT_EQ(shader.generation, 1u);
    EXPECT_EQ(liveProgramsAndShaders(), live);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glUseProgram(0);
}

TEST(ShaderReload, DefinesMakeAVariantAndKeepTheFilesLineNumbers) {
    const std::string vert = write("b.vert", "#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n");
    const std::string frag =
        write("b.frag", "#version 330 core\nout vec4 fragColor;\n#ifdef TINT\n"
                        "uniform vec4 tint;\n#else\nconst vec4 tint = vec4(1.0);\n#endif\n"
                        "void main() { fragColor = tint; }\n");
    Shader plain(vert, frag);
    Shader tinted(vert, frag, ShaderDefines{"#define TINT\n"});
    EXPECT_EQ(glGetUniformLocation(plain.program, "tint"), -1);
    EXPECT_GE(glGetUniformLocation(tinted.program, "tint"), 0);

    // Line 4 breaks only the variant, and the log says line 4 of the file.
    write("b.frag", "#version 330 core\nout vec4 fragColor;\n#ifdef TINT\nuniform vec4 tint = ;\n#else\n"
                    "const vec4 tint = vec4(1.0);\n#endif\nvoid main() { fragColor = tint; }\n");
    EXPECT_TRUE(plain.reload().linked);
    const Shader::ReloadResult result = tinted.reload();
    EXPECT_FALSE(result.linked);
    EXPECT_NE(result.log.find(frag + ":4("), std::string::npos) << result.log;
    EXPECT_EQ(tinted.defines(), "#define TINT\n");
}

TEST(ShaderWatcher, ReloadsWhatAChangedFileBuiltAndShowsAFailureUntilItBuilds) {
    const std::string vert = write("c.vert", vertexSource);
    const std::string frag = write("c.frag", fragmentSource);
    const std::string other = write("c2.frag", fragmentSource);
    Shader one(vert, frag), two(vert, other);
    auto unrelated = std::make_unique<Shader>(write("d.vert", vertexSource), write("d.frag", fragmentSource));
    const std::vector<Shader*> watched{&one, &two, unrelated.get()};
    ShaderWatcher watcher(0.25);
    double now = 10.0;
    // Two checks: one sees the change, the next finds it settled.
    const auto twoChecks = [&] {
        for (int i = 0; i < 2; ++i)
            watcher.update(now += 0.3, false, watched);
    };
    twoChecks();
    EXPECT_EQ(one.generation + two.generation, 0u) << "nothing changed";

    write("c.vert", std::string(vertexSource) + "// edited\n");
    ::testing::internal::CaptureStdout();
    twoChecks();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Shaders reloaded: " + vert + " (2 programs)\n");
    EXPECT_EQ(one.generation, 1u);
    EXPECT_EQ(two.generation, 1u);
    EXPECT_EQ(unrelated->generation, 0u);

    // Broken: both programs keep theirs; the message is printed and shown once for the two.
    write("c.vert", "#version 330 core\nvoid main() { gl_Position = nothing; }\n");
    ::testing::internal::CaptureStdout();
    twoChecks();
    twoChecks();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    const std::string header = "Shader reload failed, the last good program stays: " + vert;
    EXPECT_EQ(printed.find(header), 0u) << printed;
    EXPECT_EQ(printed.find(header, 1), std::string::npos) << printed;
    EXPECT_NE(printed.find(vert + ":2("), std::string::npos) << printed;
    std::vector<std::string> lines = watcher.messageLines(20, 200);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], header);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), header), 1);
    EXPECT_EQ(watcher.messageLines(20, 20)[0], header.substr(0, 17) + "...");
    EXPECT_EQ(watcher.messageLines(1, 200), std::vector<std::string>{"..."});
    EXPECT_EQ(one.generation, 1u);

    // F5 rebuilds every watched Shader, the broken ones failing again without a second message.
    ::testing::internal::CaptureStdout();
    watcher.update(now, true, watched);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Shaders reloaded: 1 program\n");
    EXPECT_EQ(unrelated->generation, 1u);
    write("c.vert", vertexSource);
    ::testing::internal::CaptureStdout();
    twoChecks();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(one.generation, 2u);
    EXPECT_TRUE(watcher.messageLines(20, 200).empty());
}

// A file that is no text (a NUL byte, which GL would take for the end of the source) is named
// with the line of the NUL; a UTF-8 byte-order mark is no error; several presses of F5 in one
// frame rebuild once and say so.
TEST(ShaderReload, ANulByteIsNamedByItsLineAByteOrderMarkPassesAndF5PressesAreCounted) {
    const std::string vert = write("f.vert", vertexSource);
    const std::string frag = write("f.frag", fragmentSource);
    Shader shader(vert, frag);
    write("f.frag", std::string(fragmentSource) + "// trailing\n" + std::string(1, '\0') + "junk");
    Shader::ReloadResult result = shader.reload();
    EXPECT_FALSE(result.linked);
    EXPECT_EQ(result.file, frag);
    EXPECT_EQ(result.log, frag + ":5: not a text file (a NUL byte)");
    write("f.frag", "\xEF\xBB\xBF" + std::string(fragmentSource));
    result = shader.reload();
    EXPECT_TRUE(result.linked) << result.log;

    ShaderWatcher watcher(0.25);
    ::testing::internal::CaptureStdout();
    watcher.update(10.0, 3, {&shader});
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("(F5 pressed 3 times in one frame: rebuilt once)"), std::string::npos) << printed;
    EXPECT_EQ(shader.generation, 2u);
}

// A variant first asked for while its file is broken: the plain program draws in its place, the
// failure is reported like a failed reload (once, naming file and line, on screen until it
// builds), and the variant builds as soon as the file does.
TEST(ShaderWatcher, AVariantThatCannotBeBuiltIsReportedAndBuildsWhenItsFileDoes) {
    const std::string vert = write("g.vert", vertexSource);
    const std::string broken = "#version 330 core\nout vec4 fragColor;\n#ifdef RED\n"
                               "void main() { fragColor = undeclaredRed; }\n#else\n"
                               "void main() { fragColor = vec4(1.0); }\n#endif\n";
    const std::string frag = write("g.frag", broken);
    ShaderVariants variants({vert, frag}, {"RED"});
    variants.makePlain();
    const Shader& plain = *variants.plain();
    // What the variants have built so far, as the frame hands it to the watcher.
    const auto built = [&variants] {
        std::vector<Shader*> all;
        variants.collect(all);
        return all;
    };
    ShaderWatcher watcher(0.25);
    double now = 10.0;

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(variants.get(1), &plain);
    EXPECT_EQ(variants.get(1), &plain) << "asked again before the file changed";
    for (int i = 0; i < 3; ++i)
        watcher.update(now += 0.3, 0, built());
    std::string printed = ::testing::internal::GetCapturedStdout();
    const std::string header = "Shader build failed, left out until it builds: " + frag;
    EXPECT_EQ(printed.find(header), 0u) << printed;
    EXPECT_EQ(printed.find(header, 1), std::string::npos) << printed;
    EXPECT_NE(printed.find(frag + ":4("), std::string::npos) << printed;
    ASSERT_FALSE(watcher.messageLines(20, 200).empty());
    EXPECT_EQ(watcher.messageLines(20, 200)[0], header);

    write("g.frag", std::string(broken).replace(broken.find("undeclaredRed"), 13, "vec4(1, 0, 0, 1)"));
    ::testing::internal::CaptureStdout();
    for (int i = 0; i < 2; ++i)
        watcher.update(now += 0.3, 0, built());
    printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Shaders reloaded: " + frag + " (2 programs)\n");
    ASSERT_NE(variants.get(1), &plain);
    EXPECT_TRUE(variants.get(1)->linked());
    EXPECT_TRUE(watcher.messageLines(20, 200).empty());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(ShaderReload, EveryProgramOfTheGameAHundredTimesChangesNoPixelAndHoldsNothingMore) {
    auto game = gameFlownTo(20.0, 640, 384);
    const auto frame = [&game] {
        game->render();
        std::vector<unsigned char> pixels(640 * 384 * 4);
        glReadPixels(0, 0, 640, 384, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    const std::vector<unsigned char> before = frame();
    const std::vector<Shader*> programs = game->allPrograms();
    ASSERT_GE(programs.size(), 10u);

    [[maybe_unused]] long resident = 0;
    int live = 0;
    for (int round = 1; round <= 100; ++round) {
        for (Shader* shader : programs)
            ASSERT_TRUE(shader->reload().linked) << shader->files().back();
        // Drawing now and then makes the driver build its code for the new programs too.
        if (round % 20 == 0) {
            EXPECT_EQ(frame(), before) << "round " << round;
        }
        if (round == 20) {
            resident = residentKilobytes();
            live = liveProgramsAndShaders();
        }
    }
    EXPECT_EQ(game->programs->depthShader->generation, 100u);
    EXPECT_EQ(liveProgramsAndShaders(), live);
#ifndef __SANITIZE_ADDRESS__ // which holds freed blocks back (its leak check runs at exit instead)
    EXPECT_LT(residentKilobytes() - resident, 8 * 1024) << "kB more after 80 more rounds";
#endif
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
