#pragma once
// The sample model files in tests/data/scenes (see its README), loaded the one way every scene
// test loads them: through the importer the demo uses, a failure reported with the file and the
// importer's reason.

#include "scene/SceneImport.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantor;

// A build made without assimp refuses every model file: there is nothing to check.
#ifndef DEMO_HAVE_ASSIMP
#define SKIP_WITHOUT_ASSIMP() GTEST_SKIP() << "built without assimp"
#else
#define SKIP_WITHOUT_ASSIMP() (void)0
#endif

namespace scenesamples {

inline const std::string directory = std::string(TESTDATA_DIR) + "/scenes/";

// `file` relative to the samples' directory, e.g. "spider/spider.obj".
inline vantor::scene::SceneData load(const std::string& file) {
    vantor::scene::SceneData scene;
    std::string why;
    EXPECT_TRUE(vantor::scene::importScene(directory + file, scene, why)) << file << ": " << why;
    return scene;
}

} // namespace scenesamples
