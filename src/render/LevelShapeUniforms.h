#pragma once
// The hall's proportions (scene/LevelShape.h) as the lighting shader reads them, in world units.

#include <GL/glew.h>

namespace vantor {

// Sets, on `program`, which must be the current program:
//   "levelShape": x the outer wall's apothem, y the roof's height, z the spacing of the windows
//                 along a side, w their radius;
//   "windowCentreHeights": the heights of the two rows of window centres, the level's own (x)
//                 and its upside-down copy's (y).
// Programs that lack them ignore them.
void setLevelShapeUniforms(GLuint program);

} // namespace vantor
