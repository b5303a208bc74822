#include "base/keyboard_layout.h"

namespace keyboard_layout
{

namespace
{

// Windows' names for the punctuation keys.
enum Oem : int {
    Oem1 = 186,      // US ";:"   JP ":*"
    OemPlus = 187,   // US "=+"   JP ";+"
    OemComma = 188,  // ",<"
    OemMinus = 189,  // US "-_"   JP "-="
    OemPeriod = 190, // ".>"
    Oem2 = 191,      // "/?"
    Oem3 = 192,      // US "`~"   JP "@`"
    Oem4 = 219,      // US "[{"   JP "[{"
    Oem5 = 220,      // US "\|"   JP the yen key
    Oem6 = 221,      // US "]}"   JP "]}"
    Oem7 = 222,      // US "'\""  JP "^~"
    Oem102 = 226,    // JP "\_" (ro)
};

// X key codes of the physical keys, by their XKB names.
enum Key : int {
    AE01 = 10, // "1" .. AE10 = 19 "0"
    AE10 = 19,
    AE11 = 20,
    AE12 = 21,
    AD11 = 34,
    AD12 = 35,
    AC10 = 47,
    AC11 = 48,
    TLDE = 49,
    BKSL = 51,
    AB08 = 59,
    AB09 = 60,
    AB10 = 61,
    AB11 = 97,  // the ro key of Japanese keyboards
    AE13 = 132, // the yen key of Japanese keyboards
};

int digitRow(int keycode)
{
    if (keycode < AE01 || keycode > AE10)
        return 0;
    return keycode == AE10 ? '0' : '1' + (keycode - AE01);
}

// The same in both layouts.
int commonKey(int keycode)
{
    switch (keycode) {
    case AE11:
        return OemMinus;
    case AB08:
        return OemComma;
    case AB09:
        return OemPeriod;
    case AB10:
        return Oem2;
    default:
        return 0;
    }
}

int usKey(int keycode)
{
    switch (keycode) {
    case AE12:
        return OemPlus;
    case AD11:
        return Oem4;
    case AD12:
        return Oem6;
    case AC10:
        return Oem1;
    case AC11:
        return Oem7;
    case TLDE:
        return Oem3;
    case BKSL:
        return Oem5;
    default:
        return 0;
    }
}

// On the Japanese layout the keys right of "P", "L" and "0" carry other
// symbols, and "]" sits where the US backslash is.
int japaneseKey(int keycode)
{
    switch (keycode) {
    case AE12:
        return Oem7;
    case AE13:
        return Oem5;
    case AD11:
        return Oem3;
    case AD12:
        return Oem4;
    case AC10:
        return OemPlus;
    case AC11:
        return Oem1;
    case BKSL:
        return Oem6;
    case AB11:
        return Oem102;
    default:
        return 0;
    }
}

} // namespace

Layout fromAe12Keysym(uint32_t keysym)
{
    constexpr uint32_t asciicircum = 0x5e;
    return keysym == asciicircum ? Layout::Japanese : Layout::US;
}

int virtualKeyOf(Layout layout, int xKeycode)
{
    if (const int digit = digitRow(xKeycode))
        return digit;
    if (const int common = commonKey(xKeycode))
        return common;
    return layout == Layout::Japanese ? japaneseKey(xKeycode) : usKey(xKeycode);
}

} // namespace keyboard_layout
