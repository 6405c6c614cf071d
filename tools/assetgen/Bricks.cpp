// Procedural brick wall: running bond with mortar joints, per-brick colour, fbm surface
// noise, rounded and chipped brick edges. One height field drives all three maps.
//
// Layout per texture repeat: 8 courses of 4 bricks, every other course shifted by half a
// brick, so the image tiles in both directions. Image rows go top to bottom; internally the
// vertical coordinate v runs upwards (v = 0 is the bottom row), the way the renderer's t
// runs after the OBJ reader's negation.
//
// Normal map: tangent space, encoded as n * 0.5 + 0.5. Red follows +s (image right), green
// follows +t (towards the TOP of the image, the "OpenGL" convention), blue is the surface
// normal. On the level's walls the top of the image points up.

#include "AssetGen.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace assetgen {

namespace {

double smoothstep(double e0, double e1, double x) {
    double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

struct BrickLook {
    glm::dvec3 colour;
    double edgeLeft, edgeRight, edgeBottom, edgeTop; // extra mortar per side, pixels
    double tilt;                                     // height change across the brick
    double flash;                                    // darkening towards one end
};

BrickLook brickLook(int course, int column) {
    uint32_t seed = hash3(course, column, 77);
    Rng rng(seed);
    struct Swatch {
        glm::dvec3 colour;
        double weight;
    };
    const Swatch swatches[] = {
        {{0.60, 0.26, 0.18}, 0.33}, // red
        {{0.49, 0.25, 0.17}, 0.24}, // brown
        {{0.70, 0.37, 0.23}, 0.15}, // orange
        {{0.34, 0.16, 0.12}, 0.10}, // dark, over-fired
        {{0.42, 0.21, 0.21}, 0.08}, // burnt purple
        {{0.66, 0.45, 0.32}, 0.10}, // light, sandy
    };
    double pick = rng.uniform();
    glm::dvec3 colour = swatches[0].colour;
    for (const Swatch& s : swatches) {
        colour = s.colour;
        pick -= s.weight;
        if (pick < 0.0)
            break;
    }
    colour *= rng.range(0.86, 1.12);
    colour += glm::dvec3(rng.range(-0.02, 0.02), rng.range(-0.015, 0.015), rng.range(-0.015, 0.015));
    BrickLook look;
    look.colour = colour;
    look.edgeLeft = rng.range(0.0, 1.5);
    look.edgeRight = rng.range(0.0, 1.5);
    look.edgeBottom = rng.range(0.0, 1.2);
    look.edgeTop = rng.range(0.0, 1.2);
    look.tilt = rng.range(-0.05, 0.05);
    look.flash = rng.uniform() < 0.3 ? rng.range(-0.25, 0.25) : 0.0;
    return look;
}

} // namespace

void makeBrickMaps(int size, Image& diffuse, Image& normal, Image& height) {
    const int courses = 8, bricksPerCourse = 4;
    const double courseHeight = double(size) / courses;
    const double brickWidth = double(size) / bricksPerCourse;
    const double px = size / 512.0; // feature sizes below are given for a 512 image
    const double mortar = 4.0 * px; // half joint
    const double rounding = 3.0 * px;

    std::vector<double> field(size_t(size) * size);
    for (int row = 0; row < size; ++row) {
        for (int x = 0; x < size; ++x) {
            double fx = x + 0.5;
            double fv = (size - 1 - row) + 0.5;
            double u = fx / size, v = fv / size;

            int course = int(std::floor(fv / courseHeight));
            double ly = fv - course * courseHeight;
            double shifted = fx + ((course & 1) ? 0.5 * brickWidth : 0.0);
            int column = int(std::floor(shifted / brickWidth));
            double lx = shifted - column * brickWidth;
            BrickLook look = brickLook(course % courses, column % bricksPerCourse);

            // Rounded rectangle of the brick inside its cell; d > 0 inside, in pixels.
            double left = mortar + look.edgeLeft * px, right = brickWidth - mortar - look.edgeRight * px;
            double bottom = mortar + look.edgeBottom * px, top = courseHeight - mortar - look.edgeTop * px;
            glm::dvec2 centre(0.5 * (left + right), 0.5 * (bottom + top));
            glm::dvec2 half(0.5 * (right - left), 0.5 * (top - bottom));
            glm::dvec2 q = glm::abs(glm::dvec2(lx, ly) - centre) - (half - rounding);
            double outside =
                glm::length(glm::max(q, glm::dvec2(0.0))) + std::min(std::max(q.x, q.y), 0.0) - rounding;
            double d = -outside;

            // Chips: strong noise eats into the edges; fine noise roughens every edge.
            double chipNoise = periodicFbm(u, v, 24, 3, 11);
            d -= std::max(0.0, chipNoise - 0.58) * 22.0 * px;
            d += (periodicFbm(u, v, 128, 2, 12) - 0.5) * 2.0 * px;

            double brick = smoothstep(-0.5 * px, 5.0 * px, d);
            double faceNoise = periodicFbm(u, v, 8, 5, 21);
            double grain = periodicFbm(u, v, 128, 2, 22);
            double pits = std::max(0.0, periodicFbm(u, v, 64, 3, 23) - 0.66) * 2.5;
            double across = (lx - centre.x) / brickWidth;
            double brickHeight =
                0.80 + 0.14 * (faceNoise - 0.5) + 0.04 * (grain - 0.5) + look.tilt * across - 0.35 * pits;
            double mortarNoise = periodicFbm(u, v, 32, 4, 31);
            double mortarHeight = 0.22 + 0.10 * (mortarNoise - 0.5) + 0.06 * (grain - 0.5);
            double h = mortarHeight + (brickHeight - mortarHeight) * brick;
            field[size_t(row) * size + x] = h;

            double colourNoise = periodicFbm(u, v, 16, 5, 41);
            double speck = smoothstep(0.72, 0.80, periodicFbm(u, v, 128, 2, 42));
            glm::dvec3 brickColour = look.colour * (1.0 + 0.36 * (colourNoise - 0.5)) *
                                     (1.0 + 2.0 * look.flash * across) *
                                     (0.86 + 0.14 * smoothstep(0.0, 10.0 * px, d)) * (1.0 - 0.30 * speck) *
                                     (1.0 - 0.5 * std::min(1.0, pits));
            glm::dvec3 mortarColour = glm::dvec3(0.60, 0.57, 0.52) * (0.82 + 0.3 * mortarNoise) *
                                      (0.72 + 0.28 * smoothstep(0.0, 4.0 * px, -d));
            double mixBrick = smoothstep(-0.5 * px, 1.5 * px, d);
            diffuse.setRgb(x, row, mortarColour + (brickColour - mortarColour) * mixBrick);
        }
    }

    // Height in level units is about 0.02 for the full range; 512 pixels span 2 units.
    const double strength = 5.0 * px;
    auto h = [&](int x, int row) {
        return field[size_t((row + size) % size) * size + size_t((x + size) % size)];
    };
    for (int row = 0; row < size; ++row) {
        for (int x = 0; x < size; ++x) {
            double dhds = 0.5 * (h(x + 1, row) - h(x - 1, row));
            double dhdt = 0.5 * (h(x, row - 1) - h(x, row + 1)); // row - 1 is further up
            glm::dvec3 n = glm::normalize(glm::dvec3(-strength * dhds, -strength * dhdt, 1.0));
            normal.setRgb(x, row, n * 0.5 + 0.5);
            height.at(x, row)[0] = toByte(h(x, row));
        }
    }
}

} // namespace assetgen

} // namespace vantor
