#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The record files: the scene files under seen/, resume.ini, searchData.ini,
// dir.ini and key.ini.
//
// Format.  UTF-8 text, one record per line, lines ending with CR LF (CR LF, LF
// or a lone CR when read), no sections.  A record is a list of fields
// separated by commas.  A text field stands in double quotes and runs to the
// next quote that is not doubled: it may hold commas, and a double quote is
// written as two ("clip""A.avi" is clip"A.avi), but never a line break.
// Files written before quotes were doubled hold "”" (U+201D) where a name had
// a double quote; it reads as itself, since it may as well be a real "”".  A
// number stands bare,
// in C notation ("12", "-1", "83.5").  Bytes that are not UTF-8 (a path in
// another encoding) are kept as they are, as native_path keeps them.
// Example:
//
//     "/home/aki/動画/a, b.avi",83.5,1
//
// Reading is forgiving, since the files may have been edited by hand or cut
// short: blanks (space, tab, a byte-order mark) around fields are dropped,
// blank lines are skipped, a text field whose closing quote is missing runs
// to the end of the line, anything between a closing quote and the next comma
// is ignored, and a comma at the end of a line adds an empty bare field.  A
// record may have fewer fields than its reader expects; fieldAt() gives an
// empty field for the missing ones.  No input makes the reader fail.
//
// Writing never produces a line whose fields read back split or shifted.  In a
// text field, a double quote is doubled, and CR and LF become blanks (callers
// that store names refuse names with line breaks instead).  A NUL becomes a
// blank too: a file holding one is not read as text.  Bare fields are meant for numbers;
// the writer drops from them what would change their reading: commas, line
// breaks, NULs, quotes at their start (a quote there opens a text field) and
// blanks around them; a NUL reads as a blank.  Whatever parse() returns,
// write() gives it back unchanged.  A
// record that comes out as a blank line (no fields, or one empty bare field)
// reads back as no record.
namespace quoted_records
{

struct Field {
    QString text;
    bool quoted = false; // true for a text field, false for a bare one

    static Field quotedText(const QString &text);
    static Field integer(qint64 value);
    // Fifteen significant digits, the way the platform turns a double into
    // text: a position of 2.7600000000000002 is written "2.76".  A value
    // that is not finite is written as 0.
    static constexpr int kRealDigits = 15;
    static Field real(double value);

    // The field as a number, quoted or not, when its whole text (blanks
    // aside) is one: a decimal integer, or a finite decimal number.
    std::optional<qint64> toInteger() const;
    std::optional<double> toDouble() const;

    bool operator==(const Field &other) const = default;
};

using Record = QList<Field>;

QList<Record> parse(const QByteArray &content);
QByteArray write(const QList<Record> &records);

// Field index of record, or an empty bare field when the record is shorter.
const Field &fieldAt(const Record &record, qsizetype index);

// Whether content can be a record file of the program's: blank, or with a
// line that opens a text field, as every file the program writes has.  Lines
// of other text ("#" comments, someone else's file) are not.
bool isRecordFormat(const QByteArray &content);

// parse() of the file at path; a missing, unreadable or oversized file has no
// records, nor has one that is not a record file (see isRecordFormat()).
QList<Record> load(const QString &path);
// Replaces the file whole with write(records); false on failure, the old file
// untouched.
bool save(const QString &path, const QList<Record> &records);

} // namespace quoted_records
