#pragma once
// The frame loop: on a desktop a plain loop; in a web page the browser's animation frames
// (a page must never block), where the call does not return and `frame` and what it refers to
// must outlive the caller's stack.

#include <functional>

namespace vantor {

// Calls `frame` once per frame until it returns false.
void runFrameLoop(std::function<bool()> frame);

// False where the program has one thread only (a page built without threads): work meant for a
// thread of its own is done in place.
bool threadsAvailable();

} // namespace vantor
