// Seeded random numbers and tileable value noise for the procedural textures.

#include "AssetGen.h"

#include <cmath>

namespace vantor {

namespace assetgen {

uint64_t Rng::next() {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform() {
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::range(double lo, double hi) {
    return lo + (hi - lo) * uniform();
}

uint32_t hash3(int32_t x, int32_t y, int32_t z) {
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ uint32_t(z) * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double hashUnit(int32_t x, int32_t y, int32_t z) {
    return double(hash3(x, y, z)) / 4294967296.0;
}

namespace {

int wrap(int i, int period) {
    int m = i % period;
    return m < 0 ? m + period : m;
}

double smooth(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

} // namespace

double periodicNoise(double x, double y, int period, uint32_t seed) {
    double fx = std::floor(x);
    double fy = std::floor(y);
    int ix = int(fx);
    int iy = int(fy);
    double tx = smooth(x - fx);
    double ty = smooth(y - fy);
    auto lattice = [&](int cx, int cy) {
        return hashUnit(wrap(cx, period), wrap(cy, period), int32_t(seed));
    };
    double a = lattice(ix, iy), b = lattice(ix + 1, iy);
    double c = lattice(ix, iy + 1), d = lattice(ix + 1, iy + 1);
    double top = a + (b - a) * tx;
    double bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double periodicFbm(double u, double v, int baseCells, int octaves, uint32_t seed) {
    double sum = 0.0;
    double weight = 0.0;
    double amplitude = 1.0;
    int cells = baseCells;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * periodicNoise(u * cells, v * cells, cells, seed + uint32_t(o) * 101u);
        weight += amplitude;
        amplitude *= 0.5;
        cells *= 2;
    }
    return sum / weight;
}

} // namespace assetgen

} // namespace vantor
