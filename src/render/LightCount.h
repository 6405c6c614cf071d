#pragma once
// How many coloured lights the scene can have, and how each looks at a given count. The first
// fifty are the scene as it was designed (reach 0.5, beads of radius 0.025); with more, every
// light's reach and body shrink across the floor plan, so the hall keeps about as many lights
// on each lit point as with fifty, instead of filling up with white. No GL: the tests and the
// bench read this too.

namespace vantor {

namespace lightcount {

// Lights the renderer can hold: the lighting program's light block, the per-box counts and the
// per-instance body buffers are all sized for this.
constexpr int maxLightCount = 1000;
// The count the scene was designed at; up to here every light keeps its designed look.
constexpr int designedLightCount = 50;
// Bodies past this many are drawn with the coarse sphere (a few pixels across at most).
constexpr int fullSphereBodies = designedLightCount;
// The designed reach: a light fades to exactly zero this far away.
constexpr float designedReach = 0.5f;

// What every light looks like when `count` lights are on.
struct LightLook {
    // How far the light reaches across the floor plan (x, z) and up and down (y): its light
    // fades to exactly zero on the ellipsoid with these radii.
    float reach = designedReach;
    float heightReach = designedReach;
    float bodyScale = 1.0f; // the bead's size, relative to the designed one
    // How far each light's colour is pushed away from grey (the random colours are often pale,
    // and the pools should read as colour).
    float colorPush = 1.4f;
    // How the lighting pass's grid boxes the lights in: cell side across and slabs up the
    // height range. Binning costs the boxes each light touches, count x slabs x (reach / cell
    // + 1)² or so; the pass costs the lights each box lists beyond those that reach its pixels,
    // which grow with the box's size against the reach.
    float cellSize = designedReach / 8.0f;
    int slabs = 16;
};

// Up to `designedLightCount` lights (and for a count below 0): the designed look, bit for bit.
// Beyond, with n = designedLightCount / count: the lights all hover in one layer, half-way
// between the platform and the ceiling, so more of them crowd only the floor plan, not the
// height. The reach across shrinks as sqrt(n) and the reach up and down stays: a point at any
// height then lies within the reach of count x (area of the ellipsoid's cut at that height)
// lights, the same number as with fifty. The lighting pass shades them in a space stretched
// across by 1 / sqrt(n), where each light and its pool are the designed ones: a pool on the floor
// under a light is as bright as with fifty, only narrower. The bodies shrink as n^(1/4): a thousand beads at
// a fifth of the designed size would be a pixel or two across at the far side of the hall. Their colours are
// pushed further from grey (2.2 instead of 1.4): small pools that overlap still read as
// coloured. The grid keeps the boxes all lights touch together about where
// fifty put them (each light touches fewer, in fewer and wider boxes against its reach: slabs
// as 16 sqrt(n), cells per reach as 9 n^(1/4) - 1), so binning costs about the same at any
// count, and boxes still list about twice the lights that reach their pixels at a thousand.
LightLook lightLook(int count);

} // namespace lightcount

} // namespace vantor
