#pragma once
// The frame's pure matrix and motion maths: no GL, so the unit tests reach it directly.

#include <glm/glm.hpp>

#include <array>
#include <vector>

namespace vantor {

namespace framemath {

// Degrees to radians with the constant the whole renderer uses.
constexpr float degreesToRadians = 0.017453292f;

// Model matrix of the level's second copy: one tenth of its size, turned 45 degrees about
// the vertical axis and upside down about z, its origin lifted to (0, 0.5, 0).
glm::mat4 levelCopyTransform();

// True when `model` turns space inside out (negative determinant): it reverses the winding
// of every triangle it draws, so front faces are then the clockwise ones.
bool mirrors(const glm::mat4& model);

// Perspective for one cube-map face: 90 degrees, square.
glm::mat4 shadowProjection(float nearPlane, float farPlane);

// The six face matrices (+X, -X, +Y, -Y, +Z, -Z) that render the cube map seen from `lightPos`.
std::array<glm::mat4, 6> shadowFaceMatrices(const glm::mat4& shadowProj, const glm::vec3& lightPos);

// A rectangle of texels on one face of a cube map: columns [x0, x1), rows [y0, y1).
struct FaceRect {
    int face = 0;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool operator==(const FaceRect& o) const {
        return face == o.face && x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1;
    }
};

// Appends to `out`, per face (rendered with `faceMatrices`, `size` texels a side), a rectangle
// holding every texel that anything inside the ball of `radius` around `centre` can cover:
// the projected bounds of the part of the ball's bounding box beyond the near plane, plus one
// texel; nothing for a face the box is wholly outside of.
void ballFootprint(const std::array<glm::mat4, 6>& faceMatrices, const glm::vec3& centre, float radius,
                   int size, std::vector<FaceRect>& out);

// The radius of the ball around a mesh's origin from inside which every triangle of the mesh,
// its corners moved by `linear`, faces away (the corners as `indices` list them, three per
// triangle, counter-clockwise seen from the front). The shadow pass draws only triangles facing
// the light, so a light within this distance of a placed ball's centre gets nothing of it into
// the cube. Zero when no such ball exists (origin outside the mesh, mirrored placement) or when a
// triangle too thin to have a reliable side leaves it unsure.
float backFacingRadius(const std::vector<glm::vec3>& vertices, const std::vector<unsigned int>& indices,
                       const glm::mat3& linear);

// The copies that cover `rects` (faces of `size` texels a side), no texel twice: a face with more
// than `crowdedFaceRects` rectangles (hundreds of small light bodies) by at most one copy per row
// of tiles (`crowdedFaceTiles` a side), from the first tile a rectangle touches to the last, so
// the copies stay few, or whole when the touched tiles cover half of it; another face whose
// rectangles' union covers 7/8 of it or more is copied whole, once; else that union, as disjoint
// rectangles (`rectUnion`).
constexpr int crowdedFaceRects = 64;
// The union of the rectangles of `rects` on `face` as disjoint rectangles covering exactly it.
std::vector<FaceRect> rectUnion(int face, const std::vector<FaceRect>& rects);
constexpr int crowdedFaceTiles = 64;
std::vector<FaceRect> faceCopies(const std::vector<FaceRect>& rects, int size);

// `model` moved to `position`: its translation column replaced, rotation and scale kept.
glm::mat4 placedAt(const glm::mat4& model, const glm::vec3& position);

// Height of the shadow light one frame later: it sinks 0.05 units per second and rests at 0.25.
float sunkShadowLightHeight(float y, double deltaTime);

} // namespace framemath

} // namespace vantor
