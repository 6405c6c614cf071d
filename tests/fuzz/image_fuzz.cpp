// Fuzz target for the image decoder behind every texture and sky face: whatever the bytes,
// either a full RGBA buffer of the size the header claims or nothing at all with a reason.
// Inputs whose header claims more than 2^16 pixels (256 x 256) are only parsed, never decoded: the product
// decodes up to 2^26 pixels, and decoding that on every input would keep the fuzzer at a crawl
// without reaching any new code.

#include "FuzzSupport.h"

#include "gpu/Image.h"
#include "platform/FuzzerCounters.h"

using namespace vantor;

using fuzz::require;

namespace {

// FreeImage comes uninstrumented, so coverage alone cannot tell the fuzzer that an input reached
// another decoder or decoded where its parent failed. libFuzzer also counts the bytes of this
// section as features; elsewhere it is an ordinary array.
FUZZER_EXTRA_COUNTERS std::uint8_t outcomes[256];

unsigned log2Bucket(unsigned v) {
    unsigned bucket = 0;
    while (v > 1 && bucket < 31) {
        v >>= 1;
        ++bucket;
    }
    return bucket;
}

void noteOutcome(const std::uint8_t* data, std::size_t size, unsigned width, unsigned height) {
    // The first byte tells the formats apart (0x89 PNG, 0xff JPEG, 'B' BMP).
    const unsigned formatSlot = size > 0 ? data[0] & 63u : 0u;
    ++outcomes[formatSlot * 2 + (width > 0 ? 1 : 0)];
    if (width > 0) {
        ++outcomes[128 + log2Bucket(width)];
        ++outcomes[160 + log2Bucket(height)];
    }
}

constexpr std::uint64_t maxFuzzedPixels = 1u << 16;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ImageHeader header;
    const bool known = readImageHeader(data, size, header);
    if (known && std::uint64_t(header.width) * header.height > maxFuzzedPixels)
        return 0;
    unsigned width = 12345, height = 12345;
    std::string why = "unchanged";
    const std::vector<unsigned char> rgba = decodeImageRGBA(data, size, width, height, why);
    noteOutcome(data, size, width, height);
    if (rgba.empty()) {
        require(width == 0 && height == 0, "a failed decode reports 0 x 0");
        require(!why.empty() && why != "unchanged", "a failed decode says why");
        return 0;
    }
    require(why.empty(), "a decoded image has no failure reason");
    require(width > 0 && height > 0, "a decoded image has pixels");
    require(rgba.size() == std::size_t(width) * height * 4, "four bytes per reported pixel");
    require(known && header.width == width && header.height == height, "the header told the decoded size");
    // The buffer is a value-initialised vector, so reading every byte of it cannot reveal an
    // unwritten one; the checks above are the whole contract.
    return 0;
}
