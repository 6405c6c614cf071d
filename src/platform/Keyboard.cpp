#include "platform/Keyboard.h"

namespace vantor {

bool superKeyIsModifier() {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}

} // namespace vantor
