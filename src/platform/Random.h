#pragma once
// The C library's rand() and srand(), with GNU libc's sequence on every system, so the lights
// (drawn from a generator that is never seeded) and with them the picture are the same
// everywhere. Other C libraries draw other numbers (Windows' stops at 32767).

namespace vantor {

// The next number in [0, 2^31 - 1], as glibc's rand() gives it; before any seedRandom call, as
// after seedRandom(1).
int nextRandom();

// Restarts the sequence, as glibc's srand(seed).
void seedRandom(unsigned seed);

} // namespace vantor
