#include "app/DebugOutput.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantor;

namespace {

struct Row {
    GLenum value;
    const char* text;
};

// Formats a message with one field under test and the others fixed, and returns that field.
std::string field(const std::string& line, const std::string& name) {
    const size_t start = line.find(name + " = ");
    if (start == std::string::npos)
        return "<missing>";
    const size_t from = start + name.size() + 3;
    const size_t end = line.find_first_of(",]", from);
    return line.substr(from, end - from);
}

TEST(DebugOutput, ExampleLine) {
    EXPECT_EQ(formatDebugMessage(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, 1282, GL_DEBUG_SEVERITY_HIGH,
                                 "Out of memory"),
              "OpenGL Error: Out of memory [Source = API, Type = Error, Severity = High, ID = 1282]");
}

TEST(DebugOutput, SourceTable) {
    const Row rows[] = {{0x8246, "API"},         {0x8247, "Window System"}, {0x8248, "Shader Compiler"},
                        {0x8249, "Third Party"}, {0x824A, "Application"},   {0x824B, "Other"},
                        {0x9149, "API"},         {0x914A, "Window System"}, {0x914E, "Shader Compiler"},
                        {0x914F, "Application"}, {0x9150, "Other"},         {0x914B, "Unknown"},
                        {0x914C, "Unknown"},     {0x914D, "Unknown"},       {0x824C, "Unknown"},
                        {0, "Unknown"}};
    for (const Row& row : rows) {
        const std::string line =
            formatDebugMessage(row.value, GL_DEBUG_TYPE_ERROR, 1, GL_DEBUG_SEVERITY_LOW, "m");
        EXPECT_EQ(field(line, "Source"), row.text) << std::hex << row.value;
    }
}

TEST(DebugOutput, TypeTable) {
    const Row rows[] = {{0x824C, "Error"},
                        {0x824D, "Deprecated Behavior"},
                        {0x824E, "Undefined Behavior"},
                        {0x824F, "Portability"},
                        {0x8250, "Performance"},
                        {0x8251, "Other"},
                        {0x914B, "Deprecated Behavior"},
                        {0x914C, "Undefined Behavior"},
                        {0x914D, "Performance"},
                        {0x9150, "Other"},
                        {GL_DEBUG_TYPE_MARKER, "Unknown"},
                        {GL_DEBUG_TYPE_PUSH_GROUP, "Unknown"},
                        {GL_DEBUG_TYPE_POP_GROUP, "Unknown"},
                        {0x9149, "Unknown"},
                        {0x914A, "Unknown"},
                        {0x914E, "Unknown"},
                        {0x914F, "Unknown"},
                        {0xFFFFFFFF, "Unknown"}};
    for (const Row& row : rows) {
        const std::string line =
            formatDebugMessage(GL_DEBUG_SOURCE_API, row.value, 1, GL_DEBUG_SEVERITY_LOW, "m");
        EXPECT_EQ(field(line, "Type"), row.text) << std::hex << row.value;
    }
}

TEST(DebugOutput, SeverityTable) {
    const Row rows[] = {{0x9146, "High"},
                        {0x9147, "Medium"},
                        {0x9148, "Low"},
                        {GL_DEBUG_SEVERITY_NOTIFICATION, "Unknown"},
                        {0, "Unknown"}};
    for (const Row& row : rows) {
        const std::string line =
            formatDebugMessage(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, 1, row.value, "m");
        EXPECT_EQ(field(line, "Severity"), row.text) << std::hex << row.value;
    }
}

TEST(DebugOutput, IdIsUnsignedDecimal) {
    EXPECT_EQ(field(formatDebugMessage(0, 0, 4294967295u, 0, ""), "ID"), "4294967295");
    EXPECT_EQ(formatDebugMessage(0, 0, 0, 0, ""),
              "OpenGL Error:  [Source = Unknown, Type = Unknown, Severity = Unknown, ID = 0]");
}

TEST(DebugOutput, CallbacksWriteOneLineEach) {
    ::testing::internal::CaptureStdout();
    debugCallback(GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DEBUG_TYPE_PORTABILITY, 7, GL_DEBUG_SEVERITY_MEDIUM, 99,
                  "first", nullptr);
    // The AMD path's category stands for both the source and the type.
    debugCallbackAMD(3, GL_DEBUG_CATEGORY_PERFORMANCE_AMD, GL_DEBUG_SEVERITY_LOW, 0, "slow", nullptr);
    debugCallbackAMD(4, GL_DEBUG_CATEGORY_API_ERROR_AMD, GL_DEBUG_SEVERITY_HIGH, 0, "bad", nullptr);
    debugCallbackAMD(5, GL_DEBUG_CATEGORY_OTHER_AMD, GL_DEBUG_SEVERITY_NOTIFICATION, 0, "note", nullptr);
    EXPECT_EQ(
        ::testing::internal::GetCapturedStdout(),
        "OpenGL Error: first [Source = Shader Compiler, Type = Portability, Severity = Medium, ID = 7]\n"
        "OpenGL Error: slow [Source = Unknown, Type = Performance, Severity = Low, ID = 3]\n"
        "OpenGL Error: bad [Source = API, Type = Unknown, Severity = High, ID = 4]\n"
        "OpenGL Error: note [Source = Other, Type = Other, Severity = Unknown, ID = 5]\n");
}

} // namespace
