#include "app/DebugOutput.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <iostream>
#include <sstream>

namespace vantor {

namespace {

// The AMD category values sit beside the debug-output sources and types, because the AMD
// path passes its category as both.
const char* sourceText(GLenum source) {
    switch (source) {
    case GL_DEBUG_SOURCE_API:
    case GL_DEBUG_CATEGORY_API_ERROR_AMD:
        return "API";
    case GL_DEBUG_SOURCE_WINDOW_SYSTEM:
    case GL_DEBUG_CATEGORY_WINDOW_SYSTEM_AMD:
        return "Window System";
    case GL_DEBUG_SOURCE_SHADER_COMPILER:
    case GL_DEBUG_CATEGORY_SHADER_COMPILER_AMD:
        return "Shader Compiler";
    case GL_DEBUG_SOURCE_THIRD_PARTY:
        return "Third Party";
    case GL_DEBUG_SOURCE_APPLICATION:
    case GL_DEBUG_CATEGORY_APPLICATION_AMD:
        return "Application";
    case GL_DEBUG_SOURCE_OTHER:
    case GL_DEBUG_CATEGORY_OTHER_AMD:
        return "Other";
    default:
        return "Unknown";
    }
}

const char* typeText(GLenum type) {
    switch (type) {
    case GL_DEBUG_TYPE_ERROR:
        return "Error";
    case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
    case GL_DEBUG_CATEGORY_DEPRECATION_AMD:
        return "Deprecated Behavior";
    case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
    case GL_DEBUG_CATEGORY_UNDEFINED_BEHAVIOR_AMD:
        return "Undefined Behavior";
    case GL_DEBUG_TYPE_PORTABILITY:
        return "Portability";
    case GL_DEBUG_TYPE_PERFORMANCE:
    case GL_DEBUG_CATEGORY_PERFORMANCE_AMD:
        return "Performance";
    case GL_DEBUG_TYPE_OTHER:
    case GL_DEBUG_CATEGORY_OTHER_AMD:
        return "Other";
    default:
        return "Unknown";
    }
}

const char* severityText(GLenum severity) {
    switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH:
        return "High";
    case GL_DEBUG_SEVERITY_MEDIUM:
        return "Medium";
    case GL_DEBUG_SEVERITY_LOW:
        return "Low";
    default:
        return "Unknown";
    }
}

} // namespace

std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity, const char* message) {
    const std::string sourceString = sourceText(source);
    const std::string typeString = typeText(type);
    const std::string severityString = severityText(severity);
    std::stringstream stringStream;
    stringStream << "OpenGL Error: " << (message ? message : "") << " [Source = " << sourceString
                 << ", Type = " << typeString << ", Severity = " << severityString << ", ID = " << id << "]";
    return stringStream.str();
}

void GLAPIENTRY debugCallback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei /*length*/,
                              const GLchar* message, const void* /*userParam*/) {
    const std::string error = formatDebugMessage(source, type, id, severity, message);
    std::cout << error << std::endl;
}

void GLAPIENTRY debugCallbackAMD(GLuint id, GLenum category, GLenum severity, GLsizei /*length*/,
                                 const GLchar* message, void* /*userParam*/) {
    const std::string error = formatDebugMessage(category, category, id, severity, message);
    std::cout << error << std::endl;
}

DebugEntry debugEntryFor(int major, int minor, const std::vector<std::string>& extensions) {
    const auto has = [&extensions](const char* name) {
        return std::find(extensions.begin(), extensions.end(), name) != extensions.end();
    };
    if (major > 4 || (major == 4 && minor >= 3) || has("GL_KHR_debug"))
        return DebugEntry::Core;
    if (has("GL_ARB_debug_output"))
        return DebugEntry::Arb;
    if (has("GL_AMD_debug_output"))
        return DebugEntry::Amd;
    return DebugEntry::None;
}

DebugEntry currentDebugEntry() {
    GLint major = 0;
    GLint minor = 0;
    GLint count = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    std::vector<std::string> extensions;
    for (GLint i = 0; i < count; ++i)
        if (const GLubyte* name = glGetStringi(GL_EXTENSIONS, GLuint(i)))
            extensions.emplace_back(reinterpret_cast<const char*>(name));
    return debugEntryFor(major, minor, extensions);
}

namespace {

// An entry point by name, only when the context offers it.
template <typename Function> Function debugFunction(DebugEntry offered, DebugEntry wanted, const char* name) {
    return offered == wanted ? reinterpret_cast<Function>(glfwGetProcAddress(name)) : nullptr;
}

} // namespace

void installDebugOutput() {
    const DebugEntry offered = currentDebugEntry();
    const auto core =
        debugFunction<PFNGLDEBUGMESSAGECALLBACKPROC>(offered, DebugEntry::Core, "glDebugMessageCallback");
    const auto arb = debugFunction<PFNGLDEBUGMESSAGECALLBACKARBPROC>(offered, DebugEntry::Arb,
                                                                     "glDebugMessageCallbackARB");
    const auto amd = debugFunction<PFNGLDEBUGMESSAGECALLBACKAMDPROC>(offered, DebugEntry::Amd,
                                                                     "glDebugMessageCallbackAMD");
    if (core)
        core(debugCallback, nullptr);
    else if (arb)
        arb(debugCallback, nullptr);
    else if (amd)
        amd(debugCallbackAMD, nullptr);
    if (core || arb)
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
}

void muteShaderCompilerMessages() {
    const DebugEntry offered = currentDebugEntry();
    const auto core =
        debugFunction<PFNGLDEBUGMESSAGECONTROLPROC>(offered, DebugEntry::Core, "glDebugMessageControl");
    const auto arb =
        debugFunction<PFNGLDEBUGMESSAGECONTROLARBPROC>(offered, DebugEntry::Arb, "glDebugMessageControlARB");
    const auto amd =
        debugFunction<PFNGLDEBUGMESSAGEENABLEAMDPROC>(offered, DebugEntry::Amd, "glDebugMessageEnableAMD");
    if (core)
        core(GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_FALSE);
    else if (arb)
        arb(GL_DEBUG_SOURCE_SHADER_COMPILER_ARB, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_FALSE);
    else if (amd)
        amd(GL_DEBUG_CATEGORY_SHADER_COMPILER_AMD, 0, 0, nullptr, GL_FALSE);
}

} // namespace vantor
