#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// An INI document, the format of config.ini and color.ini, read and written
// by the rules below.
//
// The text is UTF-8, except that bytes that are not (a path in another
// encoding) are kept as they are: see native_path.  Lines end with CR LF when written, and CR LF,
// LF or a lone CR when read.  A line "[name]" opens the section "name" (the name runs to the last
// "]"; anything after it is ignored).  Under a section, a line "key=value" is an entry: the key
// runs to the first "=", so a value may hold
// "=".  Section names, keys and values are trimmed of blanks (space, tab, a
// byte-order mark); section names and keys compare without regard to case.
// When a section or a key appears twice, the first one counts.
//
// Every other line - blank lines, comments starting with ";", junk, lines
// before the first section - is kept byte for
// byte where it stood, so a user's notes and keys that this program does not
// know survive a save.  Entries are written back in the form "key=value".
//
// New sections go to the end of the document, a new key after the last
// non-blank line of its section, so sections and keys stay in the order in
// which they were first written.
class PrivateProfile
{
public:
    // A missing, unreadable or oversized file reads as an empty document.
    static PrivateProfile load(const QString &path);
    // The document, or nothing when the file cannot be read as a state file
    // (see state_file::readWhole): callers fall back to their defaults then.
    static std::optional<PrivateProfile> read(const QString &path);
    // Whether content can be an INI file: blank, or with a section line.
    // Lines of other text only (comments, someone else's file) are not.
    static bool isProfileFormat(const QByteArray &content);
    static PrivateProfile parse(const QByteArray &content);

    // Replaces the file whole (see state_file::writeWhole); false on failure,
    // the old file untouched.
    bool save(const QString &path) const;
    QByteArray toBytes() const;

    bool contains(const QString &section, const QString &key) const;

    // The value of key, or defaultValue when the section or the key is
    // missing.  No length limit: a long path reads whole.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;

    // The leading decimal number of the value: an optional sign and the digits
    // that follow it ("12abc" is 12, "-7 " is -7).  A value without leading
    // digits ("abc", "-") is 0, a missing key or an empty value is
    // defaultValue.  Numbers beyond the range of int saturate at its ends
    // rather than wrap.
    int readInt(const QString &section, const QString &key, int defaultValue = 0) const;

    // Sets key in section, adding either when missing.  The value is trimmed
    // and a line break in it becomes a blank, since the layout has no room for
    // either.  False, with the document unchanged, when the pair cannot be
    // stored: a key that is empty, holds "=" or a line break, or starts with
    // "[" or ";" (it would read back as a section or a comment), or a section
    // name with a line break.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInt(const QString &section, const QString &key, int value);

    // The sections in document order, and the keys of the first section named
    // section, as spelled in the document.
    QStringList sections() const;
    QStringList keys(const QString &section) const;

private:
    struct Line {
        QString key; // empty for a line that is not an entry
        QString value;
        QByteArray raw; // a line that is not an entry, as read
    };
    struct Section {
        QString name;
        bool hasHeader = true; // false for the lines before the first section
        QList<Line> lines;
    };

    // Positions in sections_ and in a section's lines; -1 when missing.
    qsizetype sectionIndex(const QString &name) const;
    static qsizetype keyIndex(const Section &section, const QString &key);
    const Line *entry(const QString &section, const QString &key) const;

    QList<Section> sections_;
};
