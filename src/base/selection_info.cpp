#include "base/selection_info.h"

#include <cmath>

namespace selection_info
{

namespace
{

// Whole bytes with a comma every three digits; "" for nothing.
QString groupedDigits(double bytes)
{
    if (!(bytes >= 0.5))
        return QString();
    const QString digits = QString::number(std::round(bytes), 'f', 0);
    QString grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += u',';
        grouped += digits.at(i);
    }
    return grouped;
}

} // namespace

QString sizeText(double bytes)
{
    const QString grouped = groupedDigits(bytes);
    // Past seven characters (a million bytes and more) the last two groups
    // and their commas go, which leaves whole megabytes of a million bytes.
    if (grouped.size() > 7)
        return grouped.chopped(8) + QStringLiteral("MByte");
    return grouped + QStringLiteral("Byte");
}

QString infoCaption(int selected, double bytes)
{
    if (selected <= 0)
        return QString();
    if (selected == 1)
        return sizeText(bytes);
    return sizeText(bytes) + QStringLiteral(" - ") + QString::number(selected) +
           QString::fromUtf8("個のファイル");
}

QString favouritesInfoCaption(int selected, double bytes)
{
    if (selected <= 0)
        return QString();
    if (selected == 1)
        return sizeText(bytes);
    return QString::number(selected) + QString::fromUtf8("個のファイル") + QStringLiteral(" - ") +
           sizeText(bytes);
}

QList<int> rangeToggleRows(int current, int under)
{
    QList<int> rows;
    if (current < 0 || under < 0 || current == under)
        return rows;
    const int step = current < under ? -1 : 1;
    rows.reserve(std::abs(under - current));
    for (int row = under; row != current; row += step)
        rows.append(row);
    return rows;
}

} // namespace selection_info
