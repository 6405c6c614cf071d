#include "Picture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vantor {

PictureStats measurePicture(const Picture& picture) {
    PictureStats stats;
    const size_t pixels = static_cast<size_t>(picture.width) * picture.height;
    if (pixels == 0)
        return stats;
    double sum = 0, sumSquares = 0;
    size_t lit = 0, colourful = 0;
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned char* p = &picture.rgba[4 * i];
        const double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
        sum += luma;
        sumSquares += luma * luma;
        lit += luma > 24.0;
        colourful += std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 40;
    }
    stats.meanLuma = sum / pixels;
    stats.lumaSpread = std::sqrt(std::max(0.0, sumSquares / pixels - stats.meanLuma * stats.meanLuma));
    stats.litShare = static_cast<double>(lit) / pixels;
    stats.colourfulShare = static_cast<double>(colourful) / pixels;
    return stats;
}

std::string pictureProblem(const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4)
        return "empty picture";
    const PictureStats s = measurePicture(picture);
    if (s.litShare < 0.05)
        return "black: fewer than 5% of the pixels are lit";
    if (s.lumaSpread < 4.0)
        return "flat: no contrast";
    if (s.colourfulShare < 0.001)
        return "grey: no coloured light anywhere";
    return "";
}

PictureDiff comparePictures(const Picture& a, const Picture& b, int badPixelDiff) {
    PictureDiff diff;
    if (a.width != b.width || a.height != b.height || a.rgba.size() != b.rgba.size() || a.rgba.empty()) {
        diff.meanDiff = 255;
        diff.maxDiff = 255;
        diff.badShare = 1;
        return diff;
    }
    const size_t pixels = a.rgba.size() / 4;
    double sum = 0;
    size_t bad = 0;
    for (size_t i = 0; i < pixels; ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(int(a.rgba[4 * i + c]) - int(b.rgba[4 * i + c]));
            sum += d;
            worst = std::max(worst, d);
        }
        diff.maxDiff = std::max(diff.maxDiff, worst);
        bad += worst > badPixelDiff;
    }
    diff.meanDiff = sum / (3.0 * pixels);
    diff.badShare = static_cast<double>(bad) / pixels;
    return diff;
}

} // namespace vantor
