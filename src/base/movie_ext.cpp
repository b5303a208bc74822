#include "base/movie_ext.h"

#include <QStringList>

bool is_movie_ext(const QString &ext)
{
    static const QStringList movieExtensions = {
        QStringLiteral("avi"), QStringLiteral("mpg"),  QStringLiteral("asf"),
        QStringLiteral("wmv"), QStringLiteral("mpeg"), QStringLiteral("mov"),
    };
    return movieExtensions.contains(ext, Qt::CaseInsensitive);
}
