// The level: an octagonal brick hall in level units (the demo draws it at one tenth).
//
// The renderer draws the level twice: as it is, and turned upside down about the height
// 2.5 (a level height y also appears at 5 - y) with its plan mirrored across the line at
// 112.5 degrees. Everything here is symmetric under the mirror lines of a regular octagon
// (multiples of 22.5 degrees), so the second copy lands exactly on the first: the level
// builds the lower half of the hall, never reaches above 2.5, and the copy supplies the
// upper half. Floors become ceilings, pillars stack into full columns whose plinths become
// capitals, bowl-shaped walls become arches, and the central well becomes a lantern above
// the oculus in which the shadow light starts.
//
// Plan, from the axis outwards (octagons are given by their apothem; faces face 0, 45, ...
// degrees, corners lie at 22.5 + 45k degrees):
//   well 3.2 (deep shaft, floor at -6) with a curb to 4.2, 0.8 high
//   platform at height 0 out to 18, with eight low ribs towards the pillars
//   eight pillars at radius 13 on the corner directions, joined by walls with oval openings
//   six steps down to the ambulatory at -3 (apothem 18 to 21)
//   ambulatory with ribs to the outer corners and a bench along the wall
//   outer wall 31.5 to 33 with three round windows per side
// The camera's glide comes in along the 45 degree diagonal through the middle window of
// that side (in the copy) and the middle of an oval opening, so nothing gets closer to it
// than the near plane.

#include "AssetGen.h"
#include "scene/LevelShape.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace assetgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
const glm::dvec3 kUp(0.0, 1.0, 0.0);

double radians(double degrees) {
    return degrees * kPi / 180.0;
}
glm::dvec3 direction(double degrees) {
    return {std::cos(radians(degrees)), 0.0, std::sin(radians(degrees))};
}
const double kCornerRadius = 1.0 / std::cos(radians(22.5)); // corner distance per unit apothem
const double kHalfSide = std::tan(radians(22.5));           // half face width per unit apothem

// Dimensions, level units. The ones the lighting pass needs as well (the outer wall, the roof and
// the windows, and the height the copy mirrors about) live in LevelShape.h.
using levelshape::mirrorHeight;
using levelshape::outerWallApothem;
using levelshape::undersideHeight;
using levelshape::windowCentreHeight;
using levelshape::windowRadius;
using levelshape::windowSpacing;
constexpr double kWellInner = 3.2;
constexpr double kWellOuter = 4.2;
constexpr double kCurbTop = 0.8;
constexpr double kWellFloor = -6.0;
constexpr double kWellBottom = -6.5;
constexpr double kPlatform = 18.0;
constexpr double kStepRise = 0.5;
constexpr double kStepRun = 0.6;
constexpr int kSteps = 6;
constexpr double kAmbulatory = -kStepRise * kSteps; // -3
constexpr double kPillarRadius = 13.0;
constexpr double kPillarApothem = 1.4;
constexpr double kPlinthApothem = 1.8;
constexpr double kPlinthTop = 0.6;
constexpr double kArcadeThickness = 0.7;
constexpr double kOvalHalfHeight = 2.0; // opening from 0.5 to 4.5 once the copy is added
constexpr double kWallInner = 31.5;
constexpr double kBenchFront = 30.8;
constexpr double kBenchTop = kAmbulatory + 0.5;
constexpr double kRibHalfWidth = 0.4;
constexpr double kRibHeight = 0.15;
constexpr double kSink = 0.1; // how far joined parts reach into each other, so no seam can open

// Corner k of an octagon around `centre` (between the faces facing 45k and 45(k+1) degrees).
glm::dvec3 octagonCorner(glm::dvec3 centre, double apothem, int k, double y) {
    glm::dvec3 p = centre + direction(22.5 + 45.0 * k) * (apothem * kCornerRadius);
    p.y = y;
    return p;
}

// Flat octagonal ring between two apothems (a disc when inner is 0), facing up or down.
void octagonRing(MeshBuilder& mesh, glm::dvec3 centre, double inner, double outer, double y, bool facingUp) {
    glm::dvec3 normal = facingUp ? kUp : -kUp;
    for (int k = 0; k < 8; ++k) {
        glm::dvec3 a0 = octagonCorner(centre, outer, k - 1, y);
        glm::dvec3 a1 = octagonCorner(centre, outer, k, y);
        if (inner <= 0.0) {
            glm::dvec3 c(centre.x, y, centre.z);
            mesh.planarPolygon({c, a0, a1}, normal);
        } else {
            mesh.planarPolygon(
                {octagonCorner(centre, inner, k - 1, y), octagonCorner(centre, inner, k, y), a1, a0}, normal);
        }
    }
}

// The eight vertical faces of an octagonal prism, facing away from or towards its axis.
void octagonSides(MeshBuilder& mesh, glm::dvec3 centre, double apothem, double y0, double y1, bool outward) {
    for (int k = 0; k < 8; ++k) {
        glm::dvec3 normal = direction(45.0 * k) * (outward ? 1.0 : -1.0);
        mesh.planarPolygon({octagonCorner(centre, apothem, k - 1, y0), octagonCorner(centre, apothem, k, y0),
                            octagonCorner(centre, apothem, k, y1), octagonCorner(centre, apothem, k - 1, y1)},
                           normal);
    }
}

// A vertical plane: p = origin + s * across + y * up.
struct Face {
    glm::dvec3 origin;
    glm::dvec3 across;
    glm::dvec3 normal;
    glm::dvec3 at(double s, double y) const { return origin + across * s + kUp * y; }
    glm::dvec3 at(glm::dvec2 sy) const { return at(sy.x, sy.y); }
};

// A point of a face outline with its polar angle around the hole's centre.
struct Polar {
    glm::dvec2 sy;
    double angle;
};

// Fills the flat region between an outer outline and a hole outline, both star-shaped
// around the same centre and listed by increasing angle over the same span.
void stitch(MeshBuilder& mesh, const Face& face, const std::vector<Polar>& outer,
            const std::vector<Polar>& hole) {
    size_t i = 0, j = 0;
    auto corner = [&](const Polar& p) { return mesh.planarCorner(face.at(p.sy), face.normal); };
    // Going round by increasing angle, every triangle of a proper stitch turns clockwise in
    // the face's (s, y) plane; one that turns the other way overlaps the hole.
    auto add = [&](const Polar& a, const Polar& b, const Polar& c) {
        glm::dvec2 ab = b.sy - a.sy, ac = c.sy - a.sy;
        if (ab.x * ac.y - ab.y * ac.x > 0.0)
            ++mesh.foldedTriangles;
        mesh.triangle(corner(a), corner(b), corner(c));
    };
    while (i + 1 < outer.size() || j + 1 < hole.size()) {
        bool advanceHole =
            j + 1 < hole.size() && (i + 1 == outer.size() || hole[j + 1].angle <= outer[i + 1].angle);
        if (advanceHole) {
            add(outer[i], hole[j], hole[j + 1]);
            ++j;
        } else {
            add(outer[i], hole[j], outer[i + 1]);
            ++i;
        }
    }
}

// Rectangle outline around a hole centred at c, from angle 0 once round to 2 pi. Besides the
// corners and the edge midpoints it holds the points on the diagonals through c, so that no
// outline point fans more than an eighth of a turn of the hole: from an edge close to the
// hole a wider fan would reach past the part of the hole that point can see.
std::vector<Polar> rectangleAround(glm::dvec2 c, double s0, double s1, double y0, double y1) {
    auto polar = [&](double s, double y) {
        double a = std::atan2(y - c.y, s - c.x);
        return Polar{{s, y}, a < 0.0 ? a + 2.0 * kPi : a};
    };
    // Where the ray from c at `angle` (an odd multiple of 45 degrees) leaves the rectangle.
    auto diagonal = [&](double angle) {
        glm::dvec2 d(std::cos(angle) >= 0.0 ? 1.0 : -1.0, std::sin(angle) >= 0.0 ? 1.0 : -1.0);
        double reach = std::min(d.x > 0.0 ? s1 - c.x : c.x - s0, d.y > 0.0 ? y1 - c.y : c.y - y0);
        return Polar{c + d * reach, angle};
    };
    std::vector<Polar> outline = {
        Polar{{s1, c.y}, 0.0}, polar(s1, y1), Polar{{c.x, y1}, 0.5 * kPi}, polar(s0, y1),
        Polar{{s0, c.y}, kPi}, polar(s0, y0), Polar{{c.x, y0}, 1.5 * kPi}, polar(s1, y0)};
    for (int k = 0; k < 4; ++k) {
        Polar p = diagonal((0.25 + 0.5 * k) * kPi);
        // A diagonal that runs into a corner adds nothing.
        bool corner = std::abs(std::abs(p.sy.x - c.x) - (p.sy.x > c.x ? s1 - c.x : c.x - s0)) < 1e-9 &&
                      std::abs(std::abs(p.sy.y - c.y) - (p.sy.y > c.y ? y1 - c.y : c.y - y0)) < 1e-9;
        if (!corner)
            outline.push_back(p);
    }
    std::sort(outline.begin(), outline.end(),
              [](const Polar& a, const Polar& b) { return a.angle < b.angle; });
    outline.push_back(Polar{{s1, c.y}, 2.0 * kPi});
    return outline;
}

// Band swept by a curve along `axis` from depth d0 to d1 (a window reveal, an arch soffit).
// Texture s runs along the curve, t along the axis, oriented so the frame stays right-handed.
void band(MeshBuilder& mesh, const std::vector<glm::dvec3>& curve, const std::vector<glm::dvec3>& normals,
          glm::dvec3 axis, double d0, double d1) {
    double sign = glm::dot(glm::cross(normals[0], curve[1] - curve[0]), axis) >= 0.0 ? 1.0 : -1.0;
    double arc = 0.0;
    double r = mesh.unitsPerRepeat;
    for (size_t j = 0; j + 1 < curve.size(); ++j) {
        double next = arc + glm::length(curve[j + 1] - curve[j]);
        Corner a{curve[j] + axis * d0, normals[j], {arc / r, sign * d0 / r}};
        Corner b{curve[j + 1] + axis * d0, normals[j + 1], {next / r, sign * d0 / r}};
        Corner c{curve[j + 1] + axis * d1, normals[j + 1], {next / r, sign * d1 / r}};
        Corner d{curve[j] + axis * d1, normals[j], {arc / r, sign * d1 / r}};
        mesh.triangle(a, b, c);
        mesh.triangle(a, c, d);
        arc = next;
    }
}

void buildWell(MeshBuilder& mesh) {
    glm::dvec3 axis(0.0);
    octagonRing(mesh, axis, kWellInner, kWellOuter, kCurbTop, true);
    octagonSides(mesh, axis, kWellOuter, -kSink, kCurbTop, true);
    octagonSides(mesh, axis, kWellInner, kWellFloor - kSink, kCurbTop, false);
    octagonRing(mesh, axis, 0.0, kWellInner + kSink, kWellFloor, true);
    // Outside of the shaft below the floor slab: the lantern on the roof in the copy.
    octagonSides(mesh, axis, kWellOuter, kWellBottom, undersideHeight + kSink, true);
    octagonRing(mesh, axis, 0.0, kWellOuter, kWellBottom, false);
}

void buildFloors(MeshBuilder& mesh) {
    glm::dvec3 axis(0.0);
    octagonRing(mesh, axis, kWellOuter - kSink, kPlatform, 0.0, true);
    for (int i = 0; i < kSteps; ++i) {
        double edge = kPlatform + kStepRun * i;
        double top = -kStepRise * i;
        octagonSides(mesh, axis, edge, top - kStepRise - kSink, top, true);
        double treadOuter =
            i + 1 < kSteps ? edge + kStepRun : kWallInner + 0.5 * (outerWallApothem - kWallInner);
        octagonRing(mesh, axis, edge - kSink, treadOuter, top - kStepRise, true);
    }
    octagonRing(mesh, axis, kWellOuter - kSink, outerWallApothem, undersideHeight, false);
    // Bench along the outer wall; in the copy a cornice under the ambulatory ceiling.
    octagonRing(mesh, axis, kBenchFront, kWallInner + kSink, kBenchTop, true);
    octagonSides(mesh, axis, kBenchFront, kAmbulatory - kSink, kBenchTop, false);
}

// Low radial rib on a floor; both ends are buried in the parts it runs between.
void rib(MeshBuilder& mesh, double azimuth, double r0, double r1, double floorY) {
    glm::dvec3 along = direction(azimuth);
    glm::dvec3 side = direction(azimuth + 90.0);
    double top = floorY + kRibHeight;
    double bottom = floorY - kSink;
    auto p = [&](double r, double w, double y) { return along * r + side * w + kUp * y; };
    mesh.planarPolygon({p(r0, -kRibHalfWidth, top), p(r1, -kRibHalfWidth, top), p(r1, kRibHalfWidth, top),
                        p(r0, kRibHalfWidth, top)},
                       kUp);
    for (double w : {-kRibHalfWidth, kRibHalfWidth}) {
        mesh.planarPolygon({p(r0, w, bottom), p(r1, w, bottom), p(r1, w, top), p(r0, w, top)},
                           side * (w > 0 ? 1.0 : -1.0));
    }
}

void buildRibs(MeshBuilder& mesh) {
    for (int k = 0; k < 8; ++k) {
        double azimuth = 22.5 + 45.0 * k;
        rib(mesh, azimuth, kWellOuter * kCornerRadius - 0.35,
            kPillarRadius - kPlinthApothem * kCornerRadius + 0.6, 0.0);
        double lastStep = kPlatform + kStepRun * (kSteps - 1);
        rib(mesh, azimuth, lastStep * kCornerRadius - 0.4, kWallInner * kCornerRadius + 0.3, kAmbulatory);
    }
}

void buildPillars(MeshBuilder& mesh) {
    for (int k = 0; k < 8; ++k) {
        glm::dvec3 centre = direction(22.5 + 45.0 * k) * kPillarRadius;
        octagonSides(mesh, centre, kPlinthApothem, -kSink, kPlinthTop, true);
        octagonRing(mesh, centre, kPillarApothem, kPlinthApothem, kPlinthTop, true);
        octagonSides(mesh, centre, kPillarApothem, kPlinthTop, mirrorHeight, true);
    }
}

// Wall between two pillars with the lower half of an oval opening; with the copy's upper
// half the opening is a full oval, 0.5 to 4.5 high, an arch springing from the pillars at
// mid-height over a curved parapet.
void buildArcade(MeshBuilder& mesh) {
    const int segments = 24;
    double halfGap = kPillarRadius * std::sin(radians(22.5)) - kPillarApothem;
    double wallEnd = halfGap + 0.3;        // reaches into the pillars
    double ovalHalfWidth = halfGap + 0.05; // springs from the pillar faces
    double chord = kPillarRadius * std::cos(radians(22.5));
    for (int k = 0; k < 8; ++k) {
        double azimuth = 45.0 * k;
        glm::dvec3 out = direction(azimuth);
        glm::dvec3 across = direction(azimuth + 90.0);

        std::vector<Polar> oval;
        std::vector<glm::dvec3> curve, normals;
        for (int j = 0; j <= segments; ++j) {
            double t = kPi + kPi * j / segments;
            glm::dvec2 sy(ovalHalfWidth * std::cos(t), mirrorHeight + kOvalHalfHeight * std::sin(t));
            double angle = j == 0          ? kPi
                           : j == segments ? 2.0 * kPi
                                           : std::atan2(sy.y - mirrorHeight, sy.x) + 2.0 * kPi;
            oval.push_back({sy, angle});
            glm::dvec2 gradient(std::cos(t) / ovalHalfWidth, std::sin(t) / kOvalHalfHeight);
            gradient = glm::normalize(gradient);
            normals.push_back(-(across * gradient.x + kUp * gradient.y)); // into the opening
            curve.push_back(out * chord + across * sy.x + kUp * sy.y);
        }
        auto polar = [&](double s, double y) {
            return Polar{{s, y}, std::atan2(y - mirrorHeight, s) + 2.0 * kPi};
        };
        // The wall ends reach past the oval's sides, so the corners at mid-height see only
        // the top of the oval's flanks: a point halfway down each end takes over the rest.
        double flank = mirrorHeight - 0.5 * kOvalHalfHeight;
        std::vector<Polar> outline = {
            Polar{{-wallEnd, mirrorHeight}, kPi},     polar(-wallEnd, flank), polar(-wallEnd, -kSink),
            Polar{{0.0, -kSink}, 1.5 * kPi},          polar(wallEnd, -kSink), polar(wallEnd, flank),
            Polar{{wallEnd, mirrorHeight}, 2.0 * kPi}};
        for (double side : {-1.0, 1.0}) {
            Face face{out * (chord + side * 0.5 * kArcadeThickness), across, out * side};
            stitch(mesh, face, outline, oval);
        }
        band(mesh, curve, normals, out, -0.5 * kArcadeThickness, 0.5 * kArcadeThickness);
    }
}

// Outer wall: each side a thick slab with three round windows, built from three panels per
// face so that neighbouring panels and sides share every edge vertex.
void buildOuterWall(MeshBuilder& mesh) {
    const int segments = 24;
    const double windows[3] = {-windowSpacing, 0.0, windowSpacing};
    const double y0 = undersideHeight, y1 = mirrorHeight;
    for (int k = 0; k < 8; ++k) {
        glm::dvec3 out = direction(45.0 * k);
        glm::dvec3 across = direction(45.0 * k + 90.0);
        for (int side = 0; side < 2; ++side) {
            double apothem = side == 0 ? kWallInner : outerWallApothem;
            double halfWidth = apothem * kHalfSide;
            Face face{out * apothem, across, out * (side == 0 ? -1.0 : 1.0)};
            for (int w = 0; w < 3; ++w) {
                double s0 = w == 0 ? -halfWidth : 0.5 * (windows[w - 1] + windows[w]);
                double s1 = w == 2 ? halfWidth : 0.5 * (windows[w] + windows[w + 1]);
                glm::dvec2 centre(windows[w], windowCentreHeight);
                std::vector<Polar> hole;
                for (int j = 0; j <= segments; ++j) {
                    double a = 2.0 * kPi * j / segments;
                    hole.push_back({centre + windowRadius * glm::dvec2(std::cos(a), std::sin(a)), a});
                }
                stitch(mesh, face, rectangleAround(centre, s0, s1, y0, y1), hole);
            }
        }
        for (double s : windows) {
            std::vector<glm::dvec3> curve, normals;
            for (int j = 0; j <= segments; ++j) {
                double a = 2.0 * kPi * j / segments;
                glm::dvec2 offset(std::cos(a), std::sin(a));
                curve.push_back(out * kWallInner + across * (s + windowRadius * offset.x) +
                                kUp * (windowCentreHeight + windowRadius * offset.y));
                normals.push_back(-(across * offset.x + kUp * offset.y));
            }
            band(mesh, curve, normals, out, 0.0, outerWallApothem - kWallInner);
        }
    }
}

} // namespace

void buildLevel(MeshBuilder& mesh) {
    buildWell(mesh);
    buildFloors(mesh);
    buildRibs(mesh);
    buildPillars(mesh);
    buildArcade(mesh);
    buildOuterWall(mesh);
}

} // namespace assetgen

} // namespace vantor
