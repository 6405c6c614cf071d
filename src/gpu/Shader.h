#pragma once
// One linked GL program built from two (vertex, fragment) or three (vertex, geometry,
// fragment) GLSL files. At start-up any failure while constructing prints a message and ends
// the process, so a Shader whose start-up constructor returns always holds a linked program.
// A program first needed later (a variant, the labels of a view) is built with `BuiltLater`:
// a failure then leaves it unlinked, and it is rebuilt like any other when its files change.
//
// A running program can be rebuilt from its files (`reload`): the Shader stays the same object
// and its `program` is replaced only once the new one has linked, so whoever holds the Shader
// draws with the last program that linked. Owners that keep something looked up in `program`
// (uniform locations, uniforms set once) compare `generation` with the one they looked it up
// for.

#include <GL/glew.h>

#include <optional>
#include <string>
#include <vector>

namespace vantor {

// Preprocessor lines (such as "#define NO_PARALLAX\n") put right after each file's #version
// line, for building variants of one program from the same files; kept across reloads.
struct ShaderDefines {
    std::string lines;
};

class Shader {
public:
    Shader(const std::string& vertexPath, const std::string& fragmentPath,
           const ShaderDefines& defines = ShaderDefines());
    Shader(const std::string& vertexPath, const std::string& geometryPath, const std::string& fragmentPath,
           const ShaderDefines& defines = ShaderDefines());
    // Builds from `files` (two or three, in stage order) through `reload`, never ending the
    // process: after start-up only the frame may go on without a program. On failure `program`
    // stays 0 and the reason waits in `unreportedFailure`.
    struct BuiltLater {};
    Shader(BuiltLater, const std::vector<std::string>& files, const ShaderDefines& defines = ShaderDefines());
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    void use();

    // What a reload came to. On failure `file` is the file that could not be read or
    // compiled, or every file of the program joined by " + " when linking failed, and `log` the
    // compiler's or linker's log with each line naming its file.
    struct ReloadResult {
        bool linked = false;
        std::string file;
        std::string log;
    };
    // Reads, compiles and links the files again. On success the new program takes the place of
    // the old one (which is deleted with its shader objects), keeping the old one's vertex
    // attribute locations, and `generation` goes up by one; on failure nothing changes and
    // nothing new stays allocated. Never ends the process.
    ReloadResult reload();

    // The files the program is built from, in stage order (vertex, geometry, fragment).
    const std::vector<std::string>& files() const { return paths; }
    const std::string& defines() const { return defineLines; }

    GLuint program = 0;
    GLuint vertexShader = 0;
    GLuint geometryShader = 0; // stays 0 in a two-file program
    GLuint fragmentShader = 0;
    bool hasGeometryShader = false;
    // How many reloads have replaced `program` (for a program built later, its first build counts).
    unsigned generation = 0;
    // False only for a program built later that has not built yet.
    bool linked() const { return program != 0; }
    // Why a program built later did not build, until someone reports it (ShaderWatcher does, as
    // it reports a failed reload) and takes it.
    std::optional<ReloadResult> unreportedFailure;

private:
    void loadShader(const std::string& path, GLenum type, GLuint& shader);
    void link();

    std::vector<std::string> paths;
    std::string defineLines;
};

} // namespace vantor
