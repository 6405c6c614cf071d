// Times the hashed corner merge against the literal linear scan on a generated mesh of about
// 200,000 corners (a terrain whose corners are shared between neighbouring triangles, plus a
// sphere placed several times: exact copies, copies nudged by less than the merge distance,
// and copies elsewhere) and checks that both give the same indexed mesh, bit for bit.
//
// Usage: mergebench [--corners N] [--literal-limit N]
//   --literal-limit N runs the scan on the first N corners only (both merges then compare on
//   those) and extrapolates its time to the whole mesh quadratically.
// Exit status 0 when the outputs are identical and the speed-up is at least 100.

#include "scene/SceneObject.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace vantor;

namespace {

using vantor::scene::SceneObject;

class BenchObject : public SceneObject {
public:
    BenchObject() : SceneObject(glm::mat4(1.0f)) {}
    void update() override {}
    void draw() override {}
};

struct Corners {
    std::vector<glm::vec3> vertices, normals, tangents, bitangents;
    std::vector<glm::vec2> uvs;

    void add(const glm::vec3& p, const glm::vec2& uv, const glm::vec3& n) {
        vertices.push_back(p);
        uvs.push_back(uv);
        normals.push_back(n);
    }
    void truncate(std::size_t count) {
        vertices.resize(count);
        uvs.resize(count);
        normals.resize(count);
    }
    std::size_t size() const { return vertices.size(); }
};

struct Merged {
    std::vector<unsigned int> indices;
    std::vector<glm::vec3> vertices, normals, tangents, bitangents;
    std::vector<glm::vec2> uvs;
};

// Rolling hills, 0.05 between grid lines, every grid point shared by up to six triangles.
void addTerrain(Corners& c, int quads) {
    const float step = 0.05f;
    const auto height = [](float x, float z) { return 0.3f * std::sin(x * 1.7f) * std::cos(z * 1.3f); };
    const auto corner = [&](int i, int j) {
        const float x = static_cast<float>(i) * step, z = static_cast<float>(j) * step;
        const float dx = 0.3f * 1.7f * std::cos(x * 1.7f) * std::cos(z * 1.3f);
        const float dz = -0.3f * 1.3f * std::sin(x * 1.7f) * std::sin(z * 1.3f);
        c.add({x, height(x, z), z}, {x * 0.5f, z * 0.5f}, glm::normalize(glm::vec3(-dx, 1.0f, -dz)));
    };
    for (int i = 0; i < quads; ++i) {
        for (int j = 0; j < quads; ++j) {
            corner(i, j);
            corner(i + 1, j);
            corner(i + 1, j + 1);
            corner(i, j);
            corner(i + 1, j + 1);
            corner(i, j + 1);
        }
    }
}

// A UV sphere of radius 0.5 around `centre`.
void addSphere(Corners& c, const glm::vec3& centre, int stacks, int slices) {
    const float pi = 3.14159265f;
    const auto corner = [&](int s, int l) {
        const float theta = pi * static_cast<float>(s) / static_cast<float>(stacks);
        const float phi = 2.0f * pi * static_cast<float>(l) / static_cast<float>(slices);
        const glm::vec3 n(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
        c.add(centre + 0.5f * n, {static_cast<float>(l) / slices, static_cast<float>(s) / stacks}, n);
    };
    for (int s = 0; s < stacks; ++s) {
        for (int l = 0; l < slices; ++l) {
            corner(s, l);
            corner(s + 1, l);
            corner(s + 1, l + 1);
            corner(s, l);
            corner(s + 1, l + 1);
            corner(s, l + 1);
        }
    }
}

template <typename T> bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

bool identical(const Merged& a, const Merged& b) {
    return a.indices == b.indices && sameBits(a.vertices, b.vertices) && sameBits(a.uvs, b.uvs) &&
           sameBits(a.normals, b.normals) && sameBits(a.tangents, b.tangents) &&
           sameBits(a.bitangents, b.bitangents);
}

template <typename Merge> double timed(Merge merge) {
    const auto start = std::chrono::steady_clock::now();
    merge();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The first `count` corners, ready to merge.
Corners firstCorners(const Corners& c, std::size_t count) {
    Corners f;
    f.vertices.assign(c.vertices.begin(), c.vertices.begin() + count);
    f.uvs.assign(c.uvs.begin(), c.uvs.begin() + count);
    f.normals.assign(c.normals.begin(), c.normals.begin() + count);
    f.tangents.assign(c.tangents.begin(), c.tangents.begin() + count);
    f.bitangents.assign(c.bitangents.begin(), c.bitangents.begin() + count);
    return f;
}

// Merged by the hashed index, or by the linear scan; the time covers the merge alone.
Merged merge(BenchObject& object, const Corners& c, bool linear, double& seconds) {
    Merged m;
    seconds = timed([&] {
        if (linear)
            object.indexWithTangentsLinear(c.vertices, c.uvs, c.normals, c.tangents, c.bitangents, m.indices,
                                           m.vertices, m.uvs, m.normals, m.tangents, m.bitangents);
        else
            object.indexWithTangents(c.vertices, c.uvs, c.normals, c.tangents, c.bitangents, m.indices,
                                     m.vertices, m.uvs, m.normals, m.tangents, m.bitangents);
    });
    return m;
}

// The number after the option at argv[i], into `number`; false when the option ends the line.
bool numberAfter(int& i, int argc, char** argv, std::size_t& number) {
    if (i + 1 >= argc) {
        std::printf("missing number after %s\n", argv[i]);
        return false;
    }
    number = static_cast<std::size_t>(std::strtoull(argv[++i], nullptr, 10));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t target = 200000;
    std::size_t literalLimit = 0; // 0: the whole mesh
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--corners" || arg == "--literal-limit") {
            if (!numberAfter(i, argc, argv, arg == "--corners" ? target : literalLimit))
                return 2;
        } else {
            std::printf("usage: mergebench [--corners N] [--literal-limit N]\n");
            return 2;
        }
    }

    Corners c;
    addTerrain(c, static_cast<int>(std::sqrt(static_cast<double>(target) * 0.675 / 6.0)));
    const glm::vec3 placements[] = {{2, 1, 2},       {2, 1, 2},      {2.004f, 1.003f, 2}, {4, 1, 2},
                                    {4, 1.0099f, 2}, {2, 1, 4},      {2, 1.0101f, 4},     {4, 1, 4},
                                    {6, 1, 2},       {6, 1.005f, 2}, {6, 1, 4},           {2, 1, 6}};
    for (std::size_t k = 0; c.size() < target; ++k)
        addSphere(
            c, placements[k % (sizeof placements / sizeof placements[0])] + glm::vec3(0, 0, 8.0f * (k / 12)),
            32, 64);
    c.truncate(target / 3 * 3 + (target % 3 ? 3 : 0));

    BenchObject object;
    object.computeTangents(c.vertices, c.uvs, c.normals, c.tangents, c.bitangents);
    const std::size_t total = c.size();
    const std::size_t compared = literalLimit ? std::min(literalLimit / 3 * 3, total) : total;

    const Corners part = firstCorners(c, compared);
    Merged fastAll, fastCompared, linear;
    double fastSeconds = 1e30;
    for (int run = 0; run < 3; ++run) {
        double seconds = 0.0;
        fastAll = merge(object, c, false, seconds);
        fastSeconds = std::min(fastSeconds, seconds);
    }
    double fastComparedSeconds = fastSeconds;
    fastCompared = compared == total ? fastAll : merge(object, part, false, fastComparedSeconds);
    std::printf("mesh: %zu corners -> %zu merged corners (hashed merge)\n", total, fastAll.vertices.size());
    std::printf("literal scan on %zu corners ...\n", compared);
    std::fflush(stdout);
    double linearSeconds = 0.0;
    linear = merge(object, part, true, linearSeconds);

    const bool same = identical(fastCompared, linear);
    const double scale = static_cast<double>(total) / static_cast<double>(compared);
    const double linearAllSeconds = linearSeconds * scale * scale;
    std::printf("hashed merge:  %zu corners in %.4f s (best of 3)\n", total, fastSeconds);
    if (compared == total) {
        std::printf("literal scan:  %zu corners in %.3f s\n", compared, linearSeconds);
    } else {
        std::printf("literal scan:  %zu corners in %.3f s (hashed on the same: %.4f s)\n", compared,
                    linearSeconds, fastComparedSeconds);
        std::printf("literal scan:  %zu corners extrapolated quadratically: %.1f s\n", total,
                    linearAllSeconds);
    }
    const double speedUp = linearAllSeconds / fastSeconds;
    std::printf("identical output on %zu corners: %s\n", compared, same ? "yes" : "NO");
    std::printf("speed-up: %.0fx%s\n", speedUp, compared == total ? "" : " (extrapolated)");
    return same && speedUp >= 100.0 ? 0 : 1;
}
