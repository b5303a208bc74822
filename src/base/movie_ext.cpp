#include "base/movie_ext.h"

#include <array>

namespace
{

struct MoreType {
    const char *ext;
    const char *mimeType;
};

// Each of them checked to play in libmpv (0.35) from a clip that FFmpeg
// made in that container.
constexpr std::array<MoreType, 21> kMoreTypes{{
    {"mp4", "video/mp4"},
    {"m4v", "video/mp4"},
    {"mkv", "video/x-matroska"},
    {"webm", "video/webm"},
    {"ts", "video/mp2t"},
    {"m2ts", "video/mp2t"},
    {"mts", "video/mp2t"},
    {"flv", "video/x-flv"},
    {"ogv", "video/ogg"},
    {"ogm", "video/x-ogm+ogg"},
    {"3gp", "video/3gpp"},
    {"3g2", "video/3gpp2"},
    {"divx", "video/x-msvideo"},
    {"vob", "video/mpeg"},
    {"rm", "application/vnd.rn-realmedia"},
    {"rmvb", "application/vnd.rn-realmedia"},
    {"mpe", "video/mpeg"},
    {"m2v", "video/mpeg"},
    {"m1v", "video/mpeg"},
    {"qt", "video/quicktime"},
    {"dv", "video/dv"},
}};

// The file page's pattern as it has always been.
constexpr char kClassicPattern[] = "*.mpg;*.avi;*.mpeg;*asf;*.wmv;*.mov";

} // namespace

const QStringList &more_movie_extensions()
{
    static const QStringList extensions = [] {
        QStringList list;
        for (const MoreType &type : kMoreTypes)
            list.append(QString::fromLatin1(type.ext));
        return list;
    }();
    return extensions;
}

const QStringList &movie_extensions(bool moreFormats)
{
    static const QStringList classic = {
        QStringLiteral("mpg"), QStringLiteral("mpeg"), QStringLiteral("avi"),
        QStringLiteral("asf"), QStringLiteral("wmv"),  QStringLiteral("mov"),
    };
    static const QStringList all = classic + more_movie_extensions();
    return moreFormats ? all : classic;
}

bool is_movie_ext(const QString &ext, bool moreFormats)
{
    return movie_extensions(moreFormats).contains(ext, Qt::CaseInsensitive);
}

QString movie_list_pattern(bool moreFormats)
{
    QString pattern = QString::fromLatin1(kClassicPattern);
    if (moreFormats) {
        for (const QString &ext : more_movie_extensions())
            pattern += QStringLiteral(";*.") + ext;
    }
    return pattern;
}

QString more_movie_mime_type(const QString &ext)
{
    for (const MoreType &type : kMoreTypes) {
        if (ext.compare(QLatin1String(type.ext), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(type.mimeType);
    }
    return QString();
}
