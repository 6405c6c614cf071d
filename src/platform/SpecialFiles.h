#pragma once
// Names that hold no regular file (FIFOs, devices, links), which every reader must refuse or
// follow safely; tests make them with these.

#include <string>

namespace vantor {

// Makes a FIFO at `path`; false where the system has none (Windows) or it cannot be made.
bool makeFifo(const std::string& path);

// A device that reads as bytes for ever ("/dev/zero"); where there is none, the null device
// ("NUL" on Windows).
const char* endlessDevice();

// Whether a process without special rights may make symbolic links (not so on Windows).
bool symbolicLinksAllowed();

} // namespace vantor
