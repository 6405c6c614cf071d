#include "app/DebugOutput.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DebugOutputGl, InstalledCallbackReportsErrorsSynchronously) {
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

} // namespace
