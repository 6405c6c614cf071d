#pragma once
// Turns every GL debug message into one line on standard output.

#include <GL/glew.h>

#include <string>
#include <vector>

namespace vantor {

// "OpenGL Error: <message> [Source = <source>, Type = <type>, Severity = <severity>, ID = <id>]"
// Values missing from the tables read "Unknown".
std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity, const char* message);

void GLAPIENTRY debugCallback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                              const GLchar* message, const void* userParam);

// The AMD callback has a category instead of a source and a type; it fills both fields.
void GLAPIENTRY debugCallbackAMD(GLuint id, GLenum category, GLenum severity, GLsizei length,
                                 const GLchar* message, void* userParam);

// The debug-output entry points a context offers, first choice first: core (GL 4.3, or
// GL_KHR_debug), ARB (GL_ARB_debug_output), AMD (GL_AMD_debug_output). Decided from the version
// and the extension string alone: a lookup by name may return a stub for any name (Mesa does),
// and macOS has no debug output at all.
enum class DebugEntry { None, Core, Arb, Amd };
DebugEntry debugEntryFor(int major, int minor, const std::vector<std::string>& extensions);
// The same for the current context.
DebugEntry currentDebugEntry();

// Installs the callback through the first of the core, ARB and AMD entry points the context
// offers. Needs the context current; does nothing, and says nothing, when it offers none.
void installDebugOutput();

// Stops the messages whose source is the shader compiler, through the same entry point as
// installDebugOutput: once the demo runs, a compile is a shader reload, which reports its own
// failures (a second copy of the log through the debug output would only repeat it).
void muteShaderCompilerMessages();

} // namespace vantor
