#pragma once
// The renderer's settings a web page's address gives the demo (?set=NAME=VALUE,...), in the
// benchmark's --set form. A desktop run has none: its settings come from the panel alone.

#include "render/RenderSettings.h"

#include <string>

namespace vantor {

// Applies the page's settings to `settings`; false with `failure` naming the bad one. True and
// nothing changed where there are none.
bool applyPageSettings(RenderSettings& settings, std::string& failure);

} // namespace vantor
