#include "gpu/Shader.h"

#include "gpu/AssetFile.h"
#include "gpu/Fatal.h"

#include <iostream>
#include <utility>

namespace {

// The log of a shader or a program, through that kind's pair of GL queries. The length GL
// reports includes the terminating zero; a length of 0 (no log) must still give a valid, empty
// text, so the buffer is never read past what GL wrote.
std::string infoLog(GLuint name, PFNGLGETSHADERIVPROC getLength, PFNGLGETSHADERINFOLOGPROC getLog) {
    GLint logSize = 0;
    getLength(name, GL_INFO_LOG_LENGTH, &logSize);
    std::string log(logSize > 0 ? logSize : 0, '\0');
    if (logSize > 0)
        getLog(name, logSize, nullptr, log.data());
    return log.c_str();
}

// `lines` after the first line (the "#version" line), followed by a #line directive so the
// compiler's messages keep the file's own line numbers.
std::string withDefines(const std::string& code, const std::string& lines) {
    if (lines.empty())
        return code;
    const size_t firstLineEnd = code.find('\n');
    if (firstLineEnd == std::string::npos)
        return code + "\n" + lines + "\n#line 2\n";
    return code.substr(0, firstLineEnd + 1) + lines + "\n#line 2\n" + code.substr(firstLineEnd + 1);
}

} // namespace

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath)
    : Shader(vertexPath, fragmentPath, ShaderDefines{}) {}

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath, ShaderDefines defines)
    : defines(std::move(defines)) {
    program = glCreateProgram();
    if (program == 0)
        fatalExit("ERROR: Could not create Program, ", 1, false);
    loadShader(vertexPath, GL_VERTEX_SHADER, vertexShader);
    loadShader(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    link();
}

Shader::Shader(const std::string& vertexPath, const std::string& geometryPath,
               const std::string& fragmentPath) {
    hasGeometryShader = true;
    program = glCreateProgram();
    if (program == 0)
        fatalExit("ERROR: Could not create Program, ", 1, false);
    loadShader(vertexPath, GL_VERTEX_SHADER, vertexShader);
    loadShader(geometryPath, GL_GEOMETRY_SHADER, geometryShader);
    loadShader(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    link();
}

Shader::~Shader() {
    glDeleteProgram(program);
    glDeleteShader(vertexShader);
    if (hasGeometryShader)
        glDeleteShader(geometryShader);
    glDeleteShader(fragmentShader);
}

void Shader::use() {
    glUseProgram(program);
}

void Shader::loadShader(const std::string& path, GLenum type, GLuint& shader) {
    // A path that is not a regular file of at most 1 MB, or that opens but cannot be read,
    // counts as one that cannot be opened.
    std::string code;
    if (!readAssetFile(path, assetlimits::shaderBytes, code))
        fatalExit("Failed to open shader file: " + path, -1, true, assetFolderHint(path));

    shader = glCreateShader(type);
    if (shader == 0)
        fatalExit("Failed to create shader", -1);

    code = withDefines(code, defines.lines);
    const GLchar* codePtr = code.c_str();
    glShaderSource(shader, 1, &codePtr, nullptr);
    glCompileShader(shader);

    GLint succeded = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &succeded);
    if (succeded == 0 || glIsShader(shader) == GL_FALSE) {
        const std::string log = infoLog(shader, glGetShaderiv, glGetShaderInfoLog);
        std::cout << "Failed to compile shader" << std::endl;
        fatalExit(log, -1);
    }
}

void Shader::link() {
    glAttachShader(program, vertexShader);
    if (hasGeometryShader)
        glAttachShader(program, geometryShader);
    glAttachShader(program, fragmentShader);

    glBindFragDataLocation(program, 0, "fragColor");
    glLinkProgram(program);

    GLint succeded = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &succeded);
    if (succeded == 0) {
        const std::string log = infoLog(program, glGetProgramiv, glGetProgramInfoLog);
        std::cout << "Failed to link shader program" << std::endl;
        fatalExit(log, -1);
    }
}
