#pragma once
// Read-backs of what a frame left behind: the window image and, for debugging the deferred
// renderer, every intermediate target. Needs the Game's GL context current.

#include "Picture.h"

#include <string>

namespace vantor {

class Game;

// Writes the G-buffer (position, normal, colour), the six shadow faces, the lit image, the bright
// image and the blur result as PNG files named <prefix><target>.png. Returns false if one failed.
bool writeIntermediates(const Game& game, const std::string& prefix);

// Non-finite values in the float G-buffer targets (position and normal).
size_t countNonFiniteGBufferValues(const Game& game);

} // namespace vantor
