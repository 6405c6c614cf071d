#pragma once
// Pieces of the asset generator. Everything is a pure function of fixed seeds, so a run
// always writes the same bytes.

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

namespace assetgen {

// ---- Random numbers and noise (Noise.cpp) ---------------------------------------------

// SplitMix64: small, fast and the same on every platform, unlike rand().
class Rng {
public:
    explicit Rng(uint64_t seed) : state(seed) {}
    uint64_t next();
    double uniform();                   // [0, 1)
    double range(double lo, double hi); // [lo, hi)
private:
    uint64_t state;
};

uint32_t hash3(int32_t x, int32_t y, int32_t z);
double hashUnit(int32_t x, int32_t y, int32_t z); // [0, 1)

// Value noise with smooth interpolation whose lattice wraps every `period` cells, so a
// texture sampled over exactly one period tiles. (x, y) are in cells.
double periodicNoise(double x, double y, int period, uint32_t seed);
// Sum of `octaves` noise layers over a square of side 1 (coordinates in [0, 1) wrap),
// starting at `baseCells` cells across and doubling. Result roughly in [0, 1].
double periodicFbm(double u, double v, int baseCells, int octaves, uint32_t seed);

// ---- Images (ImageFile.cpp) -------------------------------------------------------------

// 8-bit image, row 0 at the top as a viewer shows it; 1 (grey) or 3 (RGB) channels.
struct Image {
    Image(int width, int height, int channels)
        : width(width), height(height), channels(channels),
          pixels(size_t(width) * size_t(height) * size_t(channels), 0) {}
    uint8_t* at(int x, int row) {
        return &pixels[(size_t(row) * size_t(width) + size_t(x)) * size_t(channels)];
    }
    const uint8_t* at(int x, int row) const {
        return &pixels[(size_t(row) * size_t(width) + size_t(x)) * size_t(channels)];
    }
    void setRgb(int x, int row, glm::dvec3 rgb); // components in [0, 1], clamped
    int width;
    int height;
    int channels;
    std::vector<uint8_t> pixels;
};

uint8_t toByte(double value); // [0, 1] -> 0..255, clamped and rounded
bool savePng(const Image& image, const std::string& path);
bool saveJpeg(const Image& image, const std::string& path);

// ---- Meshes (MeshBuilder.cpp) -------------------------------------------------------------

// One triangle corner. `st` is the texture coordinate as the renderer samples it: s to the
// right in the image, t towards the top of the image. The OBJ file stores vt s (-t), because
// the reader negates the second coordinate.
struct Corner {
    glm::dvec3 position;
    glm::dvec3 normal;
    glm::dvec2 st;
};

class MeshBuilder {
public:
    // Level units per texture repeat on planar faces.
    explicit MeshBuilder(double unitsPerRepeat) : unitsPerRepeat(unitsPerRepeat) {}

    // Adds a triangle, wound counter-clockwise seen from the side its normals point to.
    // Zero-area triangles are dropped and counted.
    void triangle(Corner a, Corner b, Corner c);
    // Flat polygon (convex or star-shaped around its first corner) with world-scale texture
    // coordinates projected onto the plane so that image-up follows world-up on walls.
    void planarPolygon(const std::vector<glm::dvec3>& loop, glm::dvec3 normal);
    // Texture coordinates of a point on a flat face with the given normal.
    glm::dvec2 planarSt(glm::dvec3 position, glm::dvec3 normal) const;
    Corner planarCorner(glm::dvec3 position, glm::dvec3 normal) const {
        return {position, normal, planarSt(position, normal)};
    }

    std::string toObj(const std::string& headerComment) const;

    std::vector<Corner> corners; // three per triangle
    double unitsPerRepeat;
    int droppedDegenerate = 0;
    // Triangles whose texture coordinates run mirrored against their normal: the tangent
    // frame derived from them would bend the normal map inwards. Must stay 0.
    int mirroredTriangles = 0;
    // Triangles of a stitched face that fold back over the hole: the outline point they fan
    // from cannot see that stretch of the hole, so they cover part of the opening on one side
    // of the face and show their back on the other. Must stay 0.
    int foldedTriangles = 0;
};

// ---- The generated assets ---------------------------------------------------------------

void buildLevel(MeshBuilder& mesh);
void buildSphere(MeshBuilder& mesh, int segments, int rings, double radius);

void makeBrickMaps(int size, Image& diffuse, Image& normal, Image& height);
void makeSphereMaps(Image& diffuse, Image& normal, Image& height);
// Face i is GL_TEXTURE_CUBE_MAP_POSITIVE_X + i as the renderer uploads it.
Image makeSkyFace(int face, int size);

} // namespace assetgen

} // namespace vantor
