#include "input/KeyRecord.h"

namespace vantor {

namespace input {

namespace {

bool known(int key, int count) {
    return key >= 0 && key < count;
}

} // namespace

bool KeyRecord::press(int key) {
    if (typing || !known(key, kKeyCount))
        return false;
    keys[key].down = true;
    ++keys[key].presses;
    return true;
}

void KeyRecord::release(int key) {
    if (known(key, kKeyCount))
        keys[key].down = false;
}

bool KeyRecord::active(int key) const {
    return known(key, kKeyCount) && (keys[key].down || keys[key].presses > 0);
}

int KeyRecord::presses(int key) const {
    return known(key, kKeyCount) ? keys[key].presses : 0;
}

void KeyRecord::endUpdate() {
    for (State& state : keys)
        state.presses = 0;
}

} // namespace input

} // namespace vantor
