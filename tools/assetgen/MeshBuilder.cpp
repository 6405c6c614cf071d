// Triangle soup with per-corner normals and texture coordinates, written as the OBJ subset
// the demo reads: v, vt, vn and triangles "f a/b/c a/b/c a/b/c".

#include "AssetGen.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace vantor {

namespace assetgen {

namespace {

// Tangent and bitangent exactly as the renderer derives them from one triangle.
void tangentFrame(const Corner& a, const Corner& b, const Corner& c, glm::dvec3& tangent,
                  glm::dvec3& bitangent) {
    glm::dvec3 dp1 = b.position - a.position;
    glm::dvec3 dp2 = c.position - a.position;
    glm::dvec2 duv1 = b.st - a.st;
    glm::dvec2 duv2 = c.st - a.st;
    double det = duv1.x * duv2.y - duv1.y * duv2.x;
    double r = det != 0.0 ? 1.0 / det : 0.0;
    tangent = (dp1 * duv2.y - dp2 * duv1.y) * r;
    bitangent = (dp2 * duv1.x - dp1 * duv2.x) * r;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string s(text);
    if (s == "-0.0000")
        s = "0.0000";
    return s;
}

// Assigns 1-based indices to distinct lines in first-seen order.
struct LineTable {
    int indexOf(const std::string& line) {
        auto found = index.find(line);
        if (found != index.end())
            return found->second;
        lines.push_back(line);
        int i = int(lines.size());
        index.emplace(line, i);
        return i;
    }
    std::map<std::string, int> index;
    std::vector<std::string> lines;
};

} // namespace

void MeshBuilder::triangle(Corner a, Corner b, Corner c) {
    glm::dvec3 face = glm::cross(b.position - a.position, c.position - a.position);
    if (glm::length(face) < 1e-6) {
        ++droppedDegenerate;
        return;
    }
    a.normal = glm::normalize(a.normal);
    b.normal = glm::normalize(b.normal);
    c.normal = glm::normalize(c.normal);
    glm::dvec3 shading = a.normal + b.normal + c.normal;
    if (glm::dot(face, shading) < 0.0)
        std::swap(b, c);
    glm::dvec3 tangent, bitangent;
    tangentFrame(a, b, c, tangent, bitangent);
    if (glm::dot(glm::cross(tangent, bitangent), shading) <= 0.0)
        ++mirroredTriangles;
    corners.push_back(a);
    corners.push_back(b);
    corners.push_back(c);
}

glm::dvec2 MeshBuilder::planarSt(glm::dvec3 position, glm::dvec3 normal) const {
    // Image-up runs along world-up on walls; on floors and ceilings image-right is +x.
    // Right x up = normal keeps the tangent frame right-handed, so bumps face outwards.
    glm::dvec3 n = glm::normalize(normal);
    glm::dvec3 right, up;
    if (std::abs(n.y) < 0.9) {
        up = glm::normalize(glm::dvec3(0, 1, 0) - n * n.y);
        right = glm::cross(up, n);
    } else {
        right = glm::normalize(glm::dvec3(1, 0, 0) - n * n.x);
        up = glm::cross(n, right);
    }
    return glm::dvec2(glm::dot(position, right), glm::dot(position, up)) / unitsPerRepeat;
}

void MeshBuilder::planarPolygon(const std::vector<glm::dvec3>& loop, glm::dvec3 normal) {
    for (size_t i = 1; i + 1 < loop.size(); ++i)
        triangle(planarCorner(loop[0], normal), planarCorner(loop[i], normal),
                 planarCorner(loop[i + 1], normal));
}

std::string MeshBuilder::toObj(const std::string& headerComment) const {
    LineTable positions, coords, normals;
    std::string faces;
    for (size_t i = 0; i < corners.size(); i += 3) {
        faces += "f";
        for (size_t k = 0; k < 3; ++k) {
            const Corner& c = corners[i + k];
            glm::dvec3 n = glm::normalize(c.normal);
            int p = positions.indexOf("v " + number(c.position.x) + " " + number(c.position.y) + " " +
                                      number(c.position.z));
            // The reader negates the second coordinate.
            int t = coords.indexOf("vt " + number(c.st.x) + " " + number(-c.st.y));
            int q = normals.indexOf("vn " + number(n.x) + " " + number(n.y) + " " + number(n.z));
            faces += " " + std::to_string(p) + "/" + std::to_string(t) + "/" + std::to_string(q);
        }
        faces += "\n";
    }
    std::string out = headerComment;
    out += "# " + std::to_string(corners.size() / 3) + " triangles\n";
    for (const auto& l : positions.lines)
        out += l + "\n";
    for (const auto& l : coords.lines)
        out += l + "\n";
    for (const auto& l : normals.lines)
        out += l + "\n";
    out += faces;
    return out;
}

} // namespace assetgen

} // namespace vantor
