#include "base/subtitle_screen.h"

#include "base/base_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <utility>
#include <vector>

namespace subtitle_screen
{
namespace
{

const QStringList kExtensions{"srt", "ass", "ssa", "vtt", "sub"};

// Times as the formats write them: h:mm:ss.cc (ASS), hh:mm:ss,mmm (SRT,
// VTT; VTT may leave the hours out), in milliseconds.
qint64 milliseconds(const QRegularExpressionMatch &m, int first)
{
    const qint64 hours = m.captured(first).toLongLong();
    const qint64 minutes = m.captured(first + 1).toLongLong();
    const qint64 seconds = m.captured(first + 2).toLongLong();
    const QString fraction = m.captured(first + 3);
    const qint64 part = fraction.leftJustified(3, '0').left(3).toLongLong();
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + part;
}

// Each line's start and end: ASS and SSA dialogue lines, SRT and VTT cues,
// MicroDVD's {start}{end} frames.
std::vector<std::pair<qint64, qint64>> shownSpans(const QString &text)
{
    static const QRegularExpression dialogue(
        R"(^Dialogue:[^,\n]*,\s*(\d+):(\d+):(\d+)[.,](\d+)\s*,\s*(\d+):(\d+):(\d+)[.,](\d+))",
        QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression cue(
        R"((?:(\d+):)?(\d+):(\d+)[.,](\d+)\s*-->\s*(?:(\d+):)?(\d+):(\d+)[.,](\d+))");
    static const QRegularExpression frames(R"(^\{(\d+)\}\{(\d+)\})",
                                           QRegularExpression::MultilineOption);
    std::vector<std::pair<qint64, qint64>> spans;
    for (auto it = dialogue.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        spans.emplace_back(milliseconds(m, 1), milliseconds(m, 5));
    }
    for (auto it = cue.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        spans.emplace_back(milliseconds(m, 1), milliseconds(m, 5));
    }
    for (auto it = frames.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        spans.emplace_back(m.captured(1).toLongLong(), m.captured(2).toLongLong());
    }
    return spans;
}

// The most lines shown at one moment.
int mostAtOnce(std::vector<std::pair<qint64, qint64>> spans)
{
    std::vector<std::pair<qint64, int>> edges;
    edges.reserve(spans.size() * 2);
    for (const auto &[start, end] : spans) {
        if (end <= start)
            continue;
        edges.emplace_back(start, 1);
        edges.emplace_back(end, -1);
    }
    // An end before a start at the same moment.
    std::sort(edges.begin(), edges.end());
    int now = 0;
    int most = 0;
    for (const auto &edge : edges)
        most = std::max(most, now += edge.second);
    return most;
}

double largest(const QString &text, const QRegularExpression &pattern, double none)
{
    double most = none;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        most = std::max(most, it.next().captured(1).toDouble());
    return most;
}

// An ASS or SSA script's largest letter, as a multiple of the picture's
// height: the largest font size and the largest stretch anywhere (styles
// and override tags), over the script's height.
double largestLetter(const QString &text)
{
    static const QRegularExpression height(R"(^PlayResY:\s*(\d+))",
                                           QRegularExpression::MultilineOption);
    static const QRegularExpression sizeTag(R"(\\fs(\d+(?:\.\d+)?))");
    static const QRegularExpression stretchTag(R"(\\fsc[xy](\d+(?:\.\d+)?))");
    static const QRegularExpression style(R"(^Style:([^\n]*))",
                                          QRegularExpression::MultilineOption);
    double size = largest(text, sizeTag, 0);
    double stretch = largest(text, stretchTag, 100);
    for (auto it = style.globalMatch(text); it.hasNext();) {
        // Name, font, size, four colours, bold, italic, underline,
        // strike-out, stretch x, stretch y (ASS); SSA has no stretch.
        const QStringList fields = it.next().captured(1).split(',');
        if (fields.size() > 2)
            size = std::max(size, fields[2].trimmed().toDouble());
        if (fields.size() > 12)
            stretch = std::max(
                {stretch, fields[11].trimmed().toDouble(), fields[12].trimmed().toDouble()});
    }
    // libass's own height of a script that does not give one.
    const double given = largest(text, height, 0);
    const double scriptHeight = given > 0 ? given : 288.0;
    // Without a size of its own a line gets mpv's, 55 at a height of 720.
    if (size <= 0)
        size = scriptHeight * 55.0 / 720.0;
    return size * stretch / 100.0 / scriptHeight;
}

} // namespace

QString refusal(const QByteArray &bytes)
{
    if (bytes.size() > kMaxFileBytes)
        return QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes);
    const QString text = QString::fromUtf8(bytes);
    if (const int lines = mostAtOnce(shownSpans(text)); lines > kMaxLinesAtOnce)
        return QStringLiteral("%1 lines at once").arg(lines);
    if (const double letter = largestLetter(text); letter > kMaxLetterToPicture)
        return QStringLiteral("letters %1 times the picture's height").arg(letter);
    static const QRegularExpression blur(R"(\\(?:blur|be)(\d+(?:\.\d+)?))");
    if (const double radius = largest(text, blur, 0); radius > kMaxBlur)
        return QStringLiteral("blurred by %1").arg(radius);
    return {};
}

QStringList besideFiles(const QString &movieName, const QStringList &names)
{
    const QString base = QFileInfo(movieName).completeBaseName();
    QStringList found;
    for (const QString &name : names) {
        if (!name.startsWith(base + '.'))
            continue;
        const QString rest = name.mid(base.size() + 1);
        const QStringList parts = rest.split('.');
        const bool plain = parts.size() == 1;
        static const QRegularExpression language(R"(^[A-Za-z]{2,3}(-[A-Za-z]{2})?$)");
        const bool withLanguage = parts.size() == 2 && language.match(parts[0]).hasMatch();
        if ((plain || withLanguage) && kExtensions.contains(parts.last(), Qt::CaseInsensitive))
            found.append(name);
    }
    return found;
}

QStringList safeFilesBeside(const QString &moviePath)
{
    const QFileInfo movie(moviePath);
    const QDir folder = movie.dir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Readable, QDir::Name);
    QStringList safe;
    for (const QString &name : besideFiles(movie.fileName(), names)) {
        const QString path = folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (file.size() > kMaxFileBytes) {
            qCWarning(lcBase) << "subtitles" << path << "not shown: larger than" << kMaxFileBytes
                              << "bytes";
            continue;
        }
        if (const QString why = refusal(file.read(kMaxFileBytes + 1)); !why.isEmpty()) {
            qCWarning(lcBase).noquote() << "subtitles" << path << "not shown:" << why;
            continue;
        }
        safe.append(path);
    }
    return safe;
}

} // namespace subtitle_screen
