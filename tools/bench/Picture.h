#pragma once
// The checks that keep a black, flat or broken capture from ever passing as a reference, and
// the comparison of captures with their references.

#include "gpu/PictureFile.h"

#include <string>
#include <vector>

namespace vantor {

struct PictureStats {
    double meanLuma = 0;       // 0-255
    double lumaSpread = 0;     // standard deviation of luma
    double litShare = 0;       // share of pixels with luma above 24
    double colourfulShare = 0; // share of pixels whose channels differ by more than 40
};
PictureStats measurePicture(const Picture& picture);

// Empty when the picture looks like a rendered frame, else why it does not.
std::string pictureProblem(const Picture& picture);

struct PictureDiff {
    double meanDiff = 0; // mean absolute channel difference, 0-255
    int maxDiff = 0;     // largest channel difference
    double badShare = 0; // share of pixels with a channel difference above the threshold
};
// Pictures of different sizes compare as maximally different.
PictureDiff comparePictures(const Picture& a, const Picture& b, int badPixelDiff);

} // namespace vantor
