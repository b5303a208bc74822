#pragma once

#include <QString>
#include <Qt>

// The program names keys by Windows virtual-key codes (A = 65, F1 = 112,
// keypad 0 = 96, ...): the dispatch tables and key.ini are written in them.
// These functions translate Qt's key events into those codes, as a US
// keyboard would produce them, and back into text.
namespace virtual_keys
{

// Codes the program refers to by name.
enum Code : int {
    None = 0,
    Backspace = 8,
    Tab = 9,
    Enter = 13,
    Shift = 16,
    Control = 17,
    Alt = 18,
    Pause = 19,
    CapsLock = 20,
    Escape = 27,
    Space = 32,
    PageUp = 33,
    PageDown = 34,
    End = 35,
    Home = 36,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Insert = 45,
    Delete = 46,
    Apps = 93, // the Menu key
    Keypad0 = 96,
    Keypad9 = 105,
    KeypadMultiply = 106,
    KeypadAdd = 107,
    KeypadSubtract = 109,
    KeypadDecimal = 110,
    KeypadDivide = 111,
    F1 = 112,
    F2 = 113,
    F3 = 114,
    F4 = 115,
    F5 = 116,
    F6 = 117,
    F7 = 118,
    F8 = 119,
    F10 = 121,
    F24 = 135,
    OemSemicolon = 186, // ; :
    OemPlus = 187,      // = +
    OemComma = 188,     // , <
    OemMinus = 189,     // - _
    OemPeriod = 190,    // . >
    OemSlash = 191,     // / ?
    OemBackquote = 192, // ` ~
    OemOpenBracket = 219,
    OemBackslash = 220,
    OemCloseBracket = 221,
    OemQuote = 222,
};

// Modifier bits as the key handlers count them.
enum ShiftBits : int { ShiftBit = 1, ControlBit = 2, AltBit = 4 };

// The code of a Qt key.  Qt::KeypadModifier in `modifiers` tells the keypad's
// digits and operators from the main keyboard's; a shifted symbol ("!", "{")
// gives the code of the key it sits on.  0 for keys without a code.
int fromQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

// The modifier state of an event as a sum of ShiftBits.
int shiftState(Qt::KeyboardModifiers modifiers);

// How key.ini and the key boxes hold a code: the one character whose code
// point equals it.  Empty for 0.
QString storedText(int code);
// The reverse: the code point of the first character, 0 for empty text.
int codeOfText(const QString &text);

// A name for people: "A", "7", "F5", "Space", "Num 3", ";" ...  Empty for 0.
QString displayName(int code);

} // namespace virtual_keys
