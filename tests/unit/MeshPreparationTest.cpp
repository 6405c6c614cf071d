#include "SceneTestSupport.h"

#include "scene/CornerIndex.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace vantor;

using scenetest::PlainObject;
using scenetest::testdata;
using vantor::scene::CornerIndex;
using vantor::scene::SceneObject;

namespace {

struct Corners {
    std::vector<glm::vec3> vertices;
    std::vector<glm::vec2> uvs;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec3> tangents;
    std::vector<glm::vec3> bitangents;

    void add(glm::vec3 p, glm::vec2 uv, glm::vec3 n, glm::vec3 t = glm::vec3(1, 0, 0),
             glm::vec3 b = glm::vec3(0, 1, 0)) {
        vertices.push_back(p);
        uvs.push_back(uv);
        normals.push_back(n);
        tangents.push_back(t);
        bitangents.push_back(b);
    }
};

struct Merged {
    std::vector<unsigned int> indices;
    Corners corners;
};

Merged mergeFast(const Corners& in) {
    PlainObject object;
    Merged m;
    object.indexWithTangents(in.vertices, in.uvs, in.normals, in.tangents, in.bitangents, m.indices,
                             m.corners.vertices, m.corners.uvs, m.corners.normals, m.corners.tangents,
                             m.corners.bitangents);
    return m;
}

Merged mergeLinear(const Corners& in) {
    PlainObject object;
    Merged m;
    object.indexWithTangentsLinear(in.vertices, in.uvs, in.normals, in.tangents, in.bitangents, m.indices,
                                   m.corners.vertices, m.corners.uvs, m.corners.normals, m.corners.tangents,
                                   m.corners.bitangents);
    return m;
}

template <typename T> bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// Same indices, same corners, same tangent sums, bit for bit.
void expectSameMerge(const Corners& in) {
    const Merged fast = mergeFast(in);
    const Merged linear = mergeLinear(in);
    ASSERT_EQ(fast.indices.size(), linear.indices.size());
    EXPECT_EQ(fast.indices, linear.indices);
    EXPECT_TRUE(sameBits(fast.corners.vertices, linear.corners.vertices));
    EXPECT_TRUE(sameBits(fast.corners.uvs, linear.corners.uvs));
    EXPECT_TRUE(sameBits(fast.corners.normals, linear.corners.normals));
    EXPECT_TRUE(sameBits(fast.corners.tangents, linear.corners.tangents));
    EXPECT_TRUE(sameBits(fast.corners.bitangents, linear.corners.bitangents));
}

Corners prepareModel(const std::string& path) {
    PlainObject object;
    Corners c;
    EXPECT_TRUE(object.readObj(path, c.vertices, c.uvs, c.normals));
    object.computeTangents(c.vertices, c.uvs, c.normals, c.tangents, c.bitangents);
    return c;
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void expectVec3Near(const glm::vec3& actual, const glm::vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6f);
    EXPECT_NEAR(actual.y, expected.y, 1e-6f);
    EXPECT_NEAR(actual.z, expected.z, 1e-6f);
}

// Values that sit on, just off and across the hash's cell borders (multiples of 0.08)
// and the merge distance, plus values no corner can be near.
std::vector<float> awkwardValues() {
    std::vector<float> values;
    const float deltas[] = {0.0f,
                            0.005f,
                            0.0099f,
                            0.00999999f,
                            std::nextafter(0.01f, 0.0f),
                            0.01f,
                            std::nextafter(0.01f, 1.0f),
                            0.0101f,
                            0.0199f,
                            0.02f};
    for (int k = -3; k <= 3; ++k) {
        for (float base : {k * 0.02f, k * 0.01f, k * 0.08f, std::nextafter(k * 0.08f, -1.0f),
                           std::nextafter(k * 0.08f, 1.0f), 100.0f + k * 0.02f, -1000.5f + k * 0.08f}) {
            for (float d : deltas) {
                values.push_back(base + d);
                values.push_back(base - d);
            }
        }
    }
    for (float special :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity(), FLT_MAX, -FLT_MAX, 1e30f, -1e30f, 3e15f, FLT_MIN, -0.0f})
        values.push_back(special);
    return values;
}

} // namespace

TEST(Tangents, KnownTriangle) {
    PlainObject object;
    const std::vector<glm::vec3> vertices{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const std::vector<glm::vec2> uvs{{0, 0}, {1, 0}, {0, 1}};
    const std::vector<glm::vec3> normals(3, glm::vec3(0, 0, 1));
    std::vector<glm::vec3> tangents, bitangents;
    object.computeTangents(vertices, uvs, normals, tangents, bitangents);
    ASSERT_EQ(tangents.size(), 3u);
    ASSERT_EQ(bitangents.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        expectVec3Near(tangents[i], {1, 0, 0});
        expectVec3Near(bitangents[i], {0, 1, 0});
    }
}

// Zero-area uvs, zero-area triangles, zero and non-finite normals must all leave finite,
// unit tangents across the normal and finite bitangents.
TEST(Tangents, DegenerateInputStaysFinite) {
    PlainObject object;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<glm::vec3> vertices{{0, 0, 0}, {1, 0, 0},   {0, 1, 0},  // equal uvs
                                    {2, 2, 2}, {2, 2, 2},   {2, 2, 2},  // one point
                                    {0, 0, 0}, {1, 0, 0},   {0, 1, 0},  // zero normals
                                    {0, 0, 0}, {nan, 0, 0}, {0, 1, 0},  // broken position
                                    {0, 0, 0}, {1, 0, 0},   {2, 0, 0}}; // collinear
    std::vector<glm::vec2> uvs{{0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0, 0}, {1, 0},
                               {0, 1},       {0, 0},       {1, 0},       {0, 1}, {0, 0},
                               {1, 0},       {0, 1},       {0, 0},       {1, 0}, {0, 1}};
    std::vector<glm::vec3> normals{{0, 0, 1},   {0, 0, 1}, {0, 0, 1}, {0, 1, 0}, {0, 1, 0},
                                   {0, 1, 0},   {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 1},
                                   {nan, 0, 0}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {1e-30f, 0, 0}};
    std::vector<glm::vec3> tangents, bitangents;
    object.computeTangents(vertices, uvs, normals, tangents, bitangents);
    ASSERT_EQ(tangents.size(), vertices.size());
    for (std::size_t i = 0; i < tangents.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(finite(tangents[i]));
        ASSERT_TRUE(finite(bitangents[i]));
        EXPECT_NEAR(glm::length(tangents[i]), 1.0f, 1e-5f);
        if (finite(normals[i]) && glm::length(normals[i]) > 0.5f) {
            EXPECT_NEAR(glm::dot(tangents[i], normals[i]), 0.0f, 1e-5f);
        }
    }
    // The equal-uv triangle gets a right-handed frame around its normal.
    EXPECT_GT(glm::dot(glm::cross(normals[0], tangents[0]), bitangents[0]), 0.0f);
}

// Every uv of this model is the same, so every triangle is degenerate in uv.
TEST(Tangents, ModelWithOneUvGivesFiniteTangents) {
    const Corners in = prepareModel(testdata("obj/WusonOBJ.obj"));
    ASSERT_EQ(in.tangents.size(), 11196u);
    for (std::size_t i = 0; i < in.tangents.size(); ++i) {
        ASSERT_TRUE(finite(in.tangents[i]) && finite(in.bitangents[i])) << i;
        EXPECT_NEAR(glm::dot(in.tangents[i], glm::normalize(in.normals[i])), 0.0f, 1e-4f) << i;
    }
    const Merged m = mergeFast(in);
    // At most one corner per distinct index triple; two positions lie closer than 0.01.
    EXPECT_EQ(m.corners.vertices.size(), 2116u);
    for (std::size_t k = 0; k < m.corners.tangents.size(); ++k)
        ASSERT_TRUE(finite(m.corners.tangents[k]) && finite(m.corners.bitangents[k])) << k;
}

TEST(Merge, CubeWithPerFaceUvsAndNormalsKeeps24Corners) {
    Corners in;
    const glm::vec2 quadUv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {-1.0f, 1.0f}) {
            glm::vec3 n(0.0f);
            n[axis] = side;
            const int u = (axis + 1) % 3;
            const int v = (axis + 2) % 3;
            glm::vec3 quad[4];
            for (int c = 0; c < 4; ++c) {
                quad[c] = n;
                quad[c][u] = (c == 1 || c == 2) ? 1.0f : -1.0f;
                quad[c][v] = (c >= 2) ? 1.0f : -1.0f;
            }
            for (int c : {0, 1, 2, 0, 2, 3})
                in.add(quad[c], quadUv[c], n);
        }
    }
    ASSERT_EQ(in.vertices.size(), 36u);
    PlainObject object;
    in.tangents.clear();
    in.bitangents.clear();
    object.computeTangents(in.vertices, in.uvs, in.normals, in.tangents, in.bitangents);
    const Merged m = mergeFast(in);
    EXPECT_EQ(m.indices.size(), 36u);
    EXPECT_EQ(m.corners.vertices.size(), 24u);
    // The two corners each face's triangles share carry both triangles' tangents.
    EXPECT_NEAR(glm::length(m.corners.tangents[m.indices[0]]), 2.0f, 1e-5f);
    EXPECT_NEAR(glm::length(m.corners.tangents[m.indices[1]]), 1.0f, 1e-5f);
    expectSameMerge(in);
}

TEST(Merge, CloseCornersJoinAndSumTangentsDistantOnesStayApart) {
    const glm::vec3 p(0.3f, -0.2f, 0.1f), n(0, 1, 0);
    const glm::vec2 uv(0.4f, 0.6f);
    {
        Corners in;
        in.add(p, uv, n, {1, 0, 0}, {0, 0, 1});
        in.add(p + 0.009f, uv - 0.009f, n + 0.009f, {0, 2, 0}, {0, 0, 3});
        const Merged m = mergeFast(in);
        EXPECT_EQ(m.indices, (std::vector<unsigned int>{0, 0}));
        ASSERT_EQ(m.corners.vertices.size(), 1u);
        EXPECT_EQ(m.corners.vertices[0], p); // the earliest corner is kept as it was
        EXPECT_EQ(m.corners.tangents[0], glm::vec3(1, 2, 0));
        EXPECT_EQ(m.corners.bitangents[0], glm::vec3(0, 0, 4));
    }
    for (int component = 0; component < 8; ++component) {
        SCOPED_TRACE(component);
        float values[8] = {p.x, p.y, p.z, uv.x, uv.y, n.x, n.y, n.z};
        Corners in;
        in.add(p, uv, n);
        values[component] += 0.02f;
        in.add({values[0], values[1], values[2]}, {values[3], values[4]}, {values[5], values[6], values[7]});
        const Merged m = mergeFast(in);
        EXPECT_EQ(m.indices, (std::vector<unsigned int>{0, 1}));
    }
    {
        // A joins the earliest close corner even when a later one is closer.
        Corners in;
        in.add({0, 0, 0}, uv, n);
        in.add({0.012f, 0, 0}, uv, n);
        in.add({0.009f, 0, 0}, uv, n);
        in.add({0.011f, 0, 0}, uv, n);
        EXPECT_EQ(mergeFast(in).indices, (std::vector<unsigned int>{0, 1, 0, 1}));
    }
}

TEST(Merge, ManyCornersKeepIndicesBeyond16Bits) {
    Corners in;
    for (int i = 0; i < 70000; ++i)
        in.add({static_cast<float>(i % 300) * 0.05f, static_cast<float>(i / 300) * 0.05f, 0.0f}, {0, 0},
               {0, 0, 1});
    in.add({0, 0, 0}, {0, 0}, {0, 0, 1});
    const Merged m = mergeFast(in);
    ASSERT_EQ(m.corners.vertices.size(), 70000u);
    EXPECT_EQ(m.indices[69999], 69999u);
    EXPECT_EQ(m.indices[70000], 0u);
}

TEST(Merge, HashedMergeEqualsLinearScanOnRealModels) {
    for (const char* model :
         {"obj/spider.obj", "obj/WusonOBJ.obj", "obj/usemtl-issue-68.obj", "obj/platform.obj"}) {
        SCOPED_TRACE(model);
        expectSameMerge(prepareModel(testdata(model)));
    }
}

TEST(Merge, HashedMergeEqualsLinearScanOnRandomAndAwkwardInput) {
    std::mt19937 rng(12345);
    {
        SCOPED_TRACE("random corners on a coarse lattice with jitter");
        std::uniform_int_distribution<int> cell(0, 6);
        std::uniform_real_distribution<float> jitter(-0.012f, 0.012f);
        const auto value = [&] { return cell(rng) * 0.015f + jitter(rng); };
        Corners in;
        for (int i = 0; i < 20000; ++i)
            in.add({value(), value(), value()}, {value() * 0.3f, value() * 0.3f},
                   {value() * 0.2f, 1.0f, 0.0f}, {value(), value(), value()}, {value(), value(), value()});
        expectSameMerge(in);
    }
    const std::vector<float> awkward = awkwardValues();
    std::uniform_int_distribution<std::size_t> pick(0, awkward.size() - 1);
    {
        SCOPED_TRACE("awkward positions");
        const float few[] = {0.0f, 0.0099f, 0.0101f, 0.02f};
        std::uniform_int_distribution<int> pickFew(0, 3);
        Corners in;
        for (int i = 0; i < 20000; ++i)
            in.add({awkward[pick(rng)], few[pickFew(rng)], few[pickFew(rng)]}, {few[pickFew(rng)], 0.0f},
                   {0.0f, few[pickFew(rng)], 1.0f}, {awkward[pick(rng)], 1, 0});
        expectSameMerge(in);
    }
    {
        SCOPED_TRACE("awkward values in every component");
        std::uniform_int_distribution<int> which(0, 7);
        Corners in;
        for (int i = 0; i < 20000; ++i) {
            float c[8] = {0.001f, 0.002f, 0.003f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f};
            c[which(rng)] = awkward[pick(rng)];
            c[which(rng)] = awkward[pick(rng)];
            in.add({c[0], c[1], c[2]}, {c[3], c[4]}, {c[5], c[6], c[7]});
        }
        expectSameMerge(in);
    }
}

// The neighbour search must see every pair the scan accepts, on each axis, however the
// pair straddles a cell border; and accept nothing the scan refuses.
TEST(Merge, HashFindsExactlyTheNearPairs) {
    std::vector<float> values = awkwardValues();
    std::mt19937 rng(777);
    std::uniform_real_distribution<float> anywhere(-50.0f, 50.0f);
    std::uniform_real_distribution<float> offset(-0.0102f, 0.0102f);
    std::vector<std::pair<float, float>> pairs;
    for (float a : values)
        for (float b : values)
            pairs.emplace_back(a, b);
    for (int i = 0; i < 100000; ++i) {
        const float a = anywhere(rng);
        pairs.emplace_back(a, a + offset(rng));
        // Walk across the merge distance one float at a time.
        float b = a + 0.01f;
        for (int step = 0; step < 3; ++step, b = std::nextafter(b, 0.0f))
            pairs.emplace_back(a, b);
    }
    for (int axis = 0; axis < 3; ++axis) {
        std::size_t mismatches = 0;
        for (const auto& [a, b] : pairs) {
            std::vector<glm::vec3> vertices(1, glm::vec3(0.25f));
            vertices[0][axis] = a;
            const std::vector<glm::vec2> uvs(1, glm::vec2(0.0f));
            const std::vector<glm::vec3> normals(1, glm::vec3(0.0f));
            CornerIndex index(vertices, uvs, normals);
            index.add(0);
            glm::vec3 query(0.25f);
            query[axis] = b;
            unsigned int found = 99;
            if (index.find(query, glm::vec2(0.0f), glm::vec3(0.0f), found) != SceneObject::isNear(a, b))
                ++mismatches;
        }
        EXPECT_EQ(mismatches, 0u) << "axis " << axis << " of " << pairs.size() << " pairs";
    }
}
