#include "render/FrameMath.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <utility>

#include <glm/gtc/matrix_transform.hpp>

namespace vantor {

namespace framemath {

glm::mat4 levelCopyTransform() {
    glm::mat4 m(1.0f);
    m = glm::scale(m, glm::vec3(0.1f, 0.1f, 0.1f));
    m = glm::rotate(m, 180.0f * degreesToRadians, glm::vec3(0.0f, 0.0f, 1.0f));
    m = glm::rotate(m, 45.0f * degreesToRadians, glm::vec3(0.0f, 1.0f, 0.0f));
    m = glm::translate(m, glm::vec3(0.0f, -5.0f, 0.0f));
    return m;
}

glm::mat4 shadowProjection(float nearPlane, float farPlane) {
    return glm::perspective(90.0f * degreesToRadians, 1.0f, nearPlane, farPlane);
}

std::array<glm::mat4, 6> shadowFaceMatrices(const glm::mat4& shadowProj, const glm::vec3& lightPos) {
    struct Face {
        glm::vec3 direction;
        glm::vec3 up;
    };
    // The cube-map face order and the up vectors GL's face orientation expects.
    static const Face faces[6] = {
        {{1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}}, {{-1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}},
        {{0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},  {{0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}},
        {{0.0f, 0.0f, 1.0f}, {0.0f, -1.0f, 0.0f}}, {{0.0f, 0.0f, -1.0f}, {0.0f, -1.0f, 0.0f}},
    };
    std::array<glm::mat4, 6> result;
    for (int i = 0; i < 6; ++i)
        result[i] = shadowProj * glm::lookAt(lightPos, lightPos + faces[i].direction, faces[i].up);
    return result;
}

glm::mat4 placedAt(const glm::mat4& model, const glm::vec3& position) {
    glm::mat4 placed = model;
    placed[3][0] = position.x;
    placed[3][1] = position.y;
    placed[3][2] = position.z;
    return placed;
}

bool mirrors(const glm::mat4& model) {
    return glm::determinant(glm::mat3(model)) < 0.0f;
}

float sunkShadowLightHeight(float y, double deltaTime) {
    // The step is taken in double so long frames lose no precision before rounding.
    float sunk = static_cast<float>(static_cast<double>(y) - deltaTime * static_cast<double>(0.05f));
    if (sunk < 0.25f)
        sunk = 0.25f;
    return sunk;
}

void ballFootprint(const std::array<glm::mat4, 6>& faceMatrices, const glm::vec3& centre, float radius,
                   int size, std::vector<FaceRect>& out) {
    for (int face = 0; face < 6; ++face) {
        glm::vec4 clip[8];
        bool outside[6] = {true, true, true, true, true, true};
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec3 offset((corner & 1) ? radius : -radius, (corner & 2) ? radius : -radius,
                                   (corner & 4) ? radius : -radius);
            const glm::vec4 c = faceMatrices[face] * glm::vec4(centre + offset, 1.0f);
            clip[corner] = c;
            outside[0] &= c.x < -c.w;
            outside[1] &= c.x > c.w;
            outside[2] &= c.y < -c.w;
            outside[3] &= c.y > c.w;
            outside[4] &= c.z < -c.w;
            outside[5] &= c.z > c.w;
        }
        if (outside[0] || outside[1] || outside[2] || outside[3] || outside[4] || outside[5])
            continue;

        // Drawing clips at the near plane (z = -w), so what reaches the face is the box's part
        // beyond it: a convex body whose projection lies within the bounds of its corners
        // there and of the points where the box's edges cross the plane.
        glm::vec2 low(1e30f), high(-1e30f);
        auto include = [&](const glm::vec4& c) {
            const glm::vec2 ndc = glm::vec2(c) / c.w;
            low = glm::min(low, ndc);
            high = glm::max(high, ndc);
        };
        for (int corner = 0; corner < 8; ++corner) {
            const float d = clip[corner].z + clip[corner].w;
            if (d >= 0.0f && clip[corner].w > 0.0f)
                include(clip[corner]);
            // Edges to the corners that differ in one more axis bit, each edge once.
            for (int axis = 1; axis < 8; axis <<= 1) {
                if (corner & axis)
                    continue;
                const glm::vec4& b = clip[corner | axis];
                const float e = b.z + b.w;
                if ((d < 0.0f) != (e < 0.0f)) {
                    const glm::vec4 crossing = clip[corner] + (b - clip[corner]) * (d / (d - e));
                    if (crossing.w > 0.0f)
                        include(crossing);
                }
            }
        }
        if (!(low.x <= high.x && low.y <= high.y))
            continue;
        const float half = 0.5f * static_cast<float>(size);
        auto texel = [&](float ndc, bool up) {
            const float t =
                up ? std::ceil((ndc + 1.0f) * half) + 1.0f : std::floor((ndc + 1.0f) * half) - 1.0f;
            return static_cast<int>(std::clamp(t, 0.0f, static_cast<float>(size)));
        };
        const FaceRect rect{face, texel(low.x, false), texel(low.y, false), texel(high.x, true),
                            texel(high.y, true)};
        if (rect.x0 < rect.x1 && rect.y0 < rect.y1)
            out.push_back(rect);
    }
}

float backFacingRadius(const std::vector<glm::vec3>& vertices, const std::vector<unsigned int>& indices,
                       const glm::mat3& linear) {
    float radius = std::numeric_limits<float>::max();
    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        if (indices[i] >= vertices.size() || indices[i + 1] >= vertices.size() ||
            indices[i + 2] >= vertices.size())
            return 0.0f;
        const glm::dvec3 a = glm::dvec3(linear * vertices[indices[i]]);
        const glm::dvec3 edge1 = glm::dvec3(linear * vertices[indices[i + 1]]) - a;
        const glm::dvec3 edge2 = glm::dvec3(linear * vertices[indices[i + 2]]) - a;
        const glm::dvec3 normal = glm::cross(edge1, edge2);
        const double area2 = glm::length(normal);
        // A sliver's side can flip with the rounding of the corners the shader sees.
        if (!(area2 > 1e-6 * glm::length(edge1) * glm::length(edge2)))
            return 0.0f;
        // The triangle faces away from every point nearer the origin than its plane.
        radius = std::min(radius, static_cast<float>(glm::dot(normal, a) / area2));
    }
    return radius > 0.0f && radius < std::numeric_limits<float>::max() ? radius : 0.0f;
}

// The union of one face's rectangles as disjoint rectangles: cut into bands at every top and
// bottom edge, each band's covered columns merged into runs, and a band whose runs are those of
// the band above it joined to it. Overlapping footprints are then copied once.
std::vector<FaceRect> rectUnion(int face, const std::vector<FaceRect>& rects) {
    std::vector<FaceRect> mine;
    std::vector<int> edges;
    for (const FaceRect& r : rects)
        if (r.face == face && r.x1 > r.x0 && r.y1 > r.y0) {
            mine.push_back(r);
            edges.push_back(r.y0);
            edges.push_back(r.y1);
        }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<FaceRect> out;
    std::vector<std::pair<int, int>> runs, open; // `open`: the runs of the band joined last
    size_t openFirst = 0;                        // where `open`'s rectangles start in `out`
    std::vector<std::pair<int, int>> spans;
    for (size_t band = 0; band + 1 < edges.size(); ++band) {
        const int top = edges[band], bottom = edges[band + 1];
        spans.clear();
        for (const FaceRect& r : mine)
            if (r.y0 <= top && r.y1 >= bottom)
                spans.emplace_back(r.x0, r.x1);
        std::sort(spans.begin(), spans.end());
        runs.clear();
        for (const auto& span : spans)
            if (!runs.empty() && span.first <= runs.back().second)
                runs.back().second = std::max(runs.back().second, span.second);
            else
                runs.push_back(span);
        if (!runs.empty() && runs == open && out.size() > openFirst && out.back().y1 == top) {
            for (size_t i = openFirst; i < out.size(); ++i)
                out[i].y1 = bottom;
            continue;
        }
        openFirst = out.size();
        for (const auto& run : runs)
            out.push_back(FaceRect{face, run.first, top, run.second, bottom});
        open = runs;
    }
    return out;
}

std::vector<FaceRect> faceCopies(const std::vector<FaceRect>& rects, int size) {
    int count[6] = {0, 0, 0, 0, 0, 0};
    for (const FaceRect& r : rects)
        if (r.face >= 0 && r.face < 6)
            ++count[r.face];
    std::vector<FaceRect> copies;
    const long long faceArea = static_cast<long long>(size) * size;
    const auto crowded = [&](int face) { return count[face] > crowdedFaceRects; };
    // A face with few rectangles: their union, or the whole face when that covers nearly all of it
    // (one copy instead of many, for a few texels more).
    for (int face = 0; face < 6; ++face) {
        if (count[face] == 0 || crowded(face))
            continue;
        const std::vector<FaceRect> parts = rectUnion(face, rects);
        long long area = 0;
        for (const FaceRect& r : parts)
            area += static_cast<long long>(r.x1 - r.x0) * (r.y1 - r.y0);
        if (8 * area >= 7 * faceArea)
            copies.push_back(FaceRect{face, 0, 0, size, size});
        else
            copies.insert(copies.end(), parts.begin(), parts.end());
    }

    // A crowded face: the tiles its rectangles touch.
    const int tile = std::max(1, size / crowdedFaceTiles);
    const int tiles = (size + tile - 1) / tile;
    std::vector<char> marked;
    for (int face = 0; face < 6; ++face) {
        if (!crowded(face))
            continue;
        marked.assign(static_cast<size_t>(tiles) * tiles, 0);
        for (const FaceRect& r : rects) {
            if (r.face != face || r.x1 <= r.x0 || r.y1 <= r.y0)
                continue;
            const int tx0 = std::clamp(r.x0 / tile, 0, tiles - 1),
                      tx1 = std::clamp((r.x1 - 1) / tile, 0, tiles - 1);
            const int ty0 = std::clamp(r.y0 / tile, 0, tiles - 1),
                      ty1 = std::clamp((r.y1 - 1) / tile, 0, tiles - 1);
            for (int ty = ty0; ty <= ty1; ++ty)
                std::fill(marked.begin() + ty * tiles + tx0, marked.begin() + ty * tiles + tx1 + 1, 1);
        }
        // Overlapping rectangles count once here: a face whose touched tiles cover half of it
        // is copied whole.
        if (2 * std::count(marked.begin(), marked.end(), 1) >= static_cast<long long>(tiles) * tiles) {
            copies.push_back(FaceRect{face, 0, 0, size, size});
            continue;
        }
        // Each tile row from its first to its last touched tile (a copy call costs more than the
        // texels between), rows with the same span merged: at most one copy per tile row.
        int spanRow = -1, spanFirst = 0, spanLast = 0;
        const auto flush = [&](int endRow) {
            if (spanRow >= 0)
                copies.push_back(FaceRect{face, spanFirst * tile, spanRow * tile,
                                          std::min((spanLast + 1) * tile, size),
                                          std::min(endRow * tile, size)});
            spanRow = -1;
        };
        for (int ty = 0; ty < tiles; ++ty) {
            const auto row = marked.begin() + ty * tiles;
            const auto firstMarked = std::find(row, row + tiles, 1);
            if (firstMarked == row + tiles) {
                flush(ty);
                continue;
            }
            const int first = static_cast<int>(firstMarked - row);
            const int last = tiles - 1 -
                             static_cast<int>(std::find(std::make_reverse_iterator(row + tiles),
                                                        std::make_reverse_iterator(row), 1) -
                                              std::make_reverse_iterator(row + tiles));
            if (spanRow >= 0 && first == spanFirst && last == spanLast)
                continue;
            flush(ty);
            spanRow = ty;
            spanFirst = first;
            spanLast = last;
        }
        flush(tiles);
    }
    return copies;
}

} // namespace framemath

} // namespace vantor
