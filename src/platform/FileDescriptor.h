#pragma once
// Files through the C runtime's descriptors, the numbers that open, read, write and close take
// (createExclusive gives one too).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vantor {

// A descriptor open for reading (binary, not inherited by children) on `path`, or -1 when it
// cannot be opened, is not a regular file (links followed) or holds more than `maxBytes`.
// Opening never blocks: a FIFO is opened without waiting for a writer, then refused. The type
// and size are checked on the open descriptor, so a file swapped after a path check cannot pass.
int openRegularFileForReading(const std::string& path, std::uint64_t maxBytes);

// One read or write of at most `count` bytes: the bytes moved (0 at the end of a file), or -1
// with errno set (EINTR included: the caller decides whether to go on).
long long readDescriptor(int fd, void* into, std::size_t count);
long long writeDescriptor(int fd, const void* from, std::size_t count);

// Closes `fd`: 0, or -1 with errno set (a full disk can show only here).
int closeDescriptor(int fd);

// A C stream over `fd` (std::fdopen), or nullptr; closing the stream closes `fd`.
std::FILE* streamOnDescriptor(int fd, const char* mode);

} // namespace vantor
