#include "gpu/Image.h"

#include "gpu/AssetFile.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vantor {

namespace {

// FreeImage's 32-bit conversion only accepts 8-bit-per-channel pictures and the 16-bit RGB(A)
// types. A 16-bit greyscale PNG (a typical height map) keeps its high byte; any other sample
// type is scaled linearly into 0..255 first.
FIBITMAP* convertTo32Bits(FIBITMAP* bitmap) {
    switch (FreeImage_GetImageType(bitmap)) {
    case FIT_BITMAP:
    case FIT_RGB16:
    case FIT_RGBA16:
        return FreeImage_ConvertTo32Bits(bitmap);
    case FIT_UINT16: {
        FIBITMAP* grey = FreeImage_ConvertTo8Bits(bitmap);
        FIBITMAP* converted = grey ? FreeImage_ConvertTo32Bits(grey) : nullptr;
        FreeImage_Unload(grey);
        return converted;
    }
    default: {
        FIBITMAP* standard = FreeImage_ConvertToStandardType(bitmap, TRUE);
        FIBITMAP* converted = standard ? FreeImage_ConvertTo32Bits(standard) : nullptr;
        FreeImage_Unload(standard);
        return converted;
    }
    }
}

// The fourth byte of a 32-bit BMP is usually unused padding left at 0. An alpha channel that
// is zero everywhere in a BMP therefore means "no alpha", and the picture is opaque.
bool hasUnusedBmpAlpha(FREE_IMAGE_FORMAT format, const std::vector<unsigned char>& rgba) {
    if (format != FIF_BMP)
        return false;
    for (size_t p = 3; p < rgba.size(); p += 4) {
        if (rgba[p] != 0)
            return false;
    }
    return true;
}

// Only the three formats the assets come in are decoded, recognised by their signatures here
// rather than by FreeImage's detection: that one asks every plugin in turn (the camera-raw one
// allocates and clears a large decoder on every call) and recognises TGA by a loose guess at its
// header, so a damaged file of any kind could reach the TGA decoder, which crashes on some such
// headers.
FREE_IMAGE_FORMAT decodedFormat(const unsigned char* data, std::size_t size) {
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size >= 8 && std::memcmp(data, png, 8) == 0)
        return FIF_PNG;
    if (size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff)
        return FIF_JPEG;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return FIF_BMP;
    return FIF_UNKNOWN;
}

// No texture this program uses comes near these bounds (about 256 MB of RGBA at the most).
constexpr unsigned maxSide = 16384;
constexpr unsigned long long maxPixels = 1ull << 26;

bool sizeAcceptable(unsigned w, unsigned h) {
    return w <= maxSide && h <= maxSide && static_cast<unsigned long long>(w) * h <= maxPixels;
}

// A compressed picture may claim a bitmap this large from any file size.
constexpr std::uint64_t freeBitmapBytes = 16ull << 20;
// Deflate's best case: 258 bytes from two bits.
constexpr std::uint64_t densestRatio = 1032;

std::uint32_t be32(const unsigned char* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
unsigned be16(const unsigned char* p) {
    return unsigned(p[0]) << 8 | p[1];
}
std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}
unsigned le16(const unsigned char* p) {
    return unsigned(p[1]) << 8 | p[0];
}

// Products and sums of claimed sizes saturate: a header may claim 2^31 x 2^31 at 64 bits.
std::uint64_t times(std::uint64_t a, std::uint64_t b) {
    return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}
std::uint64_t plus(std::uint64_t a, std::uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::uint64_t rowBytes(std::uint64_t width, unsigned bitsPerPixel) {
    return (width * bitsPerPixel + 7) / 8;
}

bool readPngHeader(const unsigned char* d, std::size_t size, ImageHeader& header) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size < 33 || std::memcmp(d, signature, 8) != 0 || std::memcmp(d + 12, "IHDR", 4) != 0)
        return false;
    const std::uint32_t w = be32(d + 16);
    const std::uint32_t h = be32(d + 20);
    const unsigned depth = d[24];
    unsigned channels = 0;
    switch (d[25]) {
    case 0:
        channels = 1;
        break;
    case 2:
        channels = 3;
        break;
    case 3:
        channels = 1;
        break;
    case 4:
        channels = 2;
        break;
    case 6:
        channels = 4;
        break;
    default:
        return false;
    }
    if (w > 0x7fffffffu || h > 0x7fffffffu ||
        (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16))
        return false;
    header.width = w;
    header.height = h;
    const std::uint64_t row = rowBytes(w, depth * channels);
    header.bitmapBytes = times(row, h);
    // Each row of the compressed stream starts with its filter byte.
    header.leastFileBytes = times(row + 1, h) / densestRatio;
    return true;
}

bool readBmpHeader(const unsigned char* d, std::size_t size, ImageHeader& header) {
    if (size < 26 || d[0] != 'B' || d[1] != 'M')
        return false;
    const std::uint32_t pixelOffset = le32(d + 10);
    const std::uint32_t infoSize = le32(d + 14);
    std::int64_t w = 0, h = 0;
    unsigned bits = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) { // OS/2 1.x
        w = le16(d + 18);
        h = le16(d + 20);
        bits = le16(d + 24);
    } else if (infoSize >= 40 && size >= 34) {
        w = std::int32_t(le32(d + 18));
        h = std::int32_t(le32(d + 22));
        bits = le16(d + 28);
        compression = le32(d + 30);
    } else {
        return false;
    }
    if (h < 0) // rows stored top-down
        h = -h;
    if (w < 0 || w > 0x7fffffff || h > 0x7fffffff || bits == 0 || bits > 32)
        return false;
    header.width = unsigned(w);
    header.height = unsigned(h);
    header.bitmapBytes = times(rowBytes(std::uint64_t(w), bits), std::uint64_t(h));
    // BI_RGB and BI_BITFIELDS store every row, padded to four bytes; the last may lack its padding.
    if ((compression == 0 || compression == 3) && h > 0) {
        const std::uint64_t stride = (std::uint64_t(w) * bits + 31) / 32 * 4;
        const std::uint64_t start = std::max<std::uint64_t>(pixelOffset, 14ull + infoSize);
        header.leastFileBytes =
            plus(plus(start, times(stride, std::uint64_t(h - 1))), rowBytes(std::uint64_t(w), bits));
    } else if (header.bitmapBytes > freeBitmapBytes) {
        header.leastFileBytes = header.bitmapBytes / densestRatio;
    }
    return true;
}

bool readJpegHeader(const unsigned char* d, std::size_t size, ImageHeader& header) {
    if (size < 4 || d[0] != 0xff || d[1] != 0xd8)
        return false;
    std::size_t i = 2;
    for (;;) {
        if (i >= size || d[i] != 0xff)
            return false;
        while (i < size && d[i] == 0xff)
            ++i;
        if (i >= size)
            return false;
        const unsigned marker = d[i++];
        if (marker == 0x01 || marker == 0xd8 || (marker >= 0xd0 && marker <= 0xd7))
            continue; // markers without a length
        if (marker == 0xd9 || marker == 0xda || i + 2 > size)
            return false; // image end or scan data before any frame header
        const unsigned length = be16(d + i);
        if (length < 2)
            return false;
        const bool frame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frame) {
            if (length < 8 || i + 8 > size)
                return false;
            header.height = be16(d + i + 3);
            header.width = be16(d + i + 5);
            const unsigned components = d[i + 7];
            header.bitmapBytes = std::uint64_t(header.width) * header.height * std::max(1u, components);
            if (header.bitmapBytes > freeBitmapBytes)
                header.leastFileBytes = header.bitmapBytes / densestRatio;
            return true;
        }
        i += length;
    }
}

bool refuse(std::string& why, std::string reason) {
    why = std::move(reason);
    return false;
}

// Everything that can be judged before the decoder allocates: the format, the header, the size
// against the caps and against the file size.
bool acceptableBeforeDecoding(FREE_IMAGE_FORMAT format, const unsigned char* data, std::size_t size,
                              std::string& why) {
    if (size == 0)
        return refuse(why, "empty file");
    if (format == FIF_UNKNOWN)
        return refuse(why, "not a PNG, JPEG or BMP picture");
    ImageHeader header;
    const bool read = format == FIF_PNG   ? readPngHeader(data, size, header)
                      : format == FIF_BMP ? readBmpHeader(data, size, header)
                                          : readJpegHeader(data, size, header);
    if (!read)
        return refuse(why, "damaged header");
    const std::string claimed = std::to_string(header.width) + " x " + std::to_string(header.height);
    if (header.width == 0 || header.height == 0)
        return refuse(why, "header claims an empty picture (" + claimed + ")");
    if (!sizeAcceptable(header.width, header.height))
        return refuse(why, "picture of " + claimed + " is larger than 16384 a side or 2^26 pixels");
    if (size < header.leastFileBytes)
        return refuse(why,
                      "file of " + std::to_string(size) + " bytes is too short for " + claimed + " pixels");
    return true;
}

} // namespace

bool readImageHeader(const unsigned char* data, std::size_t size, ImageHeader& header) {
    header = ImageHeader{};
    return readPngHeader(data, size, header) || readBmpHeader(data, size, header) ||
           readJpegHeader(data, size, header);
}

std::vector<unsigned char> decodeImageRGBA(const unsigned char* data, std::size_t size, unsigned& width,
                                           unsigned& height, std::string& why) {
    width = 0;
    height = 0;
    why.clear();
    // FreeImage only reads through the memory handle, but its signature wants a writable pointer.
    FIMEMORY* memory = FreeImage_OpenMemory(const_cast<unsigned char*>(data),
                                            static_cast<DWORD>(std::min<std::size_t>(size, 0xffffffffu)));
    if (!memory) {
        why = "out of memory";
        return {};
    }
    const FREE_IMAGE_FORMAT format = decodedFormat(data, size);
    if (!acceptableBeforeDecoding(format, data, size, why)) {
        FreeImage_CloseMemory(memory);
        return {};
    }
    FIBITMAP* bitmap = FreeImage_LoadFromMemory(format, memory, 0);
    FreeImage_CloseMemory(memory);
    if (!bitmap) {
        why = "the decoder cannot read it (damaged or unsupported variant)";
        return {};
    }
    FIBITMAP* converted = convertTo32Bits(bitmap);
    FreeImage_Unload(bitmap);
    if (!converted) {
        why = "its pixel type cannot be converted to RGBA";
        return {};
    }

    const unsigned w = FreeImage_GetWidth(converted);
    const unsigned h = FreeImage_GetHeight(converted);
    if (w == 0 || h == 0 || !sizeAcceptable(w, h)) {
        FreeImage_Unload(converted);
        why = "decoded to an unusable size";
        return {};
    }
    std::vector<unsigned char> rgba(size_t(w) * h * 4);
    // FreeImage keeps rows bottom-up, which is GL's order for t, so rows are copied as they are.
    // Each pixel lies in memory as blue, green, red, alpha.
    for (unsigned y = 0; y < h; ++y) {
        const BYTE* source = FreeImage_GetScanLine(converted, int(y));
        unsigned char* out = rgba.data() + size_t(y) * w * 4;
        for (unsigned x = 0; x < w; ++x) {
            const BYTE* pixel = source + size_t(x) * 4;
            out[4 * x + 0] = pixel[FI_RGBA_RED];
            out[4 * x + 1] = pixel[FI_RGBA_GREEN];
            out[4 * x + 2] = pixel[FI_RGBA_BLUE];
            out[4 * x + 3] = pixel[FI_RGBA_ALPHA];
        }
    }
    FreeImage_Unload(converted);

    if (hasUnusedBmpAlpha(format, rgba)) {
        for (size_t p = 3; p < rgba.size(); p += 4)
            rgba[p] = 255;
    }
    width = w;
    height = h;
    return rgba;
}

std::vector<unsigned char> loadImageRGBA(const std::string& path, unsigned& width, unsigned& height) {
    width = 0;
    height = 0;
    std::string bytes;
    std::string why;
    std::vector<unsigned char> rgba;
    if (!readAssetFile(path, assetlimits::imageBytes, bytes))
        why = "cannot open the file";
    else
        rgba = decodeImageRGBA(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), width,
                               height, why);
    if (rgba.empty())
        std::fprintf(stderr, "Image not loaded: %s: %s\n", path.c_str(), why.c_str());
    return rgba;
}

} // namespace vantor
