#include "base/subtitle_screen.h"

#include "base/base_log.h"
#include "base/native_path.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <tuple>
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

// One line of subtitles: when it is shown, and the height of its largest
// letter as a multiple of the picture's height.
struct Line {
    qint64 start = 0;
    qint64 end = 0;
    double letter = 0;
};

// mpv's own size of a letter, 55 at a height of 720, for lines without one.
constexpr double kPlainLetter = 55.0 / 720.0;

double largest(const QString &text, const QRegularExpression &pattern, double none)
{
    double most = none;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        most = std::max(most, it.next().captured(1).toDouble());
    return most;
}

// A style's font size and largest stretch in percent.
struct Style {
    double size = 0;
    double stretch = 100;
};

// The styles of an ASS or SSA script by name: name, font, size, four
// colours, bold, italic, underline, strike-out, stretch x, stretch y (SSA
// has no stretch).
QHash<QString, Style> stylesOf(const QString &text)
{
    static const QRegularExpression line(R"(^Style:([^\n]*))", QRegularExpression::MultilineOption);
    QHash<QString, Style> styles;
    for (auto it = line.globalMatch(text); it.hasNext();) {
        const QStringList fields = it.next().captured(1).split(',');
        Style style;
        if (fields.size() > 2)
            style.size = fields[2].trimmed().toDouble();
        if (fields.size() > 12)
            style.stretch = std::max(
                {style.stretch, fields[11].trimmed().toDouble(), fields[12].trimmed().toDouble()});
        styles.insert(fields[0].trimmed().remove('*'), style);
    }
    return styles;
}

// The dialogue lines of an ASS or SSA script, each with its style and its
// own size and stretch tags.
std::vector<Line> scriptLines(const QString &text)
{
    static const QRegularExpression height(R"(^PlayResY:\s*(\d+))",
                                           QRegularExpression::MultilineOption);
    static const QRegularExpression dialogue(
        R"(^Dialogue:[^,\n]*,\s*(\d+):(\d+):(\d+)[.,](\d+)\s*,\s*(\d+):(\d+):(\d+)[.,](\d+)\s*,([^,\n]*),([^\n]*))",
        QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression sizeTag(R"(\\fs(\d+(?:\.\d+)?))");
    static const QRegularExpression stretchTag(R"(\\fsc[xy](\d+(?:\.\d+)?))");
    const QHash<QString, Style> styles = stylesOf(text);
    // libass gives a line of a style it does not know another one; taken
    // here as the largest.
    Style unknown;
    for (const Style &style : styles)
        if (style.size * style.stretch > unknown.size * unknown.stretch)
            unknown = style;
    const double given = largest(text, height, 0);
    // libass's own height of a script that does not give one.
    const double scriptHeight = given > 0 ? given : 288.0;
    std::vector<Line> lines;
    for (auto it = dialogue.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const Style style = styles.value(m.captured(9).trimmed().remove('*'), unknown);
        const QString rest = m.captured(10);
        const double size = std::max(largest(rest, sizeTag, 0), style.size);
        const double stretch = std::max(largest(rest, stretchTag, 0), style.stretch);
        const double letter =
            size > 0 ? size * stretch / 100.0 / scriptHeight : kPlainLetter * stretch / 100.0;
        lines.push_back({milliseconds(m, 1), milliseconds(m, 5), letter});
    }
    return lines;
}

// SRT and VTT cues, MicroDVD's {start}{end} frames: plain lines.
std::vector<Line> plainLines(const QString &text)
{
    static const QRegularExpression cue(
        R"((?:(\d+):)?(\d+):(\d+)[.,](\d+)\s*-->\s*(?:(\d+):)?(\d+):(\d+)[.,](\d+))");
    static const QRegularExpression frames(R"(^\{(\d+)\}\{(\d+)\})",
                                           QRegularExpression::MultilineOption);
    std::vector<Line> lines;
    for (auto it = cue.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        lines.push_back({milliseconds(m, 1), milliseconds(m, 5), kPlainLetter});
    }
    for (auto it = frames.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        lines.push_back({m.captured(1).toLongLong(), m.captured(2).toLongLong(), kPlainLetter});
    }
    return lines;
}

// The most lines on screen at one moment, and the most room their letters
// take at one moment, in pictures (a letter as high as the picture takes
// one).
struct Peak {
    int lines = 0;
    double room = 0;
    double letter = 0;
};

Peak peakOf(const std::vector<Line> &lines)
{
    struct Edge {
        qint64 at;
        int lines;
        double room;
    };
    std::vector<Edge> edges;
    edges.reserve(lines.size() * 2);
    Peak peak;
    for (const Line &line : lines) {
        if (line.end <= line.start)
            continue;
        const double room = line.letter * line.letter;
        edges.push_back({line.start, 1, room});
        edges.push_back({line.end, -1, -room});
        peak.letter = std::max(peak.letter, line.letter);
    }
    // A line that ends makes room for one that starts at the same moment.
    std::sort(edges.begin(), edges.end(), [](const Edge &a, const Edge &b) {
        return std::tie(a.at, a.lines) < std::tie(b.at, b.lines);
    });
    int shown = 0;
    double room = 0;
    for (const Edge &edge : edges) {
        shown += edge.lines;
        room += edge.room;
        peak.lines = std::max(peak.lines, shown);
        peak.room = std::max(peak.room, room);
    }
    return peak;
}

} // namespace

QString refusal(const QByteArray &bytes)
{
    if (bytes.size() > kMaxFileBytes)
        return QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes);
    // UTF-16 and UTF-32 files say so in their first bytes; the rest (UTF-8,
    // Shift JIS and the like) write times and tags in ASCII.
    QStringDecoder decode(
        QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8));
    const QString text = decode(bytes);
    std::vector<Line> lines = scriptLines(text);
    if (lines.empty())
        lines = plainLines(text);
    const Peak peak = peakOf(lines);
    if (peak.lines > kMaxLinesAtOnce)
        return QStringLiteral("%1 lines at once").arg(peak.lines);
    if (peak.letter > kMaxLetterToPicture)
        return QStringLiteral("letters %1 times the picture's height").arg(peak.letter);
    if (peak.room > kMaxLetterRoom)
        return QStringLiteral("letters filling %1 pictures at once").arg(peak.room);
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
    // By the names' bytes: a movie named in Shift_JIS has its subtitles so.
    const qsizetype slash = moviePath.lastIndexOf(u'/');
    const QString folder = moviePath.left(slash + 1);
    QStringList names = native_path::entries(folder.isEmpty() ? QStringLiteral(".") : folder,
                                             native_path::Kind::Files);
    names.sort();
    QStringList safe;
    for (const QString &name : besideFiles(moviePath.mid(slash + 1), names)) {
        const QString path = folder + name;
        if (native_path::fileSize(path) > kMaxFileBytes) {
            qCWarning(lcBase) << "subtitles" << path << "not shown: larger than" << kMaxFileBytes
                              << "bytes";
            continue;
        }
        const std::optional<QByteArray> content = native_path::readFile(path, kMaxFileBytes);
        if (!content)
            continue;
        if (const QString why = refusal(*content); !why.isEmpty()) {
            qCWarning(lcBase).noquote() << "subtitles" << path << "not shown:" << why;
            continue;
        }
        safe.append(path);
    }
    return safe;
}

} // namespace subtitle_screen
