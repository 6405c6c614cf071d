// The importer on real model files nobody here wrote (tests/data/scenes, from assimp's test
// models): what a renderer needs comes out of each good one, and each broken one is refused with
// its reason and nothing half-read.

#include "scene/SceneImport.h"
#include "../support/SceneSamples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace vantor;

namespace {

const std::string& scenes = scenesamples::directory;
using scenesamples::load;

std::string refusal(const std::string& path) {
    vantor::scene::SceneData scene;
    std::string why;
    EXPECT_FALSE(vantor::scene::importScene(path, scene, why)) << path;
    EXPECT_TRUE(scene.meshes.empty() && scene.images.empty());
    EXPECT_EQ(why.find('\n'), std::string::npos) << "one line";
    return why;
}

// Every mesh is whole: streams of one length, triangles within it, finite unit normals (a file's
// zero normals are replaced by their faces').
void expectWellFormed(const vantor::scene::SceneData& scene) {
    for (const vantor::scene::SceneMesh& mesh : scene.meshes) {
        ASSERT_EQ(mesh.normals.size(), mesh.positions.size());
        ASSERT_EQ(mesh.uvs.size(), mesh.positions.size());
        ASSERT_EQ(mesh.tangents.size(), mesh.positions.size());
        ASSERT_EQ(mesh.indices.size() % 3, 0u);
        for (std::uint32_t i : mesh.indices)
            ASSERT_LT(i, mesh.positions.size());
        for (const glm::vec3& n : mesh.normals)
            ASSERT_NEAR(glm::length(n), 1.0f, 1e-3f);
        ASSERT_GE(mesh.material, 0);
        ASSERT_LT(std::size_t(mesh.material), scene.materials.size());
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_LE(scene.boundsMin[i], scene.boundsMax[i]);
}

TEST(SceneImport, BinaryGltfWithEmbeddedTexture) {
    SKIP_WITHOUT_ASSIMP();
    const auto scene = load("box-glb/BoxTextured.glb");
    expectWellFormed(scene);
    ASSERT_EQ(scene.meshes.size(), 1u);
    EXPECT_EQ(scene.triangles, 12u);
    ASSERT_EQ(scene.images.size(), 1u);
    EXPECT_EQ(scene.images[0].width, 211u);
    EXPECT_EQ(scene.images[0].rgba.size(), std::size_t(scene.images[0].width) * scene.images[0].height * 4);
    const auto& material = scene.materials[std::size_t(scene.meshes[0].material)];
    EXPECT_EQ(material.baseColourImage, 0);
    EXPECT_LT(material.alphaCutoff, 0.0f);
    // A unit cube about the origin, y up.
    EXPECT_NEAR(scene.boundsMax.y - scene.boundsMin.y, 1.0f, 1e-4f);
}

TEST(SceneImport, TexturedMultiMeshGltfSharesItsImages) {
    SKIP_WITHOUT_ASSIMP();
    const auto scene = load("clearcoat-gltf/ClearCoatTest.gltf");
    expectWellFormed(scene);
    EXPECT_GT(scene.meshes.size(), 10u);
    // Several materials name the same pictures; each is decoded once.
    EXPECT_EQ(scene.images.size(), 3u);
    for (const auto& image : scene.images)
        EXPECT_FALSE(image.rgba.empty()) << image.name;
    for (const auto& m : scene.materials) {
        EXPECT_GE(m.specular, 0.0f);
        EXPECT_LE(m.specular, 1.0f);
    }
}

// The OBJ and the FBX of the same spider give the same model: the FBX's texture names are
// absolute paths on its author's machine, found by their last part beside the file.
TEST(SceneImport, ObjWithMtlAndFbxOfTheSameModel) {
    SKIP_WITHOUT_ASSIMP();
    const auto obj = load("spider/spider.obj");
    const auto fbx = load("spider/spider.fbx");
    expectWellFormed(obj);
    expectWellFormed(fbx);
    EXPECT_EQ(obj.triangles, 1368u);
    EXPECT_EQ(fbx.triangles, obj.triangles);
    EXPECT_EQ(obj.images.size(), 5u);
    for (const auto* scene : {&obj, &fbx})
        for (const auto& image : scene->images)
            EXPECT_FALSE(image.rgba.empty()) << image.name;
    // Same up axis: the heights agree (to the FBX's unit scale).
    const float objHeight = obj.boundsMax.y - obj.boundsMin.y;
    const float fbxHeight = fbx.boundsMax.y - fbx.boundsMin.y;
    const float objWidth = obj.boundsMax.x - obj.boundsMin.x;
    const float fbxWidth = fbx.boundsMax.x - fbx.boundsMin.x;
    EXPECT_NEAR(objHeight / objWidth, fbxHeight / fbxWidth, 0.02f);
}

// A picture that is missing is no failure: one line names it and the material keeps its place
// with an empty image, which the renderer draws with a neutral texture.
TEST(SceneImport, MissingImageIsNamedAndSkipped) {
    SKIP_WITHOUT_ASSIMP();
    testing::internal::CaptureStderr();
    const auto scene = load("missing-image/BoxTextured.gltf");
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(scene.images.size(), 1u);
    EXPECT_TRUE(scene.images[0].rgba.empty());
    EXPECT_NE(err.find("Image not loaded: "), std::string::npos) << err;
    EXPECT_NE(err.find("CesiumLogoFlat.png"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST(SceneImport, BrokenFilesAreRefusedWithTheirReason) {
    SKIP_WITHOUT_ASSIMP();
    EXPECT_NE(refusal(scenes + "broken/missing-bin/BoxTextured.gltf").find("BoxTextured0.bin"),
              std::string::npos);
    EXPECT_NE(refusal(scenes + "broken/index-out-of-range/IndexOutOfRange.gltf").find("index out of range"),
              std::string::npos);
    EXPECT_NE(refusal(scenes + "broken/infinite-positions/BoxWithInfinites.glb").find("not finite"),
              std::string::npos);
    EXPECT_EQ(refusal(scenes + "no/such/file.glb"), "no such file");
    EXPECT_EQ(refusal(scenes), "a folder, not a model file");
    EXPECT_EQ(vantor::scene::sceneFailureLine("a.glb", "no meshes"), "Scene not loaded: a.glb: no meshes");
}

// No sample here has a cut-out or a metallic-roughness factor without textures: a one-triangle
// glTF written here carries both, and the material comes out as the geometry pass reads it.
TEST(SceneImport, MaskedMetallicRoughnessMaterial) {
    SKIP_WITHOUT_ASSIMP();
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "demo_scene_mask_test.gltf";
    std::ofstream(path.string(), std::ios::binary)
        << R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
           R"("meshes":[{"primitives":[{"attributes":{"POSITION":0},"material":0}]}],)"
           R"("materials":[{"alphaMode":"MASK","alphaCutoff":0.3,"pbrMetallicRoughness":{)"
           R"("baseColorFactor":[0.25,1.0,0.0,0.5],"metallicFactor":1.0,"roughnessFactor":0.5}}],)"
           R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3",)"
           R"("min":[0,0,0],"max":[1,1,0]}],"bufferViews":[{"buffer":0,"byteLength":36}],)"
           R"("buffers":[{"byteLength":36,"uri":"data:application/octet-stream;base64,)"
           R"(AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"}]})";
    vantor::scene::SceneData scene;
    std::string why;
    ASSERT_TRUE(vantor::scene::importScene(path.string(), scene, why)) << why;
    std::filesystem::remove(path);
    expectWellFormed(scene);
    ASSERT_EQ(scene.meshes.size(), 1u);
    const auto& m = scene.materials[std::size_t(scene.meshes[0].material)];
    EXPECT_FLOAT_EQ(m.alphaCutoff, 0.3f);
    EXPECT_NEAR(m.baseColour.r, 0.5f, 1e-6f) << "stored as the square root of the linear factor";
    EXPECT_FLOAT_EQ(m.baseColour.a, 0.5f);
    EXPECT_NEAR(m.specular, 0.25f * 0.9f, 1e-6f);
    EXPECT_EQ(m.baseColourImage, -1);
    EXPECT_EQ(m.heightImage, -1) << "no height map: no parallax";
}

// Files written here for the cases no sample covers: no meshes at all, not a model, and a glTF
// that claims far more vertices than memory holds.
TEST(SceneImport, EmptyNonsenseAndAbsurdCountsAreRefused) {
    SKIP_WITHOUT_ASSIMP();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "demo_scene_import_test";
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, const std::string& text) {
        std::ofstream((dir / name).string(), std::ios::binary) << text;
        return (dir / name).string();
    };
    const std::string noMeshes =
        write("empty.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{}]})");
    EXPECT_EQ(refusal(noMeshes), "no meshes");
    EXPECT_FALSE(refusal(write("noise.obj", std::string("\x01\x02\x03 not a model"))).empty());
    const std::string absurdText =
        R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
        R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],)"
        R"("accessors":[{"bufferView":0,"componentType":5126,"count":4000000000,"type":"VEC3"}],)"
        R"("bufferViews":[{"buffer":0,"byteLength":36}],)"
        R"("buffers":[{"byteLength":36,"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"}]})";
    const std::string absurd = write("absurd.gltf", absurdText);
    EXPECT_FALSE(refusal(absurd).empty());
    // A binary glTF whose JSON chunk claims 1.9 GB (found by the fuzzer: assimp allocated it all).
    std::string glb = "glTF";
    for (std::uint32_t word : {2u, 42u, 0x70050000u, 0x4e4f534au})
        for (int byte = 0; byte < 4; ++byte)
            glb += char((word >> (8 * byte)) & 0xff);
    glb += "{\"asset\":{}}          ";
    // An accessor whose offset pushes it past its bufferView (found by the fuzzer: assimp read past
    // the buffer).
    std::string pastView = absurdText;
    pastView.replace(pastView.find("\"count\":4000000000"), 18, "\"byteOffset\":4,\"count\":3");
    EXPECT_EQ(refusal(write("past.gltf", pastView)), "an accessor reaches past its bufferView");
    // The same with a byte that is not UTF-8 in a name (found by the fuzzer: the check could not
    // read such JSON and let it through to assimp, which reads it and read past the buffer).
    std::string strayByte = pastView;
    strayByte.replace(strayByte.find("\"version\":\"2.0\""), 15,
                      "\"version\":\"2.0\",\"generator\":\"A\x87\xdf\"");
    EXPECT_EQ(refusal(write("stray.gltf", strayByte)), "an accessor reaches past its bufferView");
    // An offset given twice: assimp takes the first, a check taking the last would pass it.
    std::string twice = pastView;
    twice.replace(twice.find("\"byteOffset\":4"), 14, "\"byteOffset\":4,\"byteOffset\":0");
    EXPECT_EQ(refusal(write("twice.gltf", twice)), "a JSON object gives one name twice");
    // An image whose mimeType has no '/' (found by the fuzzer: assimp 5.2 crashed on it).
    EXPECT_EQ(
        refusal(write("mime.gltf", R"({"asset":{"version":"2.0"},"images":[{"mimeType" : "imagepng"}]})")),
        "an image's mimeType has no '/': not a MIME type");
    // A binary glTF cut short inside its header (found by the fuzzer: assimp read past its end).
    EXPECT_EQ(refusal(write("short.glb", glb.substr(0, 16))),
              "damaged binary glTF header: the file is shorter than its 20-byte header");
    EXPECT_EQ(refusal(write("claims.glb", glb)),
              "damaged binary glTF header: it claims 1879375872 bytes, the file has 42");
    std::filesystem::remove_all(dir);
}

} // namespace
