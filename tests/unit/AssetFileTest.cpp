#include "gpu/AssetFile.h"
#include "gpu/Image.h"

#include "SceneTestSupport.h"

#include <gtest/gtest.h>

#include "platform/SpecialFiles.h"

#include <filesystem>

using namespace vantor;

namespace {

using scenetest::ScratchDir;

// The paths every reader must refuse: none would end (a FIFO without a writer, /dev/zero) or
// none holds a file's bytes (a directory, nothing at all).
struct Hostile {
    ScratchDir dir;
    std::string fifo, zero, directory, missing;
    Hostile() {
        fifo = (dir.path / "fifo").string();
        zero = (dir.path / "zero").string();
        directory = (dir.path / "directory").string();
        missing = (dir.path / "missing").string();
        // Where there are no FIFOs and links need privileges (Windows), the null device stands
        // for both.
        if (symbolicLinksAllowed()) {
            EXPECT_TRUE(makeFifo(fifo));
            std::filesystem::create_symlink(endlessDevice(), zero);
        } else {
            fifo = zero = endlessDevice();
        }
        std::filesystem::create_directory(directory);
    }
    std::vector<std::string> all() const { return {fifo, zero, directory, missing}; }
};

TEST(AssetFile, ReadsRegularFilesUpToTheLimitThroughLinks) {
    ScratchDir dir;
    const std::string file = dir.write("shader.vert", "void main() {}\n");
    std::string bytes;
    EXPECT_TRUE(readAssetFile(file, 15, bytes));
    EXPECT_EQ(bytes, "void main() {}\n");
    if (symbolicLinksAllowed()) {
        const std::string link = (dir.path / "link.vert").string();
        std::filesystem::create_symlink(file, link);
        EXPECT_TRUE(readAssetFile(link, 15, bytes));
        EXPECT_EQ(bytes, "void main() {}\n");
    }
    EXPECT_FALSE(readAssetFile(file, 14, bytes)) << "one byte over the limit";
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(readAssetFile(dir.write("empty", ""), 0, bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(AssetFile, RefusesFifosDevicesDirectoriesAndMissingFilesAtOnce) {
    const Hostile hostile;
    for (const std::string& path : hostile.all()) {
        std::string bytes = "left over";
        EXPECT_FALSE(readAssetFile(path, assetlimits::modelBytes, bytes)) << path;
        EXPECT_TRUE(bytes.empty()) << path;
        EXPECT_EQ(openAssetFile(path, assetlimits::modelBytes), -1) << path;
    }
}

// The OBJ reader and the image loader report such a path exactly as they report a missing file.
TEST(AssetFile, ReadersReportHostilePathsLikeMissingFiles) {
    const Hostile hostile;
    scenetest::PlainObject object;
    for (const std::string& path : hostile.all()) {
        std::vector<glm::vec3> vertices, normals;
        std::vector<glm::vec2> uvs;
        ::testing::internal::CaptureStdout();
        EXPECT_FALSE(object.readObj(path, vertices, uvs, normals)) << path;
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Impossible to open the file !\n" + path);

        unsigned width = 1, height = 1;
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(loadImageRGBA(path, width, height).empty()) << path;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "Image not loaded: " + path + ": cannot open the file\n");
        EXPECT_EQ(width + height, 0u);
    }
}

} // namespace
