// Fuzz target for the image decoder behind every texture and sky face: whatever the bytes,
// either a full RGBA buffer of the reported size or nothing at all.

#include "FuzzSupport.h"

#include "gpu/Image.h"

#include <FreeImage.h>

using fuzz::require;

namespace {

// FreeImage comes uninstrumented, so coverage alone cannot tell the fuzzer that an input reached
// another decoder or decoded where its parent failed. libFuzzer also counts the bytes of this
// section as features; elsewhere it is an ordinary array.
__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t outcomes[256];

unsigned log2Bucket(unsigned v) {
    unsigned bucket = 0;
    while (v > 1 && bucket < 31) {
        v >>= 1;
        ++bucket;
    }
    return bucket;
}

void noteOutcome(const std::string& path, unsigned width, unsigned height) {
    const int format = FreeImage_GetFileType(path.c_str(), 0); // FIF_UNKNOWN is -1
    const unsigned formatSlot = unsigned(format + 1) & 63;
    ++outcomes[formatSlot * 2 + (width > 0 ? 1 : 0)];
    if (width > 0) {
        ++outcomes[128 + log2Bucket(width)];
        ++outcomes[160 + log2Bucket(height)];
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile input("image");
    unsigned width = 12345, height = 12345;
    const std::string& path = input.write(data, size);
    const std::vector<unsigned char> rgba = loadImageRGBA(path, width, height);
    noteOutcome(path, width, height);
    if (rgba.empty()) {
        require(width == 0 && height == 0, "a failed decode reports 0 x 0");
        return 0;
    }
    require(width > 0 && height > 0, "a decoded image has pixels");
    require(rgba.size() == std::size_t(width) * height * 4, "four bytes per reported pixel");
    // Every byte is read, so a sanitizer sees any part that was never written.
    unsigned sum = 0;
    for (unsigned char byte : rgba)
        sum += byte;
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
