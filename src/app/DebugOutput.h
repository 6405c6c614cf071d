#pragma once
// Turns every GL debug message into one line on standard output.

#include <GL/glew.h>

#include <string>

// "OpenGL Error: <message> [Source = <source>, Type = <type>, Severity = <severity>, ID = <id>]"
// Values missing from the tables read "Unknown".
std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity, const char* message);

void GLAPIENTRY debugCallback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                              const GLchar* message, const void* userParam);

// The AMD callback has a category instead of a source and a type; it fills both fields.
void GLAPIENTRY debugCallbackAMD(GLuint id, GLenum category, GLenum severity, GLsizei length,
                                 const GLchar* message, void* userParam);

// Installs the callback through the first of the core, ARB and AMD entry points the driver
// offers. Needs the context current; does nothing when there is none of the three.
void installDebugOutput();

// Stops the messages whose source is the shader compiler, through the same entry point as
// installDebugOutput: once the demo runs, a compile is a shader reload, which reports its own
// failures (a second copy of the log through the debug output would only repeat it).
void muteShaderCompilerMessages();
