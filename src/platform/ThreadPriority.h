#pragma once
// Background work that must not stretch the frame.

namespace vantor {

// Lowers the calling thread's scheduling priority (this thread alone), so the work it does gets
// the time the frame's own threads leave.
void lowerThisThreadPriority();

} // namespace vantor
