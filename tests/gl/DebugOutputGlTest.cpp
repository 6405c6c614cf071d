#include "app/DebugOutput.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantor;

namespace {

TEST(DebugOutputGl, InstalledCallbackReportsErrorsSynchronously) {
    if (currentDebugEntry() == DebugEntry::None)
        GTEST_SKIP() << "the context has no debug output";
    // The test window has no debug context, so debug output is switched on here by hand.
    glEnable(GL_DEBUG_OUTPUT);
    installDebugOutput();
    EXPECT_TRUE(glIsEnabled(GL_DEBUG_OUTPUT_SYNCHRONOUS));
    void* callback = nullptr;
    glGetPointerv(GL_DEBUG_CALLBACK_FUNCTION, &callback);
    EXPECT_EQ(callback, reinterpret_cast<void*>(&debugCallback));

    ::testing::internal::CaptureStdout();
    glBindTexture(0x1234, 0); // an invalid target: GL_INVALID_ENUM
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    EXPECT_EQ(output.rfind("OpenGL Error: ", 0), 0u) << output;
    EXPECT_NE(output.find(" [Source = API, Type = Error, Severity = High, ID = "), std::string::npos)
        << output;
    EXPECT_EQ(output.back(), '\n');

    glDebugMessageCallback(nullptr, nullptr);
    glDisable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDisable(GL_DEBUG_OUTPUT);
}

// A context without debug output (macOS; Mesa told to hide it) gets no callback, even where the
// lookup by name returns an entry point, and its errors print nothing.
TEST(DebugOutputGl, NothingIsInstalledWithoutDebugOutput) {
    if (currentDebugEntry() != DebugEntry::None)
        GTEST_SKIP() << "the context has debug output";
    installDebugOutput();
    muteShaderCompilerMessages();
    void* callback = nullptr;
    glGetPointerv(GL_DEBUG_CALLBACK_FUNCTION, &callback);
    glGetError(); // the query itself is an error where the entry point is truly missing
    EXPECT_EQ(callback, nullptr);
    ::testing::internal::CaptureStdout();
    glBindTexture(0x1234, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
}

TEST(DebugOutput, TheEntryPointFollowsVersionAndExtensionsAlone) {
    EXPECT_EQ(debugEntryFor(4, 1, {}), DebugEntry::None);
    EXPECT_EQ(debugEntryFor(4, 3, {}), DebugEntry::Core);
    EXPECT_EQ(debugEntryFor(3, 3, {"GL_ARB_debug_output", "GL_KHR_debug"}), DebugEntry::Core);
    EXPECT_EQ(debugEntryFor(3, 3, {"GL_AMD_debug_output", "GL_ARB_debug_output"}), DebugEntry::Arb);
    EXPECT_EQ(debugEntryFor(4, 1, {"GL_AMD_debug_output"}), DebugEntry::Amd);
}

} // namespace
