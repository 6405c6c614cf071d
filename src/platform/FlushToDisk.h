#pragma once
// Making written bytes durable.

namespace vantor {

// Asks the system to put every byte written to `fd` on the disk before returning. Returns 0, or
// the errno value of the failure (a full disk or an exhausted quota can show only here). A file
// system that takes no sync counts as done: the bytes are then as safe as closing makes them.
int flushToDisk(int fd);

} // namespace vantor
