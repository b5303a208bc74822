#include "base/virtual_keys.h"

namespace virtual_keys
{

namespace
{

struct KeyPair {
    int qt;
    int code;
};

// Keys of the keypad that have codes of their own.  Digits are handled apart.
constexpr KeyPair keypadKeys[] = {
    {Qt::Key_Asterisk, KeypadMultiply}, {Qt::Key_Plus, KeypadAdd},
    {Qt::Key_Minus, KeypadSubtract},    {Qt::Key_Period, KeypadDecimal},
    {Qt::Key_Comma, KeypadDecimal}, // the decimal key of some locales
    {Qt::Key_Slash, KeypadDivide},
};

// Everything else, including the shifted symbols of a US keyboard, which Qt
// reports as the symbol while the key's code stays that of the key.
constexpr KeyPair keys[] = {
    {Qt::Key_Backspace, Backspace},
    {Qt::Key_Tab, Tab},
    {Qt::Key_Backtab, Tab},
    {Qt::Key_Return, Enter},
    {Qt::Key_Enter, Enter},
    {Qt::Key_Shift, Shift},
    {Qt::Key_Control, Control},
    {Qt::Key_Alt, Alt},
    {Qt::Key_AltGr, Alt},
    {Qt::Key_Pause, Pause},
    {Qt::Key_CapsLock, CapsLock},
    {Qt::Key_Escape, Escape},
    {Qt::Key_Space, Space},
    {Qt::Key_PageUp, PageUp},
    {Qt::Key_PageDown, PageDown},
    {Qt::Key_End, End},
    {Qt::Key_Home, Home},
    {Qt::Key_Left, Left},
    {Qt::Key_Up, Up},
    {Qt::Key_Right, Right},
    {Qt::Key_Down, Down},
    {Qt::Key_Insert, Insert},
    {Qt::Key_Delete, Delete},
    {Qt::Key_ParenRight, '0'},
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_Semicolon, OemSemicolon},
    {Qt::Key_Colon, OemSemicolon},
    {Qt::Key_Equal, OemPlus},
    {Qt::Key_Plus, OemPlus},
    {Qt::Key_Comma, OemComma},
    {Qt::Key_Less, OemComma},
    {Qt::Key_Minus, OemMinus},
    {Qt::Key_Underscore, OemMinus},
    {Qt::Key_Period, OemPeriod},
    {Qt::Key_Greater, OemPeriod},
    {Qt::Key_Slash, OemSlash},
    {Qt::Key_Question, OemSlash},
    {Qt::Key_QuoteLeft, OemBackquote},
    {Qt::Key_AsciiTilde, OemBackquote},
    {Qt::Key_BracketLeft, OemOpenBracket},
    {Qt::Key_BraceLeft, OemOpenBracket},
    {Qt::Key_Backslash, OemBackslash},
    {Qt::Key_Bar, OemBackslash},
    {Qt::Key_BracketRight, OemCloseBracket},
    {Qt::Key_BraceRight, OemCloseBracket},
    {Qt::Key_Apostrophe, OemQuote},
    {Qt::Key_QuoteDbl, OemQuote},
    {Qt::Key_Menu, Apps},
};

template <std::size_t N> int lookUp(const KeyPair (&table)[N], int qtKey)
{
    for (const KeyPair &pair : table) {
        if (pair.qt == qtKey)
            return pair.code;
    }
    return None;
}

struct NamePair {
    int code;
    const char *name;
};

constexpr NamePair names[] = {
    {Backspace, "Backspace"},
    {Tab, "Tab"},
    {Enter, "Enter"},
    {Shift, "Shift"},
    {Control, "Ctrl"},
    {Alt, "Alt"},
    {Pause, "Pause"},
    {CapsLock, "CapsLock"},
    {Escape, "Esc"},
    {Space, "Space"},
    {PageUp, "PageUp"},
    {PageDown, "PageDown"},
    {End, "End"},
    {Home, "Home"},
    {Left, "Left"},
    {Up, "Up"},
    {Right, "Right"},
    {Down, "Down"},
    {Insert, "Insert"},
    {Delete, "Delete"},
    {Apps, "Menu"},
    {KeypadMultiply, "Num *"},
    {KeypadAdd, "Num +"},
    {KeypadSubtract, "Num -"},
    {KeypadDecimal, "Num ."},
    {KeypadDivide, "Num /"},
    {OemSemicolon, ";"},
    {OemPlus, "="},
    {OemComma, ","},
    {OemMinus, "-"},
    {OemPeriod, "."},
    {OemSlash, "/"},
    {OemBackquote, "`"},
    {OemOpenBracket, "["},
    {OemBackslash, "\\"},
    {OemCloseBracket, "]"},
    {OemQuote, "'"},
};

} // namespace

int fromQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return F1 + (qtKey - Qt::Key_F1);
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return (keypad ? int(Keypad0) : int('0')) + (qtKey - Qt::Key_0);
    if (keypad) {
        if (const int code = lookUp(keypadKeys, qtKey))
            return code;
    }
    return lookUp(keys, qtKey);
}

int shiftState(Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        state |= ShiftBit;
    if (modifiers.testFlag(Qt::ControlModifier))
        state |= ControlBit;
    if (modifiers.testFlag(Qt::AltModifier))
        state |= AltBit;
    return state;
}

QString storedText(int code)
{
    if (code <= 0 || code > 0x10FFFF)
        return QString();
    const char32_t point = char32_t(code);
    return QString::fromUcs4(&point, 1);
}

int codeOfText(const QString &text)
{
    if (text.isEmpty())
        return None;
    const QChar first = text.front();
    if (first.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate())
        return int(QChar::surrogateToUcs4(first, text.at(1)));
    return first.unicode();
}

QString displayName(int code)
{
    if (code == None)
        return QString();
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return QString(QChar(code));
    if (code >= Keypad0 && code <= Keypad9)
        return QStringLiteral("Num %1").arg(code - Keypad0);
    if (code >= F1 && code <= F24)
        return QStringLiteral("F%1").arg(code - F1 + 1);
    for (const NamePair &pair : names) {
        if (pair.code == code)
            return QString::fromLatin1(pair.name);
    }
    return QStringLiteral("#%1").arg(code);
}

} // namespace virtual_keys
