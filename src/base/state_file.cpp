#include "base/state_file.h"
#include "base/base_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace state_file
{

bool writeWhole(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    // Never fall back to writing the target in place: that is the very
    // truncate-then-write that could lose the old file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcBase) << "cannot write" << path << ":" << file.errorString();
        return false;
    }
    if (file.write(content) != content.size()) {
        qCWarning(lcBase) << "cannot write" << path << ":" << file.errorString();
        file.cancelWriting();
        return false;
    }
    // commit() flushes, syncs and renames; it removes the temporary file on
    // failure.
    if (file.commit())
        return true;
    qCWarning(lcBase) << "cannot replace" << path << ":" << file.errorString();
    return false;
}

int removeCutShortSaves(const QString &folder)
{
    static const QRegularExpression temporaryName(
        QStringLiteral(R"(^.+\.(ini|txt)\.[A-Za-z0-9]{6}$)"));
    int removed = 0;
    QDir dir(folder);
    const QStringList names =
        dir.entryList({"*.ini.??????", "*.txt.??????"}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!temporaryName.match(name).hasMatch())
            continue;
        if (dir.remove(name)) {
            qCInfo(lcBase) << "removed what a cut-short save left:" << dir.filePath(name);
            ++removed;
        }
    }
    return removed;
}

std::optional<QByteArray> readWhole(const QString &path, qint64 limit)
{
    // A pipe or a device could block or never end.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > limit) {
        qCWarning(lcBase) << "too large for a state file, not read:" << path;
        return std::nullopt;
    }
    // A file beyond the size of the small state files (a long list of search
    // results) is read only when it is text: a NUL byte in its first block
    // tells random bytes from it before the rest is read and parsed.  A small
    // file with a stray NUL, as a crash may leave, still gives its good lines.
    constexpr qint64 kFirstBlock = 64 * 1024;
    QByteArray content = file.read(kFirstBlock);
    if (file.size() > kDefaultReadLimit && content.contains('\0')) {
        qCWarning(lcBase) << "not a text file, not read:" << path;
        return std::nullopt;
    }
    content += file.readAll();
    // The file may have grown since size() was asked.
    if (file.error() != QFileDevice::NoError || content.size() > limit)
        return std::nullopt;
    return content;
}

QList<QByteArray> splitLines(const QByteArray &content)
{
    QList<QByteArray> lines;
    const qsizetype n = content.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(content.mid(start, i - start));
        if (c == '\r' && i + 1 < n && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(content.mid(start));
    return lines;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0xFEFF);
}

bool fitsOnALine(QStringView text)
{
    return !text.contains(u'\r') && !text.contains(u'\n');
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace state_file
