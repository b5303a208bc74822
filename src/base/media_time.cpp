#include "base/media_time.h"

QString media_time::secondsToString(qint32 seconds)
{
    if (seconds < 0)
        return QStringLiteral("0:00");
    const qint32 s = seconds % 60;
    const qint32 m = (seconds / 60) % 60;
    if (seconds < 3600)
        return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}
