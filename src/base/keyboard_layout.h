#pragma once

#include <cstdint>

// The virtual-key codes that a layout's own Windows keyboard driver gives the
// keys whose symbols differ between layouts: the digit row and the
// punctuation keys.  Keys are named by their X key codes (evdev codes + 8),
// which tell the physical key whatever the layout; a shifted symbol never
// changes the code.
namespace keyboard_layout
{

enum class Layout { US, Japanese };

// The X key code of the key right of "-" (AE12): "=" on a US keyboard, "^" on
// a Japanese one; its unshifted symbol tells the two apart.
constexpr int kAe12Keycode = 21;

// The layout whose key AE12 carries this unshifted keysym.
Layout fromAe12Keysym(uint32_t keysym);

// The code of a physical key in a layout; 0 for keys that are not on the
// digit row or punctuation keys (their symbols tell their codes).
int virtualKeyOf(Layout layout, int xKeycode);

} // namespace keyboard_layout
