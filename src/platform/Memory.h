#pragma once
// How much memory the machine has, and how much of it this process holds.

#include <cstdint>

namespace vantor {

// The machine's physical memory in bytes, or 0 when the system does not say.
std::uint64_t installedMemoryBytes();

// This process's resident memory (its working set, on Windows) in bytes, or 0 when unknown.
std::uint64_t residentMemoryBytes();

// The most resident memory (working set, on Windows) this process has held so far, in bytes, or
// 0 when unknown.
std::uint64_t peakResidentMemoryBytes();

} // namespace vantor
