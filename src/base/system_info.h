#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The texts of the software-information page: memory and display.
namespace system_info
{

struct MemoryKb {
    qint64 total = 0;
    qint64 available = 0;
};

// MemTotal and MemAvailable of a /proc/meminfo text (which counts in kB);
// nothing when either is missing.
std::optional<MemoryKb> parseMeminfo(const QByteArray &text);

// "123,456KB / 523,744KB": the available, then the total kilobytes.
QString memoryLine(const MemoryKb &memory);

// "1024×768 32ビット".
QString displayLine(int width, int height, int bitsPerPixel);

} // namespace system_info
