#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// The functions the user can put on keys of their choice (eleven with a key
// from the start, two chapter moves without one), with the
// rules of the key page (which keys are allowed, which clash) and the file
// key.ini that keeps them between runs.  Each binding is one character whose
// code point is the virtual-key code of its key (see virtual_keys.h).
class KeyBindings
{
public:
    // In key.ini order, which is also the focus order of the key page.
    enum Function {
        Play,
        Stop,
        FastForward, // haya
        Rewind,      // maki
        Next,
        Previous,
        NormalSpeed,
        DoubleSpeed,
        HalfSpeed,
        AddFavourite,
        Capture,
        // Without a key until the user gives them one; key.ini has their
        // lines only once one of them has a key.
        NextChapter,
        PreviousChapter,
    };
    static constexpr int kCount = 13;
    // The functions key.ini has always held, and which always have a key.
    static constexpr int kClassicCount = 11;
    // Play .. HalfSpeed: the keys that must not share a key with each other,
    // and that "back to defaults" resets.
    static constexpr int kPlaybackCount = 9;

    enum class Result { Ok, Clash, Unusable };
    struct Assignment {
        Result result;
        QString message; // for the status label under the key boxes
        int nextFocus;   // the box that takes the focus now
    };

    static constexpr const char *kFileName = "key.ini";

    KeyBindings(); // the defaults

    // The field's name in the program ("play", "haya", ...), its key box's
    // object name ("Text_play", "text_maki", ...) and its label on the page.
    static const char *fieldName(int function);
    static const char *boxName(int function);
    static QString label(int function);
    static QString defaultText(int function);

    // Whether a key may be bound at all.
    static bool isUsable(int code);

    // The stored character, and the code a released key must have to match.
    QString text(int function) const;
    int code(int function) const;
    bool matches(int function, int code) const;

    // The key page's assignment of `code` to a function: refused when the key
    // is unusable or when one of the playback functions other than this one
    // already holds it (the add and capture keys never count).  On success the
    // focus moves along the chain; after the capture box it stays.
    Assignment trySet(int function, int code);
    // "OK", or why the key was refused.
    static QString messageFor(Result result);

    // Puts the nine playback functions back to their defaults; the add and
    // capture keys stay.  The chapter functions lose their keys.
    void resetPlaybackKeys();

    // key.ini: a comment line and the eleven keys, one quoted character a
    // line, then the two chapter keys ("" for none) when either has a key.
    // Reading never fails: a missing file, line or value gives that function
    // its default.
    static KeyBindings fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;
    static KeyBindings load(const QString &programFolder);
    bool save(const QString &programFolder) const;

    bool operator==(const KeyBindings &other) const = default;

private:
    std::array<QString, kCount> texts_;
};
