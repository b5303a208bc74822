#include "base/quoted_records.h"

#include "base/native_path.h"
#include "base/state_file.h"

#include <cmath>

namespace quoted_records
{

namespace
{

// The text of a field opened by the quote before `from`, a doubled quote
// read as one; the position of the closing quote, or -1 when the line ends
// first.
qsizetype readQuotedText(QStringView line, qsizetype from, QString &text)
{
    while (true) {
        const qsizetype quote = line.indexOf(u'"', from);
        if (quote < 0) {
            text += line.sliced(from);
            return -1;
        }
        text += line.sliced(from, quote - from);
        if (quote + 1 >= line.size() || line[quote + 1] != u'"')
            return quote;
        text += u'"';
        from = quote + 2;
    }
}

Record parseLine(QStringView line)
{
    Record record;
    const qsizetype n = line.size();
    qsizetype pos = 0;
    while (true) {
        while (pos < n && state_file::isBlank(line[pos]))
            ++pos;
        Field field;
        qsizetype comma;
        if (pos < n && line[pos] == u'"') {
            field.quoted = true;
            const qsizetype close = readQuotedText(line, pos + 1, field.text);
            comma = close < 0 ? -1 : line.indexOf(u',', close + 1);
        } else {
            comma = line.indexOf(u',', pos);
            const qsizetype end = comma < 0 ? n : comma;
            field.text = state_file::trimBlanks(line.sliced(pos, end - pos)).toString();
        }
        record.append(field);
        if (comma < 0)
            return record;
        pos = comma + 1;
    }
}

QString writableText(const Field &field)
{
    QString text = field.text;
    if (field.quoted) {
        // A NUL would make the whole file read as not text.
        text.replace(u'"', QStringLiteral("\"\""))
            .replace(u'\r', u' ')
            .replace(u'\n', u' ')
            .replace(QChar(0), u' ');
        return u'"' + text + u'"';
    }
    // A quote inside a bare field reads back as it is; one at its start would
    // open a text field.
    text.remove(u',').remove(u'\r').remove(u'\n').remove(QChar(0));
    qsizetype start = 0;
    while (start < text.size() && (text[start] == u'"' || state_file::isBlank(text[start])))
        ++start;
    return state_file::trimBlanks(QStringView(text).sliced(start)).toString();
}

} // namespace

Field Field::quotedText(const QString &text)
{
    return {text, true};
}

Field Field::integer(qint64 value)
{
    return {QString::number(value), false};
}

Field Field::real(double value)
{
    if (!std::isfinite(value))
        value = 0;
    return {QString::number(value, 'g', kRealDigits), false};
}

std::optional<qint64> Field::toInteger() const
{
    bool ok = false;
    const qint64 value = state_file::trimBlanks(text).toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<double> Field::toDouble() const
{
    bool ok = false;
    const double value = state_file::trimBlanks(text).toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

QList<Record> parse(const QByteArray &content)
{
    QList<Record> records;
    for (const QByteArray &bytes : state_file::splitLines(content)) {
        // As the writer writes it: no field holds a NUL.
        const QString line = native_path::decode(bytes).replace(QChar(0), u' ');
        if (!state_file::trimBlanks(line).isEmpty())
            records.append(parseLine(line));
    }
    return records;
}

QByteArray write(const QList<Record> &records)
{
    QString out;
    for (const Record &record : records) {
        for (qsizetype i = 0; i < record.size(); ++i) {
            if (i > 0)
                out += u',';
            out += writableText(record[i]);
        }
        out += u"\r\n";
    }
    return native_path::encode(out);
}

const Field &fieldAt(const Record &record, qsizetype index)
{
    static const Field empty;
    return index >= 0 && index < record.size() ? record[index] : empty;
}

bool isRecordFormat(const QByteArray &content)
{
    return state_file::holdsLineStartingWith(content, "\"");
}

QList<Record> load(const QString &path)
{
    const std::optional<QByteArray> content =
        state_file::readWhole(path, state_file::kDefaultReadLimit, isRecordFormat);
    return content ? parse(*content) : QList<Record>();
}

bool save(const QString &path, const QList<Record> &records)
{
    return state_file::writeWhole(path, write(records));
}

} // namespace quoted_records
