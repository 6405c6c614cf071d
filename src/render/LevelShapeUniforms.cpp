#include "render/LevelShapeUniforms.h"

#include "scene/LevelShape.h"

namespace vantor {

void setLevelShapeUniforms(GLuint program) {
    using namespace levelshape;
    glUniform4f(glGetUniformLocation(program, "levelShape"), toWorldUnits(outerWallApothem),
                toWorldUnits(roofHeight), toWorldUnits(windowSpacing), toWorldUnits(windowRadius));
    glUniform2f(glGetUniformLocation(program, "windowCentreHeights"), toWorldUnits(windowCentreHeight),
                toWorldUnits(upperWindowCentreHeight));
}

} // namespace vantor
