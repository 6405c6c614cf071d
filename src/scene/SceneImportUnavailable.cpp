// The importer of a build made without assimp: every model file is refused with the reason.
#include "scene/SceneImport.h"

namespace vantor {

namespace scene {

bool importScene(const std::string&, SceneData& scene, std::string& why) {
    scene = SceneData();
    why = "this build reads no model files (it was made without assimp)";
    return false;
}

std::string sceneSummaryLine(const std::string& path, const SceneData&) {
    return "Scene loaded: " + path;
}

std::string sceneFailureLine(const std::string& path, const std::string& why) {
    return "Scene not loaded: " + path + ": " + why;
}

} // namespace scene

} // namespace vantor
