#include "GlTestContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

GLFWwindow* window = nullptr;

class GlEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!glfwInit()) {
            std::fprintf(stderr, "gl_tests: glfwInit failed (is there a display?)\n");
            std::exit(1);
        }
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE); // as macOS requires
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window = glfwCreateWindow(640, 384, "gl_tests", nullptr, nullptr);
        if (!window) {
            std::fprintf(stderr, "gl_tests: no 3.3 core context\n");
            std::exit(1);
        }
        glfwMakeContextCurrent(window);
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            std::fprintf(stderr, "gl_tests: glewInit failed\n");
            std::exit(1);
        }
        glGetError(); // GLEW's probing may leave GL_INVALID_ENUM behind
    }
    void TearDown() override {
        glfwDestroyWindow(window);
        window = nullptr;
        glfwTerminate();
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);

} // namespace

GLFWwindow* glTestWindow() {
    return window;
}
