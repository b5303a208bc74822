#include "base/key_bindings.h"

#include "base/quoted_records.h"
#include "base/state_file.h"
#include "base/virtual_keys.h"

#include <QList>
#include <QStringDecoder>

namespace
{

struct FunctionInfo {
    const char *field;
    const char *box;
    const char16_t *label;
    char16_t defaultKey;
};

constexpr FunctionInfo functions[KeyBindings::kCount] = {
    {"play", "Text_play", u"再生", u'Q'},
    {"stop", "Text_stop", u"停止", u'W'},
    {"haya", "Text_haya", u"はや送り", u'X'},
    {"maki", "text_maki", u"巻き戻し", u'Z'},
    {"next", "Text_next", u"次の動画", u'S'},
    {"pre", "Text_pre", u"前の動画", u'A'},
    {"tou", "Text_tou", u"等倍速", u'1'},
    {"bai", "Text_bai", u"２倍速", u'2'},
    {"han", "Text_han", u"１／２倍速", u'3'},
    {"add", "Text_add", u"お気に入りに追加", u' '},
    {"cap", "Text_cap", u"サムネイルキャプチャー", u'C'},
    {"nextChapter", "Text_next_chapter", u"次のチャプター", 0},
    {"preChapter", "Text_pre_chapter", u"前のチャプター", 0},
};

// The functions that may not share a key: the nine playback ones and the
// chapter ones.  The add and capture keys never count.
bool isExclusive(int function)
{
    return function < KeyBindings::kPlaybackCount || function >= KeyBindings::kClassicCount;
}

// A real key.ini is a few hundred bytes.
constexpr qint64 kMaxFileSize = 1 << 20;

bool validFunction(int function)
{
    return function >= 0 && function < KeyBindings::kCount;
}

// One line of key.ini as text.  The file is UTF-8; a line that is not (a
// key.ini written in a single-byte encoding, whose keys above 127 are single
// bytes equal to their codes) is taken byte for byte.
QString decodeLine(const QByteArray &line)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(line);
    if (utf8.hasError())
        text = QString::fromLatin1(line);
    return text;
}

// The value of a key line.  The writer does not escape quotes, so the value is
// everything between the first and the last quote: the PageDown key, stored as
// a double quote, reads back from """.  A line with a single quote was cut
// short and holds nothing usable.
QString lineValue(const QString &line)
{
    const qsizetype first = line.indexOf(u'"');
    if (first < 0)
        return state_file::trimBlanks(line).toString();
    const qsizetype last = line.lastIndexOf(u'"');
    if (last == first)
        return QString();
    return line.mid(first + 1, last - first - 1);
}

} // namespace

KeyBindings::KeyBindings()
{
    for (int i = 0; i < kCount; ++i)
        texts_[i] = defaultText(i);
}

const char *KeyBindings::fieldName(int function)
{
    return validFunction(function) ? functions[function].field : "";
}

const char *KeyBindings::boxName(int function)
{
    return validFunction(function) ? functions[function].box : "";
}

QString KeyBindings::label(int function)
{
    return validFunction(function) ? QString::fromUtf16(functions[function].label) : QString();
}

QString KeyBindings::defaultText(int function)
{
    if (!validFunction(function) || functions[function].defaultKey == 0)
        return QString();
    return QString(QChar(functions[function].defaultKey));
}

bool KeyBindings::isUsable(int code)
{
    // Enter, Alt and Esc, like the modifiers and Backspace and Tab, fall
    // outside both ranges.
    return (code >= 32 && code <= 126) || (code >= 160 && code <= 223);
}

QString KeyBindings::text(int function) const
{
    return validFunction(function) ? texts_[function] : QString();
}

int KeyBindings::code(int function) const
{
    return virtual_keys::codeOfText(text(function));
}

bool KeyBindings::matches(int function, int code) const
{
    return code != virtual_keys::None && this->code(function) == code;
}

KeyBindings::Assignment KeyBindings::trySet(int function, int code)
{
    if (!validFunction(function) || !isUsable(code))
        return {Result::Unusable, messageFor(Result::Unusable), function};
    const QString candidate = virtual_keys::storedText(code);
    for (int other = 0; other < kCount; ++other) {
        if (other != function && isExclusive(other) && texts_[other] == candidate)
            return {Result::Clash, messageFor(Result::Clash), function};
    }
    texts_[function] = candidate;
    // The chain ends at the capture box, and again at the last chapter box.
    const bool last = function == Capture || function == kCount - 1;
    return {Result::Ok, messageFor(Result::Ok), last ? function : function + 1};
}

QString KeyBindings::messageFor(Result result)
{
    switch (result) {
    case Result::Ok:
        return QStringLiteral("OK");
    case Result::Clash:
        return QStringLiteral("そのショートカットキーは他の機能に登録されています");
    case Result::Unusable:
        return QStringLiteral("そのキーは使えません");
    }
    return QString();
}

void KeyBindings::resetPlaybackKeys()
{
    for (int i = 0; i < kCount; ++i) {
        if (isExclusive(i))
            texts_[i] = defaultText(i);
    }
}

KeyBindings KeyBindings::fromBytes(const QByteArray &bytes)
{
    KeyBindings keys;
    // Line 1 is the comment; the keys follow in function order, one a line,
    // so a blank line stands for a missing key and shifts none of the others.
    const QList<QByteArray> lines = state_file::splitLines(bytes);
    for (int i = 0; i < kCount && i + 1 < lines.size(); ++i) {
        // One character per key: extra text in an edited file is dropped, and
        // a value no key can produce keeps the default.
        const int code = virtual_keys::codeOfText(lineValue(decodeLine(lines[i + 1])));
        if (isUsable(code))
            keys.texts_[i] = virtual_keys::storedText(code);
    }
    return keys;
}

// Written by hand rather than by the record writer, which would double the
// PageDown key's double quote: a key line holds only one value, so reading
// takes everything between its outer quotes, and """ is the key as key.ini
// has always held it.
QByteArray KeyBindings::toBytes() const
{
    QByteArray bytes;
    const auto addLine = [&bytes](const QString &value) {
        bytes += '"';
        bytes += value.toUtf8();
        bytes += "\"\r\n";
    };
    addLine(QStringLiteral("このファイルを編集しないでください"));
    bool extraKeys = false;
    for (int i = kClassicCount; i < kCount; ++i)
        extraKeys = extraKeys || !texts_[i].isEmpty();
    const int written = extraKeys ? kCount : kClassicCount;
    for (int i = 0; i < written; ++i)
        addLine(texts_[i]);
    return bytes;
}

KeyBindings KeyBindings::load(const QString &programFolder)
{
    const std::optional<QByteArray> bytes = state_file::readWhole(
        programFolder + QLatin1String(kFileName), kMaxFileSize, quoted_records::isRecordFormat);
    return bytes ? fromBytes(*bytes) : KeyBindings();
}

bool KeyBindings::save(const QString &programFolder) const
{
    return state_file::writeWhole(programFolder + QLatin1String(kFileName), toBytes());
}
