// The GL-free parts of live shader reloading: the text put into a source and taken from a log,
// and how file changes are told from one check to the next.

#include "app/FileChanges.h"
#include "gpu/ShaderSource.h"

#include "SceneTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

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
