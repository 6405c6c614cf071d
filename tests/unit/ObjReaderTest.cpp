#include "SceneTestSupport.h"

using namespace vantor;

using scenetest::PlainObject;
using scenetest::ScratchDir;
using scenetest::testdata;

namespace {

const std::string parserMessage =
    "File can't be read by our simple parser :-( Try exporting with other options\n";

struct ReadResult {
    bool ok = false;
    std::string printed;
    std::vector<glm::vec3> vertices;
    std::vector<glm::vec2> uvs;
    std::vector<glm::vec3> normals;
};

// Reads into lists that already hold one sentinel entry each, so "unchanged" is observable.
ReadResult readWithSentinel(const std::string& path) {
    ReadResult r;
    r.vertices.push_back(glm::vec3(7.0f));
    r.uvs.push_back(glm::vec2(7.0f));
    r.normals.push_back(glm::vec3(7.0f));
    PlainObject object;
    ::testing::internal::CaptureStdout();
    r.ok = object.readObj(path, r.vertices, r.uvs, r.normals);
    r.printed = ::testing::internal::GetCapturedStdout();
    return r;
}

void expectUnchanged(const ReadResult& r) {
    ASSERT_EQ(r.vertices.size(), 1u);
    ASSERT_EQ(r.uvs.size(), 1u);
    ASSERT_EQ(r.normals.size(), 1u);
    EXPECT_EQ(r.vertices[0], glm::vec3(7.0f));
}

const char* const triangleHead = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 5 5\n"
                                 "vt 0 0\nvt 1 0\nvt 0 1\nvt 0.25 0.75\n"
                                 "vn 0 0 1\nvn 0 1 0\n";

} // namespace

TEST(ObjReader, AcceptedSubset) {
    ScratchDir dir;
    {
        SCOPED_TRACE("no face line: true and nothing appended");
        const ReadResult r = readWithSentinel(dir.write("noface.obj", triangleHead));
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.printed, "");
        expectUnchanged(r);
    }
    {
        SCOPED_TRACE("1-based indices, corners in written order, vt v negated");
        const ReadResult r =
            readWithSentinel(dir.write("tri.obj", std::string(triangleHead) + "f 1/1/1 4/4/2 3/3/1\n"));
        ASSERT_TRUE(r.ok);
        ASSERT_EQ(r.vertices.size(), 4u);
        EXPECT_EQ(r.vertices[1], glm::vec3(0, 0, 0));
        EXPECT_EQ(r.vertices[2], glm::vec3(5, 5, 5));
        EXPECT_EQ(r.vertices[3], glm::vec3(0, 1, 0));
        EXPECT_EQ(r.uvs[2], glm::vec2(0.25f, -0.75f));
        EXPECT_EQ(r.uvs[3], glm::vec2(0.0f, -1.0f));
        EXPECT_EQ(r.normals[2], glm::vec3(0, 1, 0));
    }
    {
        SCOPED_TRACE("a quad keeps its first triangle and the next line still reads");
        const ReadResult r = readWithSentinel(dir.write(
            "quad.obj", std::string(triangleHead) + "f 1/1/1 2/2/1 3/3/1 4/4/1\nf 4/4/2 3/3/2 2/2/2\n"));
        ASSERT_TRUE(r.ok);
        ASSERT_EQ(r.vertices.size(), 7u);
        EXPECT_EQ(r.vertices[1], glm::vec3(0, 0, 0));
        EXPECT_EQ(r.vertices[3], glm::vec3(0, 1, 0));
        EXPECT_EQ(r.vertices[4], glm::vec3(5, 5, 5));
    }
    {
        SCOPED_TRACE("skipped keywords, comments, extra components, CRLF line ends");
        const ReadResult r = readWithSentinel(dir.write(
            "mixed.obj", "# comment v 9 9 9\r\nmtllib a.mtl\r\no Thing\r\nv 1 2 3 1\r\nv 4 5 6\r\nv 7 8 9\r\n"
                         "vt 0.5 0.5 0\r\nvn 0 0 1\r\ng\r\nusemtl \r\ns off\r\nf 1/1/1 2/1/1 3/1/1\r\n"));
        ASSERT_TRUE(r.ok);
        ASSERT_EQ(r.vertices.size(), 4u);
        EXPECT_EQ(r.vertices[1], glm::vec3(1, 2, 3));
        EXPECT_EQ(r.vertices[3], glm::vec3(7, 8, 9));
        EXPECT_EQ(r.uvs[1], glm::vec2(0.5f, -0.5f));
    }
}

TEST(ObjReader, MissingFilePrintsMessageAndPathWithoutLineBreak) {
    // A directory opens with fopen on Linux but yields no bytes: it must not pass as an empty model.
    ScratchDir dir;
    for (const std::string& path : {std::string("/nonexistent/dir/model.obj"), dir.path.string()}) {
        SCOPED_TRACE(path);
        const ReadResult r = readWithSentinel(path);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.printed, "Impossible to open the file !\n" + path);
        expectUnchanged(r);

        PlainObject object;
        std::vector<glm::vec3> positions;
        ::testing::internal::CaptureStdout();
        EXPECT_FALSE(object.readObjPositions(path, positions));
        EXPECT_FALSE(object.readVertexPositions(path, positions));
        EXPECT_EQ(::testing::internal::GetCapturedStdout(),
                  "Impossible to open the file !\n" + path + "Impossible to open the file !\n" + path);
    }
}

TEST(ObjReader, RefusedFacesLeaveListsUnchanged) {
    ScratchDir dir;
    const std::string good = std::string(triangleHead) + "f 1/1/1 2/2/1 3/3/1\n";
    const struct {
        const char* name;
        std::string text;
        bool parserMessage; // otherwise the out-of-range message
    } cases[] = {
        {"normal omitted", good + "f 1//1 2//1 3//1\n", true},
        {"position only", good + "f 1 2 3\n", true},
        {"position/uv", good + "f 1/1 2/2 3/3\n", true},
        {"cut off mid-line", good + "f 1/1/1 2/2", true},
        {"index too long for an int", good + "f 12345678901/1/1 2/2/1 3/3/1\n", true},
        {"zero index", good + "f 0/1/1 2/2/1 3/3/1\n", false},
        {"negative index", good + "f -1/-1/-1 -2/-2/-2 -3/-3/-3\n", false},
        {"position past the end", good + "f 1/1/1 2/2/1 5/3/1\n", false},
        {"uv past the end", good + "f 1/1/1 2/9/1 3/3/1\n", false},
        {"normal past the end", good + "f 1/1/1 2/2/1 3/3/3\n", false},
        {"huge index", good + "f 999999999/1/1 2/2/1 3/3/1\n", false},
        {"face without any vn", "v 0 0 0\nvt 0 0\nf 1/1/1 1/1/1 1/1/1\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult r = readWithSentinel(dir.write("bad.obj", c.text));
        EXPECT_FALSE(r.ok);
        expectUnchanged(r);
        if (c.parserMessage) {
            EXPECT_EQ(r.printed, parserMessage);
        } else {
            EXPECT_NE(r.printed.find("out of range"), std::string::npos) << r.printed;
            EXPECT_EQ(r.printed.find(parserMessage), std::string::npos);
        }
    }
}

TEST(ObjReader, OversizedTokensAndLinesAreSafe) {
    ScratchDir dir;
    const std::string longToken(5000, 'x');
    std::string longLine = "#";
    for (int i = 0; i < 600; ++i)
        longLine += " word";
    const std::string tail = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n";

    const ReadResult tokens =
        readWithSentinel(dir.write("token.obj", longToken + "\n" + longToken + " 1 2\n" + tail));
    EXPECT_TRUE(tokens.ok);
    EXPECT_EQ(tokens.vertices.size(), 4u);

    const ReadResult lines = readWithSentinel(dir.write("line.obj", longLine + "\n" + tail));
    EXPECT_TRUE(lines.ok);
    EXPECT_EQ(lines.vertices.size(), 4u);

    // A keyword line cut short keeps the pre-set zeros; the file then simply ends.
    const ReadResult cut = readWithSentinel(dir.write("cut.obj", "v 1 2"));
    EXPECT_TRUE(cut.ok);
    expectUnchanged(cut);
    PlainObject object;
    std::vector<glm::vec3> positions;
    EXPECT_TRUE(object.readObjPositions(dir.write("cut2.obj", "v 1 2"), positions));
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0], glm::vec3(1, 2, 0));

    const ReadResult empty = readWithSentinel(dir.write("empty.obj", ""));
    EXPECT_TRUE(empty.ok);
    expectUnchanged(empty);
}

TEST(ObjReader, PositionReaders) {
    ScratchDir dir;
    PlainObject object;
    std::vector<glm::vec3> positions;
    EXPECT_TRUE(object.readObjPositions(
        dir.write("p.obj",
                  "# v in a comment is a token too\nv 1 2 3\nvt 4 5\nvn 6 7 8\nf 1/1/1 1/1/1 1/1/1\n"),
        positions));
    // The comment's "v" reads "in" as a failed number: a pre-set zero position.
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[0], glm::vec3(0, 0, 0));
    EXPECT_EQ(positions[1], glm::vec3(1, 2, 3));

    positions.clear();
    EXPECT_TRUE(object.readVertexPositions(dir.write("s.stl", "solid s\nfacet normal 0 0 1\nouter loop\n"
                                                              "vertex 1 0 0\nvertex 0 1 0\nvertex 0 0 1\n"
                                                              "endloop\nendfacet\nendsolid s\n"),
                                           positions));
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_EQ(positions[2], glm::vec3(0, 0, 1));
}

// The counts below come from the corpus notes: one corner per face reference in a/b/c form.
TEST(ObjReader, RealModels) {
    const struct {
        const char* file;
        bool ok;
        std::size_t corners;
    } models[] = {
        {"obj/spider.obj", true, 4104},
        {"obj/WusonOBJ.obj", true, 11196},
        {"obj/usemtl-issue-68.obj", true, 1200},
        {"obj/platform.obj", true, 14 * 3},
        {"obj/empty_mat.obj", false, 0},
        {"obj/cat_head.obj", false, 0},
        {"obj/spot.obj", false, 0},
        {"obj/regr01.obj", false, 0},
    };
    for (const auto& m : models) {
        SCOPED_TRACE(m.file);
        const ReadResult r = readWithSentinel(testdata(m.file));
        EXPECT_EQ(r.ok, m.ok);
        if (m.ok) {
            EXPECT_EQ(r.printed, "");
            EXPECT_EQ(r.vertices.size(), m.corners + 1);
            EXPECT_EQ(r.uvs.size(), m.corners + 1);
            EXPECT_EQ(r.normals.size(), m.corners + 1);
        } else {
            EXPECT_EQ(r.printed, parserMessage); // exactly once
            expectUnchanged(r);
        }
    }
}

// Every quad of the platform becomes the triangle of its first three corners; the first
// quad is "f 1/1/1 2/2/1 3/3/1 4/4/1".
TEST(ObjReader, PlatformQuadsKeepFirstTriangle) {
    const ReadResult r = readWithSentinel(testdata("obj/platform.obj"));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.vertices.size(), 14u * 3u + 1u);
    EXPECT_EQ(r.vertices[1], glm::vec3(-1, 0, 1));
    EXPECT_EQ(r.vertices[2], glm::vec3(-1, 0, -1));
    EXPECT_EQ(r.vertices[3], glm::vec3(1, 0, -1));
}
