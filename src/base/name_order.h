#pragma once

#include <QString>
#include <QStringList>

// The one order names are shown in (file list, folder list, search results,
// drops): the Japanese collation, with runs of digits compared as numbers
// (clip_2 before clip_10, d2 before d10) and case ignored, as desktop file
// managers sort.  Names the collation finds equal (they differ only in case)
// keep a fixed order, upper case first, so a listing never shuffles.
namespace name_order
{

// Negative, zero or positive as a sorts before, with or after b; zero only
// for equal strings.
int compare(const QString &a, const QString &b);

inline bool less(const QString &a, const QString &b)
{
    return compare(a, b) < 0;
}

// Sorts names in the order above.  Safe on any thread.
void sort(QStringList &names);

// The first `count` of names in the order above, found without sorting the
// rest: a screenful of a large folder can be shown before the whole is sorted.
QStringList firstInOrder(const QStringList &names, qsizetype count);

} // namespace name_order
