#pragma once
// Where a key lies on the keyboard, whatever the layout says it types. X11
// and Wayland both report the xkb key code of the key pressed.
#include <cstdint>

namespace platform {

// The letter that the key with this native scan code types on a US
// keyboard ('A'..'Z'), or 0 for a key that is no letter there.
char UsLetterAtKey(std::uint32_t nativeScanCode);

} // namespace platform
