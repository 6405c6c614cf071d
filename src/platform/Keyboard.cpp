#include "platform/Keyboard.h"

bool superKeyIsModifier() {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}
