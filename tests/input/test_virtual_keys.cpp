// Key events become the virtual-key codes that the key handlers and key.ini
// use, as a US keyboard produces them.

#include "base/key_bindings.h"
#include "base/virtual_keys.h"
#include "input/key_events.h"

#include <QKeyEvent>
#include <QTest>

using namespace virtual_keys;

class TestVirtualKeys : public QObject
{
    Q_OBJECT

private slots:
    void translatesKeysAsAUsKeyboardDoes()
    {
        const Qt::KeyboardModifiers none;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        const Qt::KeyboardModifiers pad = Qt::KeypadModifier;
        const struct {
            int key;
            Qt::KeyboardModifiers modifiers;
            int code;
        } cases[] = {
            // clang-format off
            // Letters are capitals whatever the modifiers; a shifted symbol is
            // the key it sits on.
            {Qt::Key_A, none, 65}, {Qt::Key_Z, shift, 90}, {Qt::Key_0, none, 48},
            {Qt::Key_Exclam, shift, 49}, {Qt::Key_Asterisk, shift, 56},
            {Qt::Key_ParenRight, shift, 48},
            // The keypad has codes of its own, also with Ctrl held.
            {Qt::Key_0, pad, 96}, {Qt::Key_7, pad | Qt::ControlModifier, 103},
            {Qt::Key_Asterisk, pad, 106}, {Qt::Key_Plus, pad, 107}, {Qt::Key_Minus, pad, 109},
            {Qt::Key_Period, pad, 110}, {Qt::Key_Slash, pad, 111}, {Qt::Key_Enter, pad, 13},
            {Qt::Key_Home, pad, 36},
            // Punctuation, plain and shifted.
            {Qt::Key_Semicolon, none, 186}, {Qt::Key_Plus, shift, 187}, {Qt::Key_Less, shift, 188},
            {Qt::Key_Minus, none, 189}, {Qt::Key_Greater, shift, 190},
            {Qt::Key_Question, shift, 191}, {Qt::Key_AsciiTilde, shift, 192},
            {Qt::Key_BraceLeft, shift, 219}, {Qt::Key_Backslash, none, 220},
            {Qt::Key_BracketRight, none, 221}, {Qt::Key_QuoteDbl, shift, 222},
            // Function, editing and control keys.
            {Qt::Key_F1, none, 112}, {Qt::Key_F24, none, 135}, {Qt::Key_Backspace, none, 8},
            {Qt::Key_Backtab, shift, 9}, {Qt::Key_Return, none, 13}, {Qt::Key_Shift, shift, 16},
            {Qt::Key_Control, none, 17}, {Qt::Key_Alt, none, 18}, {Qt::Key_Pause, none, 19},
            {Qt::Key_CapsLock, none, 20}, {Qt::Key_Escape, none, 27}, {Qt::Key_Space, none, 32},
            {Qt::Key_PageUp, none, 33}, {Qt::Key_PageDown, none, 34}, {Qt::Key_End, none, 35},
            {Qt::Key_Left, none, 37}, {Qt::Key_Down, none, 40}, {Qt::Key_Insert, none, 45},
            {Qt::Key_Delete, none, 46},
            // No code, Latin-1 letters among them although their Qt values
            // would pass for usable codes.
            {Qt::Key_F25, none, 0}, {Qt::Key_Meta, none, 0}, {Qt::Key_Adiaeresis, none, 0},
            {Qt::Key_Dead_Grave, none, 0}, {Qt::Key_unknown, none, 0},
            // clang-format on
        };
        for (const auto &c : cases) {
            const QKeyEvent release(QEvent::KeyRelease, c.key, c.modifiers);
            const int code = fromKeyEvent(release);
            QVERIFY2(code == c.code, qPrintable(QStringLiteral("key %1 gave %2, not %3")
                                                    .arg(c.key, 0, 16)
                                                    .arg(code)
                                                    .arg(c.code)));
        }
        QCOMPARE(shiftState(Qt::ControlModifier | Qt::KeypadModifier), 2);
        QCOMPARE(shiftState(Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier), 5);
    }

    void keysAsTextAndByName()
    {
        QCOMPARE(storedText(112), "p"); // F1
        QCOMPARE(storedText(34), "\""); // PageDown
        QCOMPARE(storedText(0), "");
        QCOMPARE(codeOfText(""), 0);
        QCOMPARE(codeOfText("QW"), 81);
        QCOMPARE(codeOfText(QString::fromUtf8("\xF0\x9F\x8E\xAC")), 0x1F3AC);
        for (int code = 1; code < 256; ++code) {
            QCOMPARE(codeOfText(storedText(code)), code);
            if (KeyBindings::isUsable(code))
                QVERIFY(!displayName(code).isEmpty());
        }
        QCOMPARE(displayName(65), "A");
        QCOMPARE(displayName(32), "Space");
        QCOMPARE(displayName(99), "Num 3");
        QCOMPARE(displayName(135), "F24");
        QCOMPARE(displayName(220), "\\");
    }
};

QTEST_GUILESS_MAIN(TestVirtualKeys)
#include "test_virtual_keys.moc"
