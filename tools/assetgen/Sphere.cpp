// The light sphere: a UV sphere of the given radius. The poles are closed with single triangles
// so that no triangle collapses to zero area.

#include "AssetGen.h"

#include <cmath>

namespace vantor {

namespace assetgen {

void buildSphere(MeshBuilder& mesh, int segments, int rings, double radius) {
    const double pi = 3.14159265358979323846;
    // s runs eastwards once round, t from the south pole (0) to the north pole (1); east
    // is -z at longitude 0 so that east x north points out of the sphere.
    auto corner = [&](int ring, double j) {
        double polar = pi * ring / rings;
        double longitude = 2.0 * pi * j / segments;
        glm::dvec3 p(std::sin(polar) * std::cos(longitude), std::cos(polar),
                     -std::sin(polar) * std::sin(longitude));
        if (ring == 0 || ring == rings)
            p = glm::dvec3(0.0, ring == 0 ? 1.0 : -1.0, 0.0);
        return Corner{p * radius, p, {j / segments, 1.0 - double(ring) / rings}};
    };
    for (int j = 0; j < segments; ++j) {
        mesh.triangle(corner(0, j + 0.5), corner(1, j), corner(1, j + 1));
        for (int ring = 1; ring + 1 < rings; ++ring) {
            Corner a = corner(ring, j), b = corner(ring, j + 1);
            Corner c = corner(ring + 1, j + 1), d = corner(ring + 1, j);
            mesh.triangle(a, d, c);
            mesh.triangle(a, c, b);
        }
        mesh.triangle(corner(rings, j + 0.5), corner(rings - 1, j + 1), corner(rings - 1, j));
    }
}

} // namespace assetgen

} // namespace vantor
