#include "base/mime_apps.h"

#include "base/native_path.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace mime_apps
{
namespace
{

const char kAdded[] = "Added Associations";
const char kRemoved[] = "Removed Associations";
const char kDefault[] = "Default Applications";

bool isHeader(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

QString headerName(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    return QString::fromUtf8(trimmed.mid(1, trimmed.size() - 2));
}

// The key of a "key=value" line; empty for a comment, a header or a blank.
QString keyOf(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    const qsizetype equals = trimmed.indexOf('=');
    if (trimmed.startsWith('#') || equals <= 0)
        return {};
    return QString::fromUtf8(trimmed.left(equals).trimmed());
}

QStringList valuesOf(const QByteArray &line)
{
    QStringList values;
    const QByteArray value = line.mid(line.indexOf('=') + 1).trimmed();
    for (const QByteArray &part : value.split(';')) {
        const QString entry = QString::fromUtf8(part.trimmed());
        if (!entry.isEmpty())
            values << entry;
    }
    return values;
}

QByteArray listLine(const QString &mimeType, const QStringList &values, bool crlf)
{
    return (mimeType + '=' + values.join(';') + ';').toUtf8() + (crlf ? "\r" : "");
}

// Where one section's lines lie: its header and the line after its last line
// that is not blank (where a new key goes).  header is -1 when missing.
struct SectionSpan {
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionSpan findSection(const QList<QByteArray> &lines, const QString &section)
{
    SectionSpan span;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isHeader(lines[i])) {
            if (span.header >= 0)
                break;
            if (headerName(lines[i]) == section)
                span = {i, i + 1};
        } else if (span.header >= 0 && !lines[i].trimmed().isEmpty()) {
            span.end = i + 1;
        }
    }
    return span;
}

qsizetype findKey(const QList<QByteArray> &lines, const SectionSpan &span, const QString &key)
{
    for (qsizetype i = span.header + 1; span.header >= 0 && i < span.end; ++i) {
        if (keyOf(lines[i]) == key)
            return i;
    }
    return -1;
}

QStringList listed(const QByteArray &text, const char *section, const QString &mimeType)
{
    const QList<QByteArray> lines = text.split('\n');
    const qsizetype at = findKey(lines, findSection(lines, QString::fromUtf8(section)), mimeType);
    return at < 0 ? QStringList() : valuesOf(lines[at]);
}

// Rewrites the one list of mimeType in section by edit; a list left empty
// loses its line, a list that does not change leaves the text as it was.
QByteArray editList(const QByteArray &text, const char *section, const QString &mimeType,
                    const std::function<QStringList(QStringList)> &edit)
{
    if (!isAssociable(mimeType))
        return text;
    QList<QByteArray> lines = text.split('\n');
    const SectionSpan span = findSection(lines, QString::fromUtf8(section));
    const qsizetype at = findKey(lines, span, mimeType);
    const QStringList before = at < 0 ? QStringList() : valuesOf(lines[at]);
    const QStringList after = edit(before);
    if (after == before)
        return text;

    if (at >= 0 && after.isEmpty()) {
        lines.removeAt(at);
    } else if (at >= 0) {
        lines[at] = listLine(mimeType, after, lines[at].endsWith('\r'));
    } else if (span.header >= 0) {
        lines.insert(span.end, listLine(mimeType, after, lines[span.header].endsWith('\r')));
    } else {
        // A new section at the end, after a blank line.
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (!lines.isEmpty())
            lines << QByteArray();
        lines << '[' + QByteArray(section) + ']' << listLine(mimeType, after, false)
              << QByteArray();
    }
    return lines.join('\n');
}

QStringList without(QStringList values, const QString &desktopId)
{
    values.removeAll(desktopId);
    return values;
}

// The desktop entry specification's form of one Exec argument: as it is
// unless it holds a reserved character, otherwise quoted with ", `, $ and \
// escaped; then the escapes of a string value (which double the backslashes
// once more).  xdg-utils reads the program from an unquoted value only, so
// a quote is written only where it is needed.
QString execArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString quoted;
    for (const QChar c : argument) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\'))
            quoted += '\\';
        quoted += c;
    }
    if (needsQuotes)
        quoted = '"' + quoted + '"';
    QString value;
    for (const QChar c : quoted) {
        if (c == '\\')
            value += QStringLiteral("\\\\");
        else if (c == '\n')
            value += QStringLiteral("\\n");
        else if (c == '\t')
            value += QStringLiteral("\\t");
        else if (c == '\r')
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

} // namespace

bool isAssociable(const QString &mimeType)
{
    return mimeType.contains('/') && mimeType != "application/octet-stream";
}

bool isAssociated(const QByteArray &text, const QString &mimeType, const QString &desktopId)
{
    return isAssociable(mimeType) && listed(text, kAdded, mimeType).contains(desktopId);
}

bool isDefault(const QByteArray &text, const QString &mimeType, const QString &desktopId)
{
    const QStringList defaults = listed(text, kDefault, mimeType);
    return isAssociable(mimeType) && !defaults.isEmpty() && defaults.first() == desktopId;
}

QByteArray associate(const QByteArray &text, const QString &mimeType, const QString &desktopId)
{
    const QByteArray added = editList(text, kAdded, mimeType, [&](QStringList values) {
        if (!values.contains(desktopId))
            values << desktopId;
        return values;
    });
    return editList(added, kRemoved, mimeType,
                    [&](const QStringList &values) { return without(values, desktopId); });
}

QByteArray dissociate(const QByteArray &text, const QString &mimeType, const QString &desktopId)
{
    const QByteArray removed = editList(text, kAdded, mimeType, [&](const QStringList &values) {
        return without(values, desktopId);
    });
    return giveBackDefault(removed, mimeType, desktopId);
}

QByteArray makeDefault(const QByteArray &text, const QString &mimeType, const QString &desktopId)
{
    return editList(text, kDefault, mimeType, [&](const QStringList &values) {
        return QStringList{desktopId} + without(values, desktopId);
    });
}

QByteArray giveBackDefault(const QByteArray &text, const QString &mimeType,
                           const QString &desktopId)
{
    return editList(text, kDefault, mimeType,
                    [&](const QStringList &values) { return without(values, desktopId); });
}

bool canRunFromDesktopEntry(const QString &programPath)
{
    return !programPath.contains(u'%') && !native_path::hasForeignBytes(programPath);
}

QByteArray desktopEntry(const QString &programPath, const QStringList &mimeTypes)
{
    QByteArray entry = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Sazanami\n";
    entry += QString::fromUtf8("Comment=Sazanamiで開く\n").toUtf8();
    entry += ("Exec=" + execArgument(programPath) + " %f\n").toUtf8();
    entry += "Icon=sazanami\n"
             "Terminal=false\n";
    entry += ("MimeType=" + mimeTypes.join(';') + ";\n").toUtf8();
    entry += "Categories=AudioVideo;Video;Player;\n";
    return entry;
}

} // namespace mime_apps
