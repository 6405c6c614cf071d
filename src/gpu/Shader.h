#pragma once
// One linked GL program built from two (vertex, fragment) or three (vertex, geometry,
// fragment) GLSL files. Any failure prints a message and ends the process, so a Shader
// whose constructor returns always holds a linked program.

#include <GL/glew.h>

#include <string>

// Preprocessor lines put into every stage of a program right after its "#version" line, so one
// set of files makes several variants of a program ("#define NO_PARALLAX\n").
struct ShaderDefines {
    std::string lines;
};

class Shader {
public:
    Shader(const std::string& vertexPath, const std::string& fragmentPath);
    Shader(const std::string& vertexPath, const std::string& fragmentPath, ShaderDefines defines);
    Shader(const std::string& vertexPath, const std::string& geometryPath, const std::string& fragmentPath);
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    void use();

    GLuint program = 0;
    GLuint vertexShader = 0;
    GLuint geometryShader = 0; // stays 0 in a two-file program
    GLuint fragmentShader = 0;
    bool hasGeometryShader = false;
    ShaderDefines defines;

private:
    void loadShader(const std::string& path, GLenum type, GLuint& shader);
    void link();
};
