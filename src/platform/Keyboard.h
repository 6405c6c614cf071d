#pragma once
// How the system's keyboard differs between systems.

namespace vantor {

// Whether the Super key (the Windows or Command key) takes part in shortcuts as a modifier. On
// Windows the system keeps the Windows key for itself, and Dear ImGui's GLFW back-end never sets it
// there either.
bool superKeyIsModifier();

} // namespace vantor
