// The keys that look inside the frame, read from the key record, and the screenshots they take:
// the names they claim, the files they write or remove, the writer that saves them off the frame.

#include "app/Inspect.h"
#include "app/ScreenshotWriter.h"
#include "platform/FileSizeLimit.h"
#include "platform/SpecialFiles.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <stdexcept>

using namespace vantor;

using vantor::input::KeyRecord;

TEST(InspectKeys, EachPressActsOnceWhateverTheFrameRate) {
    KeyRecord keys;
    // A tap between two frames counts; a key still held in the next frame does not count again.
    keys.press(GLFW_KEY_P);
    keys.release(GLFW_KEY_P);
    keys.press(GLFW_KEY_F1);
    InspectKeys inspect = readInspectKeys(keys);
    EXPECT_TRUE(inspect.togglePause);
    EXPECT_TRUE(inspect.toggleOverlay);
    EXPECT_EQ(inspect.view, 0);
    keys.endUpdate();
    inspect = readInspectKeys(keys);
    EXPECT_FALSE(inspect.toggleOverlay) << "F1 held";
    EXPECT_FALSE(inspect.togglePause);

    // Two presses of a switch between frames cancel; every F12 press is a screenshot; of several
    // number keys the highest wins.
    keys.release(GLFW_KEY_F1);
    for (int i = 0; i < 2; ++i) {
        keys.press(GLFW_KEY_P);
        keys.release(GLFW_KEY_P);
    }
    for (int i = 0; i < 3; ++i) {
        keys.press(GLFW_KEY_F12);
        keys.release(GLFW_KEY_F12);
    }
    keys.press(GLFW_KEY_3);
    keys.press(GLFW_KEY_6);
    inspect = readInspectKeys(keys);
    EXPECT_FALSE(inspect.togglePause);
    EXPECT_EQ(inspect.screenshots, 3);
    EXPECT_EQ(inspect.view, 6);
    // The described keys are not among them.
    keys.endUpdate();
    for (int key : {GLFW_KEY_J, GLFW_KEY_M, GLFW_KEY_W, GLFW_KEY_SPACE, GLFW_KEY_0, GLFW_KEY_ESCAPE})
        keys.press(key);
    inspect = readInspectKeys(keys);
    EXPECT_EQ(inspect.view, 0);
    EXPECT_FALSE(inspect.toggleOverlay || inspect.togglePause || inspect.screenshots);
}

namespace {

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh, empty folder of the test's own, removed again when the test ends.
struct Folder {
    explicit Folder(const char* name) : path(std::filesystem::temp_directory_path() / name) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    size_t entries() const {
        return size_t(
            std::distance(std::filesystem::directory_iterator(path), std::filesystem::directory_iterator()));
    }
    std::filesystem::path path;
};

} // namespace

TEST(InspectKeys, AScreenshotNeverTakesAnExistingName) {
    const Folder folder("demo-screenshot-names");
    const std::vector<unsigned char> bytes = {'p', 'n', 'g'};
    ScreenshotFile file = writeScreenshotFile(folder.path.string(), bytes);
    ASSERT_TRUE(file.saved) << file.error;
    EXPECT_EQ(file.path, (folder.path / "screenshot-0001.png").string());
    EXPECT_EQ(contentOf(file.path), "png");

    // Files, folders and dangling links all keep their names, and none is written through.
    std::filesystem::remove(file.path);
    std::ofstream(folder.path / "screenshot-0001.png") << "taken";
    std::filesystem::create_directory(folder.path / "screenshot-0002.png");
    const char* firstFree = "screenshot-0003.png";
    if (symbolicLinksAllowed()) {
        std::filesystem::create_symlink("nowhere", folder.path / "screenshot-0003.png");
        firstFree = "screenshot-0004.png";
    }
    file = writeScreenshotFile(folder.path.string(), bytes);
    ASSERT_TRUE(file.saved) << file.error;
    EXPECT_EQ(std::filesystem::path(file.path).filename(), firstFree);
    EXPECT_EQ(contentOf(folder.path / "screenshot-0001.png"), "taken");
    EXPECT_FALSE(std::filesystem::exists(folder.path / "nowhere"));
}

TEST(Screenshots, AFileThatCannotBeWrittenWhollyIsRemovedAndTheReasonGiven) {
    const Folder folder("demo-screenshot-failures");
    {
        // A file size limit stops the write part-way, as a disk that fills up does: the first
        // write is cut short, the next fails. (Windows has no such limit.)
        const FileSizeLimit small(4096);
        ASSERT_EQ(small.active(), FileSizeLimit::available());
        if (small.active()) {
            const ScreenshotFile file =
                writeScreenshotFile(folder.path.string(), std::vector<unsigned char>(20000, 7));
            EXPECT_FALSE(file.saved);
            EXPECT_EQ(file.error,
                      "cannot write " + (folder.path / "screenshot-0001.png").string() + ": File too large");
            EXPECT_EQ(folder.entries(), 0u) << "the cut-off file is left behind";
        }
    }

    // A folder that is gone: nothing is made, and the system's reason is given.
    const ScreenshotFile gone = writeScreenshotFile((folder.path / "gone").string(), {1});
    EXPECT_FALSE(gone.saved);
    EXPECT_NE(gone.error.find(": No such file or directory"), std::string::npos) << gone.error;
}

TEST(Screenshots, TheWriterSavesEveryPictureTakenInOrderAndSkipsPastItsBound) {
    const Folder folder("demo-screenshot-writer");
    std::vector<Picture> pictures;
    {
        ScreenshotWriter writer(folder.path.string(), 8);
        for (int i = 0; i < 5; ++i) {
            Picture picture{3 + i, 2, {}};
            for (int p = 0; p < picture.width * picture.height; ++p)
                picture.rgba.insert(picture.rgba.end(), {(unsigned char)(40 * i), (unsigned char)p, 9, 255});
            pictures.push_back(picture);
            EXPECT_TRUE(writer.submit(picture));
        }
        std::ostringstream out, err;
        writer.finish(out, err);
        EXPECT_EQ(err.str(), "");
        std::string expected;
        for (int i = 1; i <= 5; ++i)
            expected += "Screenshot saved: " +
                        (folder.path / ("screenshot-000" + std::to_string(i) + ".png")).string() + "\n";
        EXPECT_EQ(out.str(), expected);
        EXPECT_FALSE(writer.submit(pictures[0])) << "taken after the end";
        writer.printReports(out, err);
        EXPECT_EQ(err.str(), "Screenshot skipped: the screenshot writer has finished\n");
    }
    for (int i = 0; i < 5; ++i) {
        Picture read;
        ASSERT_TRUE(
            readPng((folder.path / ("screenshot-000" + std::to_string(i + 1) + ".png")).string(), read));
        EXPECT_EQ(read.width, pictures[i].width);
        EXPECT_EQ(read.rgba, pictures[i].rgba) << "screenshot " << i + 1;
    }

    // A picture that takes a while to encode keeps a writer of one busy: the next press is skipped
    // and says so, and the writer saves the first all the same.
    Picture noise{1200, 1200, std::vector<unsigned char>(size_t(1200) * 1200 * 4)};
    unsigned state = 1;
    for (unsigned char& byte : noise.rgba)
        byte = (unsigned char)((state = state * 1103515245u + 12345u) >> 24);
    std::ostringstream out, err;
    ScreenshotWriter writer(folder.path.string(), 1);
    EXPECT_TRUE(writer.submit(noise));
    EXPECT_FALSE(writer.submit(noise));
    writer.finish(out, err);
    EXPECT_EQ(err.str(), "Screenshot skipped: 1 still being saved\n");
    EXPECT_EQ(out.str(), "Screenshot saved: " + (folder.path / "screenshot-0006.png").string() + "\n");
}

TEST(Screenshots, AnEncoderThatThrowsFailsThatScreenshotAloneAndTheWriterGoesOn) {
    // Out of memory while encoding a large window: before, the exception left the worker thread
    // and std::terminate ended the demo.
    const Folder folder("demo-screenshot-throwing");
    int encoded = 0;
    ScreenshotWriter writer(folder.path.string(), 8,
                            [&](const Picture& picture, std::vector<unsigned char>& png) {
                                if (++encoded == 1)
                                    throw std::bad_alloc();
                                if (encoded == 2)
                                    throw std::runtime_error("no encoder for this picture");
                                return encodePng(picture, png);
                            });
    const Picture picture{2, 2, std::vector<unsigned char>(16, 200)};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(writer.submit(picture));
    std::ostringstream out, err;
    writer.finish(out, err);
    EXPECT_EQ(err.str(), "Screenshot not saved: out of memory\n"
                         "Screenshot not saved: no encoder for this picture\n");
    EXPECT_EQ(out.str(), "Screenshot saved: " + (folder.path / "screenshot-0001.png").string() + "\n");
    EXPECT_EQ(folder.entries(), 1u) << "a failed screenshot left a file";
}
