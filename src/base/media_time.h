#pragma once

#include <QString>

namespace media_time
{

// Seconds as the program shows them: "0:00" below zero, "m:ss" under an hour,
// "h:mm:ss" from an hour on.
QString secondsToString(qint32 seconds);

} // namespace media_time
