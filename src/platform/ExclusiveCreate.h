#pragma once
// Creating a file only when its name is free.

#include <string>

namespace vantor {

// Opens a new file at `path` for writing, with read and write permission for its owner (and
// read for others, where the system has others). Fails with errno EEXIST when anything holds
// the name, even a dangling link, so of two writers racing for one name exactly one gets it.
// Returns a C runtime file descriptor (write and close it with the runtime's calls), or -1 with
// errno set.
int createExclusive(const std::string& path);
// Closes a descriptor createExclusive returned; 0, or -1 with errno set.
int closeCreated(int fd);

} // namespace vantor
