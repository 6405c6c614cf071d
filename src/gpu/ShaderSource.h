#pragma once
// Text work on GLSL sources and the compiler's logs, free of GL so it is tested without a context.

#include <string>

namespace vantor {

// `code` with `defines` (preprocessor lines) inserted right after its #version line, followed
// by a #line directive so the lines after it keep their numbers in the file (GLSL 3.30 and
// later: "#line N" numbers the next line N). Without a #version line the text goes first.
// Empty `defines` leave `code` as it is.
std::string insertDefines(const std::string& code, const std::string& defines);

// A compiler log whose lines name source string 0 ("0:12(5): error: ..." from Mesa,
// "0(12) : error ..." from others, optionally after "ERROR: " or "WARNING: ") with `path` in its
// place, so each line names the file it is about. Other lines stay as they are; the result ends
// with its last non-blank character.
std::string logNamingFile(const std::string& log, const std::string& path);

// Readies a shader file's bytes for the compiler. A UTF-8 byte-order mark at the start is
// dropped (some editors write one, and the GLSL preprocessor reads it as a stray token). A NUL
// byte makes the file no text at all: GL would read it as the end of the source and compile
// whatever came before, so false, with `nulLine` the line (from 1) of the first one.
bool prepareShaderText(std::string& bytes, int& nulLine);

// The report for a file prepareShaderText refused: "<path>:<line>: not a text file (a NUL byte)".
std::string notTextMessage(const std::string& path, int nulLine);

// Width in texels of the 2D textures that stand in for buffer textures where GL has none
// (WebGL2): element i of such a "buffer" is texel (i % width, i / width).
constexpr int bufferTextureWidth = 2048;

// The text of a GLSL 3.30 core shader as GLSL ES 3.00 (WebGL2) takes it, lines keeping their
// numbers: the #version line becomes "#version 300 es" with default precisions on the same
// line; "samplerBuffer" uniforms (u, i too) become 2D samplers read through texelFetch at
// element (i % bufferTextureWidth, i / bufferTextureWidth); and an "out ... fragColor" without a
// location gets location 0, the binding the desktop gives it by name when linking.
std::string glslForEs(const std::string& code);

// The #version line of this GL's shaders for code that writes its own (the settings panel's
// library): "#version 330 core", or "#version 300 es" in a web page.
const char* glslVersionLine();

} // namespace vantor
