#pragma once
// The hall's proportions that reach beyond the asset generator. The lighting pass finds the
// building's outside (facade, roof, the glow round the windows) from a pixel's position alone,
// so it must know where the generator put the outer wall, the roof and the windows: both read
// them here, and a level regenerated with other proportions stays lit right. No GL: the
// generator and the unit tests include this too.
//
// Lengths are in level units, as the generator builds the mesh; the renderer draws the level
// and its upside-down copy at one tenth of that size.

namespace vantor {

namespace levelshape {

// World units are level units divided by this.
constexpr double levelUnitsPerWorldUnit = 10.0;

// The generator builds the level only up to this height; the renderer's upside-down copy
// supplies the rest, so a level height y appears a second time at 2 * mirrorHeight - y.
constexpr double mirrorHeight = 2.5;
// Bottom face of the floor slab under the ambulatory: the roof, in the copy.
constexpr double undersideHeight = -4.0;
// Apothem of the outer wall's outside face (its faces face 0, 45, ... degrees).
constexpr double outerWallApothem = 33.0;
// Three round windows per side of the outer wall, one at the middle of the face and one
// windowSpacing to either side, their centres at windowCentreHeight in the level.
constexpr double windowSpacing = 8.5;
constexpr double windowRadius = 1.8;
constexpr double windowCentreHeight = 0.0;

// Where the copy puts the underside and the windows.
constexpr double roofHeight = 2.0 * mirrorHeight - undersideHeight;
constexpr double upperWindowCentreHeight = 2.0 * mirrorHeight - windowCentreHeight;

// A level length, or height (the level's origin is the world's), in world units, as a float for
// the shaders. Dividing in double rounds once to the nearest double and then to float, so a value
// with a short decimal form (3.3, 0.85) becomes the same float as its GLSL literal.
constexpr float toWorldUnits(double levelUnits) {
    return static_cast<float>(levelUnits / levelUnitsPerWorldUnit);
}

} // namespace levelshape

} // namespace vantor
