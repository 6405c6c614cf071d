// Writing 8-bit images with FreeImage. FreeImage keeps rows bottom-up and pixels in its own
// channel order; both are handled here so the generators can think in viewer order.

#include "AssetGen.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>

namespace vantor {

namespace assetgen {

uint8_t toByte(double value) {
    double scaled = std::round(std::clamp(value, 0.0, 1.0) * 255.0);
    return uint8_t(scaled);
}

void Image::setRgb(int x, int row, glm::dvec3 rgb) {
    uint8_t* p = at(x, row);
    p[0] = toByte(rgb.r);
    p[1] = toByte(rgb.g);
    p[2] = toByte(rgb.b);
}

namespace {

FIBITMAP* toFreeImage(const Image& image) {
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, image.channels * 8);
    if (!bitmap)
        return nullptr;
    if (image.channels == 1) {
        RGBQUAD* palette = FreeImage_GetPalette(bitmap);
        for (int i = 0; i < 256; ++i) {
            palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = BYTE(i);
            palette[i].rgbReserved = 0;
        }
    }
    for (int row = 0; row < image.height; ++row) {
        BYTE* line = FreeImage_GetScanLine(bitmap, image.height - 1 - row);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, row);
            if (image.channels == 1) {
                line[x] = p[0];
            } else {
                line[x * 3 + FI_RGBA_RED] = p[0];
                line[x * 3 + FI_RGBA_GREEN] = p[1];
                line[x * 3 + FI_RGBA_BLUE] = p[2];
            }
        }
    }
    return bitmap;
}

bool save(const Image& image, const std::string& path, FREE_IMAGE_FORMAT format, int flags) {
    FIBITMAP* bitmap = toFreeImage(image);
    if (!bitmap)
        return false;
    bool ok = FreeImage_Save(format, bitmap, path.c_str(), flags) != 0;
    FreeImage_Unload(bitmap);
    return ok;
}

} // namespace

bool savePng(const Image& image, const std::string& path) {
    return save(image, path, FIF_PNG, PNG_Z_BEST_COMPRESSION);
}

bool saveJpeg(const Image& image, const std::string& path) {
    return save(image, path, FIF_JPEG, JPEG_QUALITYSUPERB);
}

} // namespace assetgen

} // namespace vantor
