#pragma once
// The console's wait for a key, so a message stays readable before the window closes.

namespace vantor {

// Waits for the user: on Windows the console's own PAUSE ("Press any key to continue . . .");
// elsewhere a prompt on standard error and a wait for Enter (or the end of input). Callers check
// standardInputIsTerminal() first: with no one at the console it would wait for nothing.
void waitForConsoleKey();

} // namespace vantor
