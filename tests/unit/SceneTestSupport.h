#pragma once
// Helpers shared by the scene tests: a concrete mesh base to call the readers on, and
// scratch files written at run time.

#include "scene/SceneObject.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace vantor;

namespace scenetest {

class PlainObject : public vantor::scene::SceneObject {
public:
    PlainObject() : SceneObject(glm::mat4(1.0f)) {}
    void update() override {}
    void draw() override {}
};

// A directory of its own per test process, removed with the object.
class ScratchDir {
public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               ("scene_tests_" + std::to_string(::getpid()) + "_" +
                (info ? std::string(info->test_suite_name()) + "_" + info->name() : std::string("x")));
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string write(const std::string& name, const std::string& contents) const {
        const std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary) << contents;
        return file;
    }
    std::filesystem::path path;
};

inline std::string testdata(const std::string& relative) {
    return std::string(TESTDATA_DIR) + "/" + relative;
}

} // namespace scenetest
