// Night sky cube faces and the light-sphere maps.
//
// The sky is a function of direction only (a gradient by elevation and stars hashed from a
// grid over direction space), so the six faces meet without seams.

#include "AssetGen.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace assetgen {

namespace {

// Direction of the texel at (s, t) in [-1, 1] on cube face `face` (GL's cube-map layout,
// t growing with the texture's row index). The renderer uploads the rows as FreeImage keeps
// them, bottom row first, so on the side faces the zenith lies at the bottom of the image
// as a viewer shows it: the faces look upside down in a viewer and right way up in the demo.
glm::dvec3 cubeDirection(int face, double sc, double tc) {
    switch (face) {
    case 0:
        return {1.0, -tc, -sc};
    case 1:
        return {-1.0, -tc, sc};
    case 2:
        return {sc, 1.0, tc};
    case 3:
        return {sc, -1.0, -tc};
    case 4:
        return {sc, -tc, 1.0};
    default:
        return {-sc, -tc, -1.0};
    }
}

glm::dvec3 skyColour(glm::dvec3 d) {
    d = glm::normalize(d);
    double elevation = d.y;
    glm::dvec3 horizon(0.10, 0.13, 0.24), zenith(0.008, 0.012, 0.05), ground(0.02, 0.02, 0.035);
    glm::dvec3 colour;
    if (elevation >= 0.0) {
        double k = std::pow(elevation, 0.45);
        colour = horizon + (zenith - horizon) * k;
    } else {
        double k = std::min(1.0, -elevation * 6.0);
        colour = horizon + (ground - horizon) * k;
    }

    // Stars: at most one per grid cell, placed and sized by the cell's hash.
    const double cells = 40.0;
    glm::dvec3 g = d * cells;
    glm::ivec3 base(int(std::floor(g.x)), int(std::floor(g.y)), int(std::floor(g.z)));
    double light = 0.0;
    for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                glm::ivec3 c = base + glm::ivec3(dx, dy, dz);
                uint32_t h = hash3(c.x * 7919 + 13, c.y * 104729 + 7, c.z * 1299709 + 3);
                if ((h & 1023u) > 110u)
                    continue;
                glm::dvec3 jitter(hashUnit(c.x, c.y, c.z + 1000), hashUnit(c.x + 1000, c.y, c.z),
                                  hashUnit(c.x, c.y + 1000, c.z));
                glm::dvec3 star = glm::normalize(glm::dvec3(c) + jitter);
                double angle = std::acos(std::clamp(glm::dot(star, d), -1.0, 1.0));
                double magnitude = std::pow(hashUnit(c.z, c.x, c.y + 55), 3.0);
                double radius = 0.0035 + 0.004 * magnitude;
                light += (0.25 + 0.75 * magnitude) * std::exp(-(angle * angle) / (radius * radius));
            }
    double fade = std::clamp(elevation * 8.0 + 0.6, 0.0, 1.0);
    colour += glm::dvec3(0.85, 0.88, 1.0) * std::min(1.0, light) * fade;
    return colour;
}

} // namespace

Image makeSkyFace(int face, int size) {
    Image image(size, size, 3);
    for (int row = 0; row < size; ++row) {
        for (int x = 0; x < size; ++x) {
            double sc = 2.0 * (x + 0.5) / size - 1.0;
            double tc = 2.0 * ((size - 1 - row) + 0.5) / size - 1.0;
            image.setRgb(x, row, skyColour(cubeDirection(face, sc, tc)));
        }
    }
    return image;
}

void makeSphereMaps(Image& diffuse, Image& normal, Image& height) {
    // The spheres are drawn in flat colour; the maps only need to be calm: a soft off-white
    // with faint bands, a flat normal map and a mid-grey height.
    for (int row = 0; row < diffuse.height; ++row) {
        for (int x = 0; x < diffuse.width; ++x) {
            double u = (x + 0.5) / diffuse.width, v = (row + 0.5) / diffuse.height;
            double bands = 0.5 + 0.5 * std::cos(v * 3.14159265358979323846 * 12.0);
            double noise = periodicFbm(u, v, 8, 4, 91);
            double grey = 0.80 + 0.05 * bands + 0.08 * (noise - 0.5);
            diffuse.setRgb(x, row, glm::dvec3(grey, grey * 0.99, grey * 0.97));
        }
    }
    for (int row = 0; row < normal.height; ++row)
        for (int x = 0; x < normal.width; ++x) {
            uint8_t* n = normal.at(x, row);
            n[0] = 128;
            n[1] = 128;
            n[2] = 255;
        }
    std::fill(height.pixels.begin(), height.pixels.end(), uint8_t(128));
}

} // namespace assetgen

} // namespace vantor
