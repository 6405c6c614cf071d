#include "platform/Random.h"

#include <cstdlib>

#ifdef __GLIBC__

namespace vantor {

// The C library's own: code that calls std::srand directly (tests do) stays in step with it.
int nextRandom() {
    return std::rand();
}

void seedRandom(unsigned seed) {
    std::srand(seed);
}

} // namespace vantor

#else

#include <cstdint>

namespace vantor {

namespace {

// glibc's default random(): an additive feedback generator over 34 words, r[i] = r[i-31] + r[i-3]
// (mod 2^32), seeded by a multiplicative congruential one, its first 310 outputs discarded;
// each output is the new word shifted right once.
struct GlibcRandom {
    std::uint32_t words[34];
    int next = 0; // the oldest word, which the next output replaces

    explicit GlibcRandom(unsigned seed) {
        std::int32_t word = seed == 0 ? 1 : std::int32_t(seed);
        words[0] = std::uint32_t(word);
        for (int i = 1; i < 31; ++i) {
            // 16807 * word mod (2^31 - 1), without overflow (Schrage's method), as glibc does it.
            const std::int32_t hi = word / 127773, lo = word % 127773;
            word = 16807 * lo - 2836 * hi;
            if (word < 0)
                word += 2147483647;
            words[i] = std::uint32_t(word);
        }
        for (int i = 31; i < 34; ++i)
            words[i] = words[i - 31];
        for (int i = 0; i < 310; ++i)
            draw();
    }

    int draw() {
        const std::uint32_t value = words[(next + 34 - 31) % 34] + words[(next + 34 - 3) % 34];
        words[next] = value;
        next = (next + 1) % 34;
        return int(value >> 1);
    }
};

GlibcRandom generator(1);

} // namespace

int nextRandom() {
    return generator.draw();
}

void seedRandom(unsigned seed) {
    generator = GlibcRandom(seed);
}

} // namespace vantor

#endif
