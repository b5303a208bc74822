#include "base/movie_ext.h"

const QStringList &movie_extensions()
{
    static const QStringList extensions = {
        QStringLiteral("mpg"), QStringLiteral("mpeg"), QStringLiteral("avi"),
        QStringLiteral("asf"), QStringLiteral("wmv"),  QStringLiteral("mov"),
    };
    return extensions;
}

bool is_movie_ext(const QString &ext)
{
    return movie_extensions().contains(ext, Qt::CaseInsensitive);
}
