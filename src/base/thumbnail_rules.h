#pragma once

#include <QRectF>
#include <QSize>
#include <QString>

// Where a favourite's thumbnail lives and how a picture is fitted into one.
namespace thumbnail_rules
{

// The size of every thumbnail.
inline constexpr QSize kSize(100, 75);

// Movies whose thumbnail is grabbed from a frame: avi, mpg, mpeg (any case),
// and with moreFormats mp4, mkv and the other types of today as well.  wmv,
// asf and mov keep the placeholder.
bool is_grabbable_file(const QString &fileName, bool moreFormats = false);

// The image folder of a movie's thumbnail, without a trailing "/": "image"
// in the movie's own folder when besideMovie is on, in the program folder
// otherwise.
QString imageFolder(const QString &programFolder, const QString &movieFolder, bool besideMovie);

// The thumbnail file of a movie: the image folder, "/", the movie's name
// without its extension, ".bmp".  clip.avi and clip.mpg share one.
QString thumbnailPath(const QString &imageFolder, const QString &fileName);

// Where a picture of the given size is drawn inside area: whole, with its
// proportions kept, as wide as the area and centred from top to bottom when
// it is as wide as the area's shape or wider, otherwise as high as the area
// and centred from left to right.  Empty for an empty picture.
QRectF fitInto(QSizeF picture, QSizeF area = QSizeF(kSize));

} // namespace thumbnail_rules
