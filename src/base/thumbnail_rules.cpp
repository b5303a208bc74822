#include "base/thumbnail_rules.h"

#include "base/movie_ext.h"
#include "base/path.h"

namespace thumbnail_rules
{

bool is_grabbable_file(const QString &fileName, bool moreFormats)
{
    // A name without a dot has no extension at all.
    if (!fileName.contains(u'.'))
        return false;
    const QString ext = path::getextension(fileName);
    return ext.compare(QLatin1String("avi"), Qt::CaseInsensitive) == 0 ||
           ext.compare(QLatin1String("mpg"), Qt::CaseInsensitive) == 0 ||
           ext.compare(QLatin1String("mpeg"), Qt::CaseInsensitive) == 0 ||
           (moreFormats && more_movie_extensions().contains(ext, Qt::CaseInsensitive));
}

QString imageFolder(const QString &programFolder, const QString &movieFolder, bool besideMovie)
{
    return path::addbackslash(besideMovie ? movieFolder : programFolder) + QStringLiteral("image");
}

QString thumbnailPath(const QString &imageFolder, const QString &fileName)
{
    return path::addbackslash(imageFolder) + path::getbasename(fileName) + QStringLiteral(".bmp");
}

QRectF fitInto(QSizeF picture, QSizeF area)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return QRectF();
    const double ratio = picture.height() / picture.width();
    const double areaRatio = area.height() / area.width();
    if (ratio <= areaRatio) {
        const double height = ratio * area.width();
        return QRectF(0, (area.height() - height) / 2, area.width(), height);
    }
    const double width = area.height() / ratio;
    return QRectF((area.width() - width) / 2, 0, width, area.height());
}

} // namespace thumbnail_rules
