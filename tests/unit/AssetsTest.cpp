// The committed models and images: the level and the sphere must be in the reader's OBJ
// subset with sound geometry, the level must meet its upside-down copy and leave the camera
// and the shadow light room, must have the outer wall, roof and windows the lighting pass is told
// of, and the brick maps must tile and agree with each other.

#include "scene/LevelShape.h"

#include <FreeImage.h>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace vantor;

namespace {

const std::string kAssets = std::string(SOURCE_DIR) + "/Quarnvale/";

struct Corner {
    glm::vec3 position;
    glm::vec2 uv; // as the reader stores it: v negated
    glm::vec3 normal;
};

struct ObjFile {
    std::vector<glm::vec3> positions;
    std::vector<Corner> corners; // three per triangle
    std::vector<std::string> problems;
};

// Strict reading of the subset: v x y z, vt u v, vn x y z, f a/b/c a/b/c a/b/c, # comments.
ObjFile readStrict(const std::string& path) {
    ObjFile obj;
    std::ifstream in(path);
    if (!in) {
        obj.problems.push_back("cannot open " + path);
        return obj;
    }
    std::vector<glm::vec2> uvs;
    std::vector<glm::vec3> normals;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::istringstream words(line);
        std::string key;
        words >> key;
        std::string rest;
        auto bad = [&](const char* why) { obj.problems.push_back(std::to_string(lineNumber) + ": " + why); };
        if (key.empty() || key[0] == '#')
            continue;
        if (key == "v" || key == "vn") {
            glm::vec3 p;
            if (!(words >> p.x >> p.y >> p.z) || (words >> rest))
                bad("position or normal needs three numbers");
            (key == "v" ? obj.positions : normals).push_back(p);
        } else if (key == "vt") {
            glm::vec2 t;
            if (!(words >> t.x >> t.y) || (words >> rest))
                bad("vt needs two numbers");
            uvs.push_back({t.x, -t.y});
        } else if (key == "f") {
            int idx[9];
            char slash[6];
            if (!(words >> idx[0] >> slash[0] >> idx[1] >> slash[1] >> idx[2] >> idx[3] >> slash[2] >>
                  idx[4] >> slash[3] >> idx[5] >> idx[6] >> slash[4] >> idx[7] >> slash[5] >> idx[8]) ||
                (words >> rest)) {
                bad("face is not three a/b/c corners");
                continue;
            }
            for (int k = 0; k < 3; ++k) {
                int p = idx[3 * k], t = idx[3 * k + 1], n = idx[3 * k + 2];
                if (p < 1 || p > int(obj.positions.size()) || t < 1 || t > int(uvs.size()) || n < 1 ||
                    n > int(normals.size())) {
                    bad("index out of range");
                    obj.corners.push_back({});
                    continue;
                }
                obj.corners.push_back({obj.positions[p - 1], uvs[t - 1], normals[n - 1]});
            }
        } else {
            bad("keyword outside the subset");
        }
    }
    return obj;
}

// Tangent and bitangent of one triangle, the way the renderer derives them.
void tangentFrame(const Corner* c, glm::vec3& t, glm::vec3& b) {
    glm::vec3 dp1 = c[1].position - c[0].position, dp2 = c[2].position - c[0].position;
    glm::vec2 d1 = c[1].uv - c[0].uv, d2 = c[2].uv - c[0].uv;
    float r = 1.0f / (d1.x * d2.y - d1.y * d2.x);
    t = (dp1 * d2.y - dp2 * d1.y) * r;
    b = (dp2 * d1.x - dp1 * d2.x) * r;
}

// Checks shared by both meshes; returns how many triangles break each rule.
struct MeshFaults {
    int degenerate = 0, notUnitNormal = 0, woundAgainstNormal = 0, mirroredUv = 0;
};

MeshFaults meshFaults(const ObjFile& obj) {
    MeshFaults f;
    for (size_t i = 0; i + 2 < obj.corners.size(); i += 3) {
        const Corner* c = &obj.corners[i];
        glm::vec3 face = glm::cross(c[1].position - c[0].position, c[2].position - c[0].position);
        if (glm::length(face) < 1e-5f) {
            ++f.degenerate;
            continue;
        }
        glm::vec3 shading(0.0f);
        for (int k = 0; k < 3; ++k) {
            if (std::abs(glm::length(c[k].normal) - 1.0f) > 1e-3f)
                ++f.notUnitNormal;
            shading += c[k].normal;
        }
        if (glm::dot(glm::normalize(face), glm::normalize(shading)) < 0.5f)
            ++f.woundAgainstNormal;
        glm::vec3 t, b;
        tangentFrame(c, t, b);
        if (!(glm::dot(glm::cross(t, b), shading) > 0.0f))
            ++f.mirroredUv;
    }
    return f;
}

glm::vec3 closestOnTriangle(glm::vec3 p, glm::vec3 a, glm::vec3 b, glm::vec3 c) {
    glm::vec3 ab = b - a, ac = c - a, ap = p - a;
    float d1 = glm::dot(ab, ap), d2 = glm::dot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    glm::vec3 bp = p - b;
    float d3 = glm::dot(ab, bp), d4 = glm::dot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return a + ab * (d1 / (d1 - d3));
    glm::vec3 cp = p - c;
    float d5 = glm::dot(ab, cp), d6 = glm::dot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return a + ac * (d2 / (d2 - d6));
    float va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    float denom = 1.0f / (va + vb + vc);
    return a + ab * (vb * denom) + ac * (vc * denom);
}

// The renderer's second placement of the level, scaled back to level units: turned upside
// down about z, 45 degrees about y, its origin at height 5.
glm::mat4 copyPlacement() {
    glm::mat4 m(1.0f);
    m = glm::rotate(m, glm::radians(180.0f), glm::vec3(0, 0, 1));
    m = glm::rotate(m, glm::radians(45.0f), glm::vec3(0, 1, 0));
    return glm::translate(m, glm::vec3(0, -5, 0));
}

class Level : public ::testing::Test {
protected:
    static void SetUpTestSuite() { level = new ObjFile(readStrict(kAssets + "Objects/scene2.obj")); }
    static void TearDownTestSuite() {
        delete level;
        level = nullptr;
    }
    static ObjFile* level;
};
ObjFile* Level::level = nullptr;

TEST_F(Level, IsInTheReaderSubsetWithSoundTriangles) {
    ASSERT_TRUE(level->problems.empty()) << level->problems.front();
    size_t triangles = level->corners.size() / 3;
    EXPECT_GE(triangles, 2000u);
    EXPECT_LE(triangles, 8000u);
    MeshFaults f = meshFaults(*level);
    EXPECT_EQ(f.degenerate, 0);
    EXPECT_EQ(f.notUnitNormal, 0);
    EXPECT_EQ(f.woundAgainstNormal, 0);
    EXPECT_EQ(f.mirroredUv, 0) << "normal map would bump inwards";
}

TEST_F(Level, BricksHaveTheSameSizeEverywhereAndStandUpright) {
    int stretched = 0, sideways = 0;
    for (size_t i = 0; i + 2 < level->corners.size(); i += 3) {
        glm::vec3 t, b;
        tangentFrame(&level->corners[i], t, b);
        // Two level units per texture repeat in both directions, without shear.
        if (std::abs(glm::length(t) - 2.0f) > 0.1f || std::abs(glm::length(b) - 2.0f) > 0.1f ||
            std::abs(glm::dot(glm::normalize(t), glm::normalize(b))) > 0.05f)
            ++stretched;
        // On flat walls the top of the image points up, so mortar courses lie level.
        glm::vec3 n = level->corners[i].normal;
        bool flatWall =
            std::abs(n.y) < 1e-3f && level->corners[i + 1].normal == n && level->corners[i + 2].normal == n;
        if (flatWall && glm::normalize(b).y < 0.999f)
            ++sideways;
    }
    EXPECT_EQ(stretched, 0);
    EXPECT_EQ(sideways, 0);
}

TEST_F(Level, StaysBelowMidHeightAndMeetsItsUpsideDownCopy) {
    // Everything above 2.5 comes from the copy; anything the level put there would overlap it.
    float top = -1e9f;
    for (const glm::vec3& p : level->positions)
        top = std::max(top, p.y);
    EXPECT_LE(top, 2.5001f);

    // The copy, mirrored back about 2.5, must land on the level's own vertices: then walls,
    // pillars and openings of both halves meet edge to edge.
    std::map<std::tuple<long, long, long>, int> grid;
    auto key = [](glm::vec3 p) {
        return std::make_tuple(std::lround(p.x * 100), std::lround(p.y * 100), std::lround(p.z * 100));
    };
    for (const glm::vec3& p : level->positions)
        grid[key(p)] = 1;
    glm::mat4 copy = copyPlacement();
    int unmatched = 0;
    for (const glm::vec3& p : level->positions) {
        glm::vec3 q = glm::vec3(copy * glm::vec4(p, 1.0f));
        q.y = 5.0f - q.y;
        bool found = false;
        for (int dx = -1; dx <= 1 && !found; ++dx)
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dz = -1; dz <= 1 && !found; ++dz) {
                    auto k = key(q);
                    found = grid.count({std::get<0>(k) + dx, std::get<1>(k) + dy, std::get<2>(k) + dz}) > 0;
                }
        if (!found)
            ++unmatched;
    }
    EXPECT_EQ(unmatched, 0);
}

TEST_F(Level, LeavesTheCameraAndTheShadowLightRoom) {
    std::vector<glm::vec3> hall; // both placements, in level units
    glm::mat4 copy = copyPlacement();
    for (const Corner& c : level->corners)
        hall.push_back(c.position);
    for (const Corner& c : level->corners)
        hall.push_back(glm::vec3(copy * glm::vec4(c.position, 1.0f)));
    auto clearance = [&](glm::vec3 p) {
        float best = 1e9f;
        for (size_t i = 0; i + 2 < hall.size(); i += 3)
            best = std::min(best, glm::length(p - closestOnTriangle(p, hall[i], hall[i + 1], hall[i + 2])));
        return best;
    };
    // The glide heads from (60, 10, 60) straight for (0, 2, 0); the orbit circles at height 2
    // with radius 2.5 to 7.5. The near plane is 1 level unit away.
    for (int i = 0; i <= 200; ++i) {
        glm::vec3 p = glm::mix(glm::vec3(60, 10, 60), glm::vec3(0, 2, 0), i / 200.0f);
        EXPECT_GT(clearance(p), 1.0f) << "glide at " << p.x << " " << p.y << " " << p.z;
    }
    for (float radius : {0.0f, 2.5f, 5.0f, 7.5f})
        for (int i = 0; i < 32; ++i) {
            float a = 6.2831853f * i / 32;
            glm::vec3 p(radius * std::cos(a), 2.0f, radius * std::sin(a));
            EXPECT_GT(clearance(p), 1.0f) << "orbit at " << p.x << " " << p.z;
        }
    // The shadow light and its marker sphere (radius 0.5) sink along the axis from 10 to 2.5.
    for (float y = 2.5f; y <= 10.0f; y += 0.25f)
        EXPECT_GT(clearance(glm::vec3(0, y, 0)), 0.6f) << "shadow light at " << y;
}

// The lighting pass finds the building's outside from the numbers in LevelShape.h, not from the
// mesh: the committed level must have its outer wall, its underside (the copy's roof) and its
// windows exactly there.
TEST_F(Level, HasTheOuterWallRoofAndWindowsTheLightingIsGiven) {
    using namespace levelshape;
    const float tolerance = 1e-3f; // the file keeps four decimals
    const float quarterTurn = 0.78539816f;
    float outermost = 0.0f, wallBottom = 1e9f, wallTop = -1e9f;
    int rimPoints[8][3] = {};
    int inWindows = 0;
    for (const glm::vec3& p : level->positions) {
        // The octagon side the point faces, its distance out along that side and along it.
        int side = int(std::lround(std::atan2(p.z, p.x) / quarterTurn) + 8) % 8;
        glm::vec2 out(std::cos(side * quarterTurn), std::sin(side * quarterTurn));
        float apothem = glm::dot(glm::vec2(p.x, p.z), out);
        float along = glm::dot(glm::vec2(p.x, p.z), glm::vec2(-out.y, out.x));
        outermost = std::max(outermost, apothem);
        if (std::abs(apothem - float(outerWallApothem)) > tolerance)
            continue;
        wallBottom = std::min(wallBottom, p.y);
        wallTop = std::max(wallTop, p.y);
        for (int w = 0; w < 3; ++w) {
            glm::vec2 centre(float((w - 1) * windowSpacing), float(windowCentreHeight));
            float distance = glm::length(glm::vec2(along, p.y) - centre);
            if (std::abs(distance - float(windowRadius)) <= tolerance)
                ++rimPoints[side][w];
            else if (distance < float(windowRadius))
                ++inWindows;
        }
    }
    EXPECT_NEAR(outermost, outerWallApothem, tolerance);
    EXPECT_NEAR(wallBottom, undersideHeight, tolerance);
    EXPECT_NEAR(wallTop, mirrorHeight, tolerance);
    EXPECT_EQ(inWindows, 0) << "outer face inside a window's radius";
    int windowsWithoutRim = 0; // a rim has 24 points on the outer face
    for (auto& side : rimPoints)
        windowsWithoutRim += int(std::count_if(side, side + 3, [](int points) { return points < 24; }));
    EXPECT_EQ(windowsWithoutRim, 0);
}

TEST(Sphere, IsAClosedSphereOfDiameterOneWithoutSlivers) {
    ObjFile sphere = readStrict(kAssets + "Objects/sphere.obj");
    ASSERT_TRUE(sphere.problems.empty()) << sphere.problems.front();
    EXPECT_GE(sphere.corners.size() / 3, 200u);
    EXPECT_LE(sphere.corners.size() / 3, 1200u);
    MeshFaults f = meshFaults(sphere);
    EXPECT_EQ(f.degenerate, 0);
    EXPECT_EQ(f.notUnitNormal, 0);
    EXPECT_EQ(f.woundAgainstNormal, 0);
    EXPECT_EQ(f.mirroredUv, 0);
    float area = 0.0f;
    for (size_t i = 0; i < sphere.corners.size(); i += 3) {
        const Corner* c = &sphere.corners[i];
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(glm::length(c[k].position), 0.5f, 1e-3f);
        area += 0.5f * glm::length(glm::cross(c[1].position - c[0].position, c[2].position - c[0].position));
    }
    // A closed polyhedron inscribed in a sphere of radius 0.5 falls a little short of pi.
    EXPECT_NEAR(area, 3.14159265f, 0.075f);
}

// Image as loaded by the renderer: RGB floats in [0, 1], row 0 at the bottom.
struct Picture {
    int width = 0, height = 0;
    std::vector<glm::vec3> pixels;
    glm::vec3 at(int x, int y) const {
        return pixels[size_t((y + height) % height) * width + (x + width) % width];
    }
};

Picture loadPicture(const std::string& path) {
    Picture p;
    FIBITMAP* raw = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
    if (!raw)
        return p;
    FIBITMAP* rgb = FreeImage_ConvertTo24Bits(raw);
    p.width = int(FreeImage_GetWidth(rgb));
    p.height = int(FreeImage_GetHeight(rgb));
    for (int y = 0; y < p.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(rgb, y);
        for (int x = 0; x < p.width; ++x)
            p.pixels.push_back(glm::vec3(line[3 * x + FI_RGBA_RED], line[3 * x + FI_RGBA_GREEN],
                                         line[3 * x + FI_RGBA_BLUE]) /
                               255.0f);
    }
    FreeImage_Unload(rgb);
    FreeImage_Unload(raw);
    return p;
}

// Mean difference across the wrap-around seam, against the same between inner neighbours.
void expectSeamless(const Picture& p, const std::string& name) {
    double seamX = 0, innerX = 0, seamY = 0, innerY = 0;
    for (int y = 0; y < p.height; ++y) {
        seamX += glm::length(p.at(0, y) - p.at(p.width - 1, y));
        innerX += glm::length(p.at(p.width / 2, y) - p.at(p.width / 2 - 1, y));
    }
    for (int x = 0; x < p.width; ++x) {
        seamY += glm::length(p.at(x, 0) - p.at(x, p.height - 1));
        innerY += glm::length(p.at(x, p.height / 2) - p.at(x, p.height / 2 - 1));
    }
    EXPECT_LT(seamX, 1.5 * innerX + 1.0) << name << " left/right edges";
    EXPECT_LT(seamY, 1.5 * innerY + 1.0) << name << " top/bottom edges";
}

TEST(BrickMaps, TileAndAgreeWithEachOther) {
    Picture diffuse = loadPicture(kAssets + "Textures/bricks3.png");
    Picture normal = loadPicture(kAssets + "Textures/bricks_normal.png");
    Picture height = loadPicture(kAssets + "Textures/bricks_height.png");
    ASSERT_GT(diffuse.width, 0);
    for (const Picture* p : {&diffuse, &normal, &height}) {
        EXPECT_EQ(p->width, diffuse.width);
        EXPECT_EQ(p->height, diffuse.height);
        EXPECT_EQ(p->width & (p->width - 1), 0) << "power of two";
    }
    expectSeamless(diffuse, "bricks3");
    expectSeamless(normal, "bricks_normal");
    expectSeamless(height, "bricks_height");

    // Normals are unit length and face out of the surface; red follows the height's slope to
    // the right, green its slope towards the top of the image (texture t).
    double agreeS = 0, agreeT = 0;
    int notUnit = 0;
    for (int y = 0; y < normal.height; ++y)
        for (int x = 0; x < normal.width; ++x) {
            glm::vec3 n = normal.at(x, y) * 2.0f - 1.0f;
            if (std::abs(glm::length(n) - 1.0f) > 0.02f || n.z <= 0.0f)
                ++notUnit;
            float slopeS = height.at(x + 1, y).r - height.at(x - 1, y).r;
            float slopeT = height.at(x, y + 1).r - height.at(x, y - 1).r; // row y + 1 is higher up
            agreeS += -n.x * slopeS;
            agreeT += -n.y * slopeT;
        }
    EXPECT_EQ(notUnit, 0);
    EXPECT_GT(agreeS, 0.0);
    EXPECT_GT(agreeT, 0.0);
}

TEST(SkyFaces, AreSquareAndMeetAroundTheHorizon) {
    const char* names[6] = {"right", "left", "top", "bottom", "front", "back"};
    std::vector<Picture> faces;
    for (const char* name : names) {
        faces.push_back(loadPicture(kAssets + "Textures/" + name + ".png"));
        ASSERT_GT(faces.back().width, 0) << name;
        EXPECT_EQ(faces.back().width, faces.back().height) << name;
    }
    // Around the horizon +X -> -Z -> -X -> +Z -> +X: each face's last column continues in the
    // next face's first column, row for row, no less smoothly than neighbouring columns inside.
    const int ring[5] = {0, 5, 1, 4, 0};
    for (int i = 0; i < 4; ++i) {
        const Picture& a = faces[ring[i]];
        const Picture& b = faces[ring[i + 1]];
        double seam = 0, inner = 0;
        for (int y = 0; y < a.height; ++y) {
            seam += glm::length(a.at(a.width - 1, y) - b.at(0, y));
            inner += glm::length(a.at(a.width - 2, y) - a.at(a.width - 1, y));
        }
        EXPECT_LT(seam, 1.5 * inner + 0.5) << names[ring[i]] << " -> " << names[ring[i + 1]];
    }
}

TEST(SphereMaps, ExistUnderTheirExactNames) {
    for (const char* name : {"sphere_diff.jpg", "sphere_normal.jpg", "sphere$_height.jpg"}) {
        Picture p = loadPicture(kAssets + "Textures/" + name);
        EXPECT_GT(p.width, 0) << name;
    }
    Picture normal = loadPicture(kAssets + "Textures/sphere_normal.jpg");
    glm::vec3 n = normal.at(normal.width / 2, normal.height / 2) * 2.0f - 1.0f;
    EXPECT_GT(n.z, 0.98f);
}

} // namespace
