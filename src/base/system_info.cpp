#include "base/system_info.h"

#include <QList>
#include <QLocale>

namespace system_info
{
namespace
{

QString grouped(qint64 kilobytes)
{
    // "#,##0": thousands grouped by commas whatever the user's locale.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(kilobytes);
}

} // namespace

std::optional<MemoryKb> parseMeminfo(const QByteArray &text)
{
    std::optional<qint64> total;
    std::optional<qint64> available;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon);
        QByteArray value = line.mid(colon + 1).trimmed();
        if (value.endsWith("kB"))
            value.chop(2);
        bool ok = false;
        const qint64 number = value.trimmed().toLongLong(&ok);
        if (!ok)
            continue;
        if (key == "MemTotal")
            total = number;
        else if (key == "MemAvailable")
            available = number;
    }
    if (!total || !available)
        return std::nullopt;
    return MemoryKb{*total, *available};
}

QString memoryLine(const MemoryKb &memory)
{
    return grouped(memory.available) + "KB / " + grouped(memory.total) + "KB";
}

QString displayLine(int width, int height, int bitsPerPixel)
{
    return QString::fromUtf8("%1×%2 %3ビット").arg(width).arg(height).arg(bitsPerPixel);
}

} // namespace system_info
