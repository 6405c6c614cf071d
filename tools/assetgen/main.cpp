// assetgen [output root]
//
// Writes the demo's models and images under the output root (default "../Quarnvale", the
// asset tree as seen from the build folder): Objects/scene2.obj, Objects/sphere.obj,
// Objects/sphere-small.obj, Objects/sphere-shadow.obj and the images in Textures/. The output
// depends on nothing but the code, so a second run writes the same bytes; the committed assets
// are checked against a fresh run.

#include "AssetGen.h"

#include <FreeImage.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace vantor;

using namespace assetgen;

namespace {

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

bool writeMesh(const MeshBuilder& mesh, const std::string& path, const std::string& header) {
    if (mesh.droppedDegenerate != 0 || mesh.mirroredTriangles != 0 || mesh.foldedTriangles != 0) {
        std::printf("%s: %d zero-area, %d mirrored and %d folded triangles\n", path.c_str(),
                    mesh.droppedDegenerate, mesh.mirroredTriangles, mesh.foldedTriangles);
        return false;
    }
    std::printf("%s: %zu triangles\n", path.c_str(), mesh.corners.size() / 3);
    return writeText(path, mesh.toObj(header));
}

bool report(bool ok, const std::string& path) {
    if (!ok)
        std::printf("could not write %s\n", path.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    std::string root = argc > 1 ? argv[1] : "../Quarnvale";
    std::string objects = root + "/Objects/";
    std::string textures = root + "/Textures/";
    std::error_code error;
    std::filesystem::create_directories(objects, error);
    std::filesystem::create_directories(textures, error);
    FreeImage_Initialise(FALSE);
    bool ok = true;

    MeshBuilder level(2.0);
    buildLevel(level);
    ok &= writeMesh(level, objects + "scene2.obj",
                    "# Quarnvale hall: octagonal brick hall, lower half (level units; drawn at 1/10).\n"
                    "# The upper half is the same mesh turned upside down about height 2.5.\n");

    MeshBuilder sphere(1.0);
    // Diameter 1: the scene draws it at 0.05 for each light (radius 0.025, small glowing beads)
    // and at 0.2 for the shadow light's marker.
    buildSphere(sphere, 20, 14, 0.5);
    ok &= writeMesh(sphere, objects + "sphere.obj", "# Unit UV sphere, 20 segments x 14 rings.\n");
    // The bodies of lights past the first fifty, a few pixels across: on the screen a sphere of
    // 24 triangles instead of 520 (a thousand of them go through the rasteriser every frame), in
    // the shadow cube, where a body is a dozen texels, an octahedron.
    MeshBuilder smallSphere(1.0);
    buildSphere(smallSphere, 6, 3, 0.5);
    ok &= writeMesh(smallSphere, objects + "sphere-small.obj", "# Unit UV sphere, 6 segments x 3 rings.\n");
    MeshBuilder shadowSphere(1.0);
    buildSphere(shadowSphere, 4, 2, 0.5);
    ok &= writeMesh(shadowSphere, objects + "sphere-shadow.obj",
                    "# Octahedron in a unit sphere, 4 segments x 2 rings.\n");

    Image bricks(512, 512, 3), bricksNormal(512, 512, 3), bricksHeight(512, 512, 1);
    makeBrickMaps(512, bricks, bricksNormal, bricksHeight);
    ok &= report(savePng(bricks, textures + "bricks3.png"), "bricks3.png");
    ok &= report(savePng(bricksNormal, textures + "bricks_normal.png"), "bricks_normal.png");
    ok &= report(savePng(bricksHeight, textures + "bricks_height.png"), "bricks_height.png");

    Image ballDiffuse(256, 128, 3), ballNormal(256, 128, 3), ballHeight(256, 128, 3);
    makeSphereMaps(ballDiffuse, ballNormal, ballHeight);
    ok &= report(saveJpeg(ballDiffuse, textures + "sphere_diff.jpg"), "sphere_diff.jpg");
    ok &= report(saveJpeg(ballNormal, textures + "sphere_normal.jpg"), "sphere_normal.jpg");
    ok &= report(saveJpeg(ballHeight, textures + "sphere$_height.jpg"), "sphere$_height.jpg");

    const char* faces[6] = {"right", "left", "top", "bottom", "front", "back"};
    for (int face = 0; face < 6; ++face) {
        std::string name = std::string(faces[face]) + ".png";
        ok &= report(savePng(makeSkyFace(face, 256), textures + name), name);
    }

    FreeImage_DeInitialise();
    return ok ? 0 : 1;
}
