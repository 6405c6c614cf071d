#pragma once
// Text work on GLSL sources and the compiler's logs, free of GL so it is tested without a context.

#include <string>

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
