// The GL-free parts of live shader reloading: the text put into a source and taken from a log,
// and how file changes are told from one check to the next.

#include "app/FileChanges.h"
#include "gpu/ShaderSource.h"

#include "SceneTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace vantor;

namespace {

using scenetest::ScratchDir;
using Paths = std::vector<std::string>;

TEST(ShaderSource, DefinesFollowTheVersionLineAndTheFileKeepsItsLineNumbers) {
    EXPECT_EQ(insertDefines("#version 330 core\nvoid main() {}\n", "#define A\n"),
              "#version 330 core\n#define A\n#line 2\nvoid main() {}\n");
    // After leading comments, without a trailing newline on either side, and indented.
    EXPECT_EQ(insertDefines("// a\n// b\n  # version 330 core\nx", "#define A\n#define B"),
              "// a\n// b\n  # version 330 core\n#define A\n#define B\n#line 4\nx");
    EXPECT_EQ(insertDefines("#version 330 core", "#define A\n"), "#version 330 core\n#define A\n#line 2\n");
    EXPECT_EQ(insertDefines("void main() {}\n", "#define A\n"), "#define A\n#line 1\nvoid main() {}\n");
    EXPECT_EQ(insertDefines("#version 330 core\nx\n", ""), "#version 330 core\nx\n");
}

TEST(ShaderSource, EsTextKeepsLineNumbersPlacesFragColorAndFetchesBuffersFromRows) {
    const std::string es =
        glslForEs("// head\n#version 330 core\nout vec4 fragColor;\n"
                  "layout(location = 1) out vec4 bright;\nuniform usamplerBuffer lists;\n"
                  "uniform samplerBuffer data;\nvoid main() {\n"
                  "  uvec2 p = texelFetch( lists , f(next) >> 1).rg;\n"
                  "  vec4 d = texelFetch(data, 2 * int(i)) + texelFetch(data, (j + 1));\n}\n");
    // The version line stands where it stood, with the precisions on the line after it and the
    // file's own lines renumbered from 3.
    EXPECT_EQ(es.rfind("// head\n#version 300 es\nprecision highp float;", 0), 0u) << es;
    EXPECT_NE(
        es.find("\n#line 3\nlayout(location = 0) out vec4 fragColor;\nlayout(location = 1) out vec4 bright;\n"
                "uniform usampler2D lists;\nuniform sampler2D data;\n"),
        std::string::npos)
        << es;
    EXPECT_NE(es.find("precision highp usampler2D;"), std::string::npos);
    EXPECT_NE(es.find("texelFetch( lists , demoBufferTexel( f(next) >> 1), 0).rg"), std::string::npos) << es;
    EXPECT_NE(es.find("texelFetch(data, demoBufferTexel( 2 * int(i)), 0) + texelFetch(data, demoBufferTexel( "
                      "(j + 1)), 0)"),
              std::string::npos)
        << es;
    EXPECT_NE(es.find("ivec2(i % 2048, i / 2048)"), std::string::npos);
    // Without buffers there is no helper; without a version line the prelude comes first.
    EXPECT_EQ(glslForEs("#version 330 core\nvoid main() {}\n").find("demoBufferTexel"), std::string::npos);
    EXPECT_EQ(glslForEs("void main() {}").rfind("#version 300 es\n", 0), 0u);
    EXPECT_NE(glslForEs("void main() {}").find("\n#line 1\nvoid main() {}"), std::string::npos);
}

TEST(ShaderSource, LogLinesNameTheFileInPlaceOfSourceStringZero) {
    const std::string log = "0:12(5): error: `x' undeclared\n"
                            "0(7) : error C1008: undefined variable\n"
                            "ERROR: 0:3: 'y' : undeclared identifier\n"
                            "10:4(1): error: another source string\n"
                            "error: linking failed\n\n  \n";
    EXPECT_EQ(logNamingFile(log, "../S/a.frag"), "../S/a.frag:12(5): error: `x' undeclared\n"
                                                 "../S/a.frag(7) : error C1008: undefined variable\n"
                                                 "ERROR: ../S/a.frag:3: 'y' : undeclared identifier\n"
                                                 "10:4(1): error: another source string\n"
                                                 "error: linking failed");
    EXPECT_EQ(logNamingFile("\n", "a"), "");
}

TEST(FileChanges, AChangeIsReportedOnceAfterItSettledHoweverTheFileWasReplaced) {
    ScratchDir dir;
    const std::string a = dir.write("a.frag", "one");
    const std::string b = dir.write("b.vert", "two");
    FileChanges files;
    files.follow({a, b, a});
    EXPECT_EQ(files.poll(), Paths{}) << "following is not a change";

    dir.write("a.frag", "one, longer");
    EXPECT_EQ(files.poll(), Paths{}) << "not yet settled";
    EXPECT_EQ(files.poll(), Paths{a});
    EXPECT_EQ(files.poll(), Paths{});

    // Written again between the two checks (a writer caught half-way): reported only once settled.
    dir.write("b.vert", "tw");
    files.poll();
    dir.write("b.vert", "two, done");
    EXPECT_EQ(files.poll(), Paths{});
    EXPECT_EQ(files.poll(), Paths{b});

    // An editor's write to a temporary file renamed over the original.
    const std::string temporary = dir.write("a.frag.tmp", "one, longer");
    std::filesystem::rename(temporary, a); // replaces a, on Windows too (std::rename does not there)
    files.poll();
    EXPECT_EQ(files.poll(), Paths{a});

    // Deleted: nothing to report until it is back.
    std::remove(b.c_str());
    files.poll();
    EXPECT_EQ(files.poll(), Paths{});
    dir.write("b.vert", "two, back");
    files.poll();
    EXPECT_EQ(files.poll(), Paths{b});

    // A file no longer followed is not reported; one followed again starts from its state now.
    files.follow({a});
    dir.write("b.vert", "three");
    files.poll();
    EXPECT_EQ(files.poll(), Paths{});
    files.follow({a, b});
    files.poll();
    EXPECT_EQ(files.poll(), Paths{});

    // Marked seen (everything was reloaded): the change before it is not reported again.
    dir.write("a.frag", "four, and more");
    files.markAllSeen();
    files.poll();
    EXPECT_EQ(files.poll(), Paths{});
}

} // namespace
