#include "gpu/Shader.h"
#include "gpu/StartupFailure.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

using namespace vantor;

namespace {

const char* const vertexSource = R"(#version 330 core
in vec3 position;
out vec3 colour;
void main() {
    colour = position;
    gl_Position = vec4(position, 1.0);
}
)";

const char* const geometrySource = R"(#version 330 core
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;
in vec3 colour[];
out vec3 fragmentColour;
void main() {
    for (int i = 0; i < 3; ++i) {
        fragmentColour = colour[i];
        gl_Position = gl_in[i].gl_Position;
        EmitVertex();
    }
    EndPrimitive();
}
)";

// Two outputs, so only the binding made before linking decides which one is colour 0.
const char* const fragmentSource = R"(#version 330 core
in vec3 colour;
out vec4 aaaFirstByName;
out vec4 fragColor;
void main() {
    aaaFirstByName = vec4(1.0);
    fragColor = vec4(colour, 1.0);
}
)";

const char* const geometryFragmentSource = R"(#version 330 core
in vec3 fragmentColour;
out vec4 fragColor;
void main() { fragColor = vec4(fragmentColour, 1.0); }
)";

std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

std::string missing(const std::string& name) {
    return ::testing::TempDir() + "shader_test_missing_" + name;
}

GLint programValue(GLuint program, GLenum name) {
    GLint value = -1;
    glGetProgramiv(program, name, &value);
    return value;
}

TEST(Shader, TwoFileProgramLinksWithoutGeometry) {
    Shader shader(writeFile("two.vert", vertexSource), writeFile("two.frag", fragmentSource));
    EXPECT_NE(shader.program, 0u);
    EXPECT_EQ(programValue(shader.program, GL_LINK_STATUS), GL_TRUE);
    EXPECT_EQ(programValue(shader.program, GL_ATTACHED_SHADERS), 2);
    EXPECT_FALSE(shader.hasGeometryShader);
    EXPECT_EQ(shader.geometryShader, 0u);
    EXPECT_TRUE(glIsShader(shader.vertexShader));
    EXPECT_TRUE(glIsShader(shader.fragmentShader));
    EXPECT_EQ(glGetFragDataLocation(shader.program, "fragColor"), 0);

    shader.use();
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(GLuint(current), shader.program);
    glUseProgram(0);
}

TEST(Shader, ThreeFileProgramAttachesTheGeometryStage) {
    Shader shader(writeFile("three.vert", vertexSource), writeFile("three.geom", geometrySource),
                  writeFile("three.frag", geometryFragmentSource));
    EXPECT_EQ(programValue(shader.program, GL_LINK_STATUS), GL_TRUE);
    EXPECT_EQ(programValue(shader.program, GL_ATTACHED_SHADERS), 3);
    EXPECT_TRUE(shader.hasGeometryShader);
    EXPECT_TRUE(glIsShader(shader.geometryShader));
    EXPECT_EQ(glGetFragDataLocation(shader.program, "fragColor"), 0);
}

TEST(Shader, DestructorDeletesProgramAndShaders) {
    GLuint program = 0, vertex = 0, geometry = 0, fragment = 0;
    {
        Shader shader(writeFile("gone.vert", vertexSource), writeFile("gone.geom", geometrySource),
                      writeFile("gone.frag", geometryFragmentSource));
        program = shader.program;
        vertex = shader.vertexShader;
        geometry = shader.geometryShader;
        fragment = shader.fragmentShader;
    }
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsShader(vertex));
    EXPECT_FALSE(glIsShader(geometry));
    EXPECT_FALSE(glIsShader(fragment));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Builds a shader that must fail, and checks it fails as a start-up failure with status -1 and
// the console pause; returns what the program prints on standard output for it.
template <typename Build> std::string outputOfFailedBuild(const std::string& name, Build build) {
    try {
        build();
    } catch (const StartupFailure& failure) {
        std::ostringstream out, err;
        EXPECT_EQ(printStartupFailure(failure, out, err), -1) << name;
        EXPECT_TRUE(failure.pause) << name;
        return out.str();
    }
    ADD_FAILURE() << name << ": the build did not fail";
    return std::string();
}

TEST(ShaderFailure, MissingFilesAreNamedInStageOrder) {
    const std::string vert = writeFile("ok.vert", vertexSource);
    const std::string geom = writeFile("ok.geom", geometrySource);
    const std::string frag = writeFile("ok.frag", geometryFragmentSource);

    EXPECT_EQ(outputOfFailedBuild("vertex", [&] { Shader s(missing("a.vert"), missing("a.frag")); }),
              "Failed to open shader file: " + missing("a.vert") + "\n");
    EXPECT_EQ(outputOfFailedBuild("vertex3",
                                  [&] { Shader s(missing("b.vert"), missing("b.geom"), missing("b.frag")); }),
              "Failed to open shader file: " + missing("b.vert") + "\n");
    EXPECT_EQ(outputOfFailedBuild("geometry", [&] { Shader s(vert, missing("c.geom"), missing("c.frag")); }),
              "Failed to open shader file: " + missing("c.geom") + "\n");
    EXPECT_EQ(outputOfFailedBuild("fragment", [&] { Shader s(vert, geom, missing("d.frag")); }),
              "Failed to open shader file: " + missing("d.frag") + "\n");
    EXPECT_EQ(outputOfFailedBuild("fragment2", [&] { Shader s(vert, missing("e.frag")); }),
              "Failed to open shader file: " + missing("e.frag") + "\n");
    // A directory opens but cannot be read: reported like a missing file.
    EXPECT_EQ(outputOfFailedBuild("directory", [&] { Shader s(::testing::TempDir(), frag); }),
              "Failed to open shader file: " + ::testing::TempDir() + "\n");
}

TEST(ShaderFailure, CompileErrorPrintsTheLogButNotThePath) {
    const std::string broken = writeFile("broken.frag", "#version 330 core\nout vec4 fragColor;\n"
                                                        "void main() { fragColor = undeclaredThing; }\n");
    const std::string output =
        outputOfFailedBuild("compile", [&] { Shader s(writeFile("c.vert", vertexSource), broken); });
    EXPECT_EQ(output.rfind("Failed to compile shader\n", 0), 0u) << output;
    EXPECT_NE(output.find("undeclaredThing"), std::string::npos) << output;
    EXPECT_EQ(output.find("broken.frag"), std::string::npos) << output;
    EXPECT_EQ(output.back(), '\n');
}

TEST(ShaderFailure, LinkErrorPrintsTheProgramLog) {
    const std::string noMain =
        writeFile("nomain.vert", "#version 330 core\nin vec3 position;\n"
                                 "void notMain() { gl_Position = vec4(position, 1.0); }\n");
    const std::string output =
        outputOfFailedBuild("link", [&] { Shader s(noMain, writeFile("l.frag", geometryFragmentSource)); });
    EXPECT_EQ(output.rfind("Failed to link shader program\n", 0), 0u) << output;
    EXPECT_GT(output.size(), std::string("Failed to link shader program\n\n").size()) << output;
    EXPECT_EQ(output.back(), '\n');
}

} // namespace
