#pragma once
// Where libFuzzer finds counters a fuzz target keeps itself: an ELF section of that name, read
// on Linux and the other ELF systems only. Elsewhere (Mach-O on macOS, PE on Windows) the section
// name is not even valid, and the counters are an ordinary array.

namespace vantor {

#if defined(__linux__)
#define FUZZER_EXTRA_COUNTERS __attribute__((used, section("__libfuzzer_extra_counters")))
#else
#define FUZZER_EXTRA_COUNTERS
#endif

} // namespace vantor
