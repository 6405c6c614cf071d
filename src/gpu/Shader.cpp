#include "gpu/Shader.h"

#include "gpu/AssetFile.h"
#include "gpu/ShaderSource.h"
#include "gpu/StartupFailure.h"

#include <algorithm>
#include <utility>

namespace vantor {

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

enum class Compiled { yes, notCreated, no };

// Creates `shader` and compiles `code` into it; on a compile failure the name stays (start-up
// leaves it to the process's end, a reload deletes it) and `log` holds the compiler's log.
Compiled compileStage(GLenum type, const std::string& code, GLuint& shader, std::string& log) {
    shader = glCreateShader(type);
    if (shader == 0)
        return Compiled::notCreated;
    // The length, not a terminating zero, ends the text (a NUL is refused before this).
    const GLchar* codePtr = code.c_str();
    const GLint length = GLint(code.size());
    glShaderSource(shader, 1, &codePtr, &length);
    glCompileShader(shader);

    GLint succeded = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &succeded);
    if (succeded == 0 || glIsShader(shader) == GL_FALSE) {
        log = infoLog(shader, glGetShaderiv, glGetShaderInfoLog);
        return Compiled::no;
    }
    return Compiled::yes;
}

// Attaches the stages (a geometry stage of 0 is left out) and links; false with the linker's
// log in `log` when linking failed.
bool attachAndLink(GLuint program, GLuint vertex, GLuint geometry, GLuint fragment, std::string& log) {
    glAttachShader(program, vertex);
    if (geometry != 0)
        glAttachShader(program, geometry);
    glAttachShader(program, fragment);

#ifndef __EMSCRIPTEN__
    glBindFragDataLocation(program, 0, "fragColor");
#endif // WebGL2 has no such call: the ES text gives "fragColor" location 0 itself (glslForEs)
    glLinkProgram(program);

    GLint succeded = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &succeded);
    if (succeded == 0)
        log = infoLog(program, glGetProgramiv, glGetProgramInfoLog);
    return succeded != 0;
}

// The meshes' vertex arrays hold the attribute locations `from` had; binding the same names to
// the same locations before `to` links keeps those arrays right for the new program.
void keepAttributeLocations(GLuint from, GLuint to) {
    GLint count = 0;
    GLint longest = 0;
    glGetProgramiv(from, GL_ACTIVE_ATTRIBUTES, &count);
    glGetProgramiv(from, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH, &longest);
    std::vector<GLchar> name(size_t(std::max(longest, 1)), '\0');
    for (GLint i = 0; i < count; ++i) {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(from, GLuint(i), GLsizei(name.size()), &length, &size, &type, name.data());
        // Built-in inputs (gl_VertexID) have no location and cannot be bound.
        const GLint location = glGetAttribLocation(from, name.data());
        if (location >= 0)
            glBindAttribLocation(to, GLuint(location), name.data());
    }
}

} // namespace

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath, const ShaderDefines& defines)
    : paths{vertexPath, fragmentPath}, defineLines(defines.lines) {
    program = glCreateProgram();
    if (program == 0)
        throw StartupFailure("ERROR: Could not create Program, ", 1, false);
    loadShader(vertexPath, GL_VERTEX_SHADER, vertexShader);
    loadShader(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    link();
    // Listed only once built: a constructor that throws leaves no entry behind.
}

Shader::Shader(const std::string& vertexPath, const std::string& geometryPath,
               const std::string& fragmentPath, const ShaderDefines& defines)
    : paths{vertexPath, geometryPath, fragmentPath}, defineLines(defines.lines) {
    hasGeometryShader = true;
    program = glCreateProgram();
    if (program == 0)
        throw StartupFailure("ERROR: Could not create Program, ", 1, false);
    loadShader(vertexPath, GL_VERTEX_SHADER, vertexShader);
    loadShader(geometryPath, GL_GEOMETRY_SHADER, geometryShader);
    loadShader(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    link();
}

Shader::Shader(BuiltLater, const std::vector<std::string>& files, const ShaderDefines& defines)
    : paths(files), defineLines(defines.lines) {
    hasGeometryShader = files.size() == 3;
    ReloadResult result = reload();
    if (!result.linked)
        unreportedFailure = std::move(result);
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
        throw StartupFailure("Failed to open shader file: " + path, -1, true, assetFolderHint(path));
    int nulLine = 0;
    if (!prepareShaderText(code, nulLine))
        throw StartupFailure(notTextMessage(path, nulLine), -1);

    std::string log;
    switch (compileStage(type, insertDefines(code, defineLines), shader, log)) {
    case Compiled::notCreated:
        throw StartupFailure("Failed to create shader", -1);
    case Compiled::no:
        throw StartupFailure("Failed to compile shader\n" + log, -1);
    case Compiled::yes:
        break;
    }
}

void Shader::link() {
    std::string log;
    if (!attachAndLink(program, vertexShader, geometryShader, fragmentShader, log)) {
        throw StartupFailure("Failed to link shader program\n" + log, -1);
    }
}

Shader::ReloadResult Shader::reload() {
    ReloadResult result;
    const GLenum middle = hasGeometryShader ? GL_GEOMETRY_SHADER : GL_FRAGMENT_SHADER;
    const GLenum types[3] = {GL_VERTEX_SHADER, middle, GL_FRAGMENT_SHADER};
    GLuint stages[3] = {0, 0, 0};
    const auto discard = [&stages] {
        for (GLuint stage : stages)
            glDeleteShader(stage);
    };
    for (size_t i = 0; i < paths.size(); ++i) {
        std::string code;
        std::string log;
        Compiled compiled = Compiled::no;
        int nulLine = 0;
        if (!readAssetFile(paths[i], assetlimits::shaderBytes, code))
            log = "cannot be read (missing, not a regular file, or over 1 MB)";
        else if (!prepareShaderText(code, nulLine))
            log = notTextMessage(paths[i], nulLine);
        else
            compiled = compileStage(types[i], insertDefines(code, defineLines), stages[i], log);
        if (compiled != Compiled::yes) {
            discard();
            result.file = paths[i];
            result.log = compiled == Compiled::notCreated ? "no shader object could be created"
                                                          : logNamingFile(log, paths[i]);
            return result;
        }
    }
    const GLuint vertex = stages[0];
    const GLuint geometry = hasGeometryShader ? stages[1] : 0;
    const GLuint fragment = stages[paths.size() - 1];

    std::string allFiles = paths[0];
    for (size_t i = 1; i < paths.size(); ++i)
        allFiles += " + " + paths[i];
    const GLuint next = glCreateProgram();
    std::string log = "no program object could be created";
    if (next != 0 && program != 0)
        keepAttributeLocations(program, next);
    if (next == 0 || !attachAndLink(next, vertex, geometry, fragment, log)) {
        glDeleteProgram(next);
        discard();
        result.file = allFiles;
        result.log = logNamingFile(log, allFiles);
        return result;
    }

    // A program that is current, or that Mesa still keeps for a stage since it last was, is
    // only flagged by glDeleteProgram. Making the new one current once takes every stage over
    // (it has the same stages); then whatever was current before is current again, the new
    // program in the old one's place.
    // A first build has nothing to take over.
    if (program != 0) {
        GLint current = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        glUseProgram(next);
        if (GLuint(current) != program)
            glUseProgram(GLuint(current));
    }
    glDeleteProgram(program);
    glDeleteShader(vertexShader);
    if (hasGeometryShader)
        glDeleteShader(geometryShader);
    glDeleteShader(fragmentShader);
    program = next;
    vertexShader = vertex;
    geometryShader = geometry;
    fragmentShader = fragment;
    ++generation;
    unreportedFailure.reset();
    result.linked = true;
    return result;
}

} // namespace vantor
