#pragma once

#include <QIcon>
#include <QString>

// The toolbar's image list, by key: the transport buttons ("play", "stop",
// "pre", "next", "size", "temae", "fullscreen"), the play modes ("normal",
// "rennzoku", "roop", "rnd"), the speeds ("bai20", "bai15", "bai10", "bai05")
// and the capture button ("capture", "capture_mask").  Icons come from the
// desktop theme where one fits and are drawn here otherwise.
namespace button_images
{

QIcon image(const QString &key);

} // namespace button_images
