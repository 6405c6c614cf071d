#include "gpu/Image.h"

#include <FreeImage.h>

#include <algorithm>

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

// Only the three formats the assets come in are decoded. FreeImage recognises TGA by a loose
// guess at its header rather than by a signature, so a damaged file of any kind can reach its
// TGA decoder, which crashes on some such headers; nothing here needs the other formats.
bool decodedFormat(FREE_IMAGE_FORMAT format) {
    return format == FIF_PNG || format == FIF_JPEG || format == FIF_BMP;
}

// FreeImage allocates and clears the whole bitmap from the size in the header before it reads
// any pixel, so a header of a few bytes claiming 65535 x 65535 costs tens of gigabytes. No
// texture this program uses comes near these bounds (about 256 MB of RGBA at the most).
constexpr unsigned maxSide = 16384;
constexpr unsigned long long maxPixels = 1ull << 26;

bool sizeAcceptable(unsigned w, unsigned h) {
    return w <= maxSide && h <= maxSide && static_cast<unsigned long long>(w) * h <= maxPixels;
}

// Reads only the header where the format allows it; true when the size is acceptable or
// cannot be known before decoding.
bool headerSizeAcceptable(FREE_IMAGE_FORMAT format, const std::string& path) {
    if (!FreeImage_FIFSupportsNoPixels(format))
        return true;
    FIBITMAP* header = FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS);
    if (!header)
        return false;
    const bool acceptable = sizeAcceptable(FreeImage_GetWidth(header), FreeImage_GetHeight(header));
    FreeImage_Unload(header);
    return acceptable;
}

} // namespace

std::vector<unsigned char> loadImageRGBA(const std::string& path, unsigned& width, unsigned& height) {
    width = 0;
    height = 0;
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (!decodedFormat(format) || !headerSizeAcceptable(format, path))
        return {};
    FIBITMAP* bitmap = FreeImage_Load(format, path.c_str(), 0);
    if (!bitmap)
        return {};
    FIBITMAP* converted = convertTo32Bits(bitmap);
    FreeImage_Unload(bitmap);
    if (!converted)
        return {};

    const unsigned w = FreeImage_GetWidth(converted);
    const unsigned h = FreeImage_GetHeight(converted);
    if (w == 0 || h == 0 || !sizeAcceptable(w, h)) {
        FreeImage_Unload(converted);
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
