#include "base/name_order.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <array>
#include <numeric>
#include <thread>
#include <vector>

namespace name_order
{

namespace
{

// A collator is not shared between threads: each thread that sorts (the
// window's and the search's readers) keeps its own.  Qt collates through
// ICU, whose own data holds the Japanese rules, so the order does not depend
// on the locales installed on the system.
const QCollator &collator()
{
    thread_local const QCollator instance = [] {
        QCollator made{QLocale(QLocale::Japanese, QLocale::Japan)};
        made.setNumericMode(true);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return instance;
}

// Most names are printable ASCII, where the collation compares character by
// character (letters without case, runs of digits as numbers).  Such names
// are compared here with the collation's own ranks of those characters,
// taken from it once: a search sorts every folder's names, and the
// collation's general path costs about twenty times as much.
constexpr char16_t kFirstPrintable = 0x20;
constexpr char16_t kLastPrintable = 0x7e;

struct AsciiRanks {
    std::array<int, kLastPrintable + 1> rank{};
};

const AsciiRanks &asciiRanks()
{
    static const AsciiRanks ranks = [] {
        AsciiRanks made;
        QCollator by{QLocale(QLocale::Japanese, QLocale::Japan)};
        by.setNumericMode(true);
        by.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<char16_t> chars;
        for (char16_t c = kFirstPrintable; c <= kLastPrintable; ++c)
            chars.push_back(c);
        const auto text = [](char16_t c) { return QString(QChar(c)); };
        std::stable_sort(chars.begin(), chars.end(),
                         [&](char16_t a, char16_t b) { return by.compare(text(a), text(b)) < 0; });
        int rank = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && by.compare(text(chars[i - 1]), text(chars[i])) != 0)
                ++rank;
            made.rank[chars[i]] = rank;
        }
        return made;
    }();
    return ranks;
}

bool isPrintableAscii(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() < kFirstPrintable || c.unicode() > kLastPrintable)
            return false;
    }
    return true;
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The collation's order of two printable ASCII names; 0 when it finds them
// equal.
int compareAscii(const QString &a, const QString &b)
{
    const AsciiRanks &ranks = asciiRanks();
    const char16_t *x = reinterpret_cast<const char16_t *>(a.constData());
    const char16_t *y = reinterpret_cast<const char16_t *>(b.constData());
    const char16_t *xEnd = x + a.size();
    const char16_t *yEnd = y + b.size();
    while (x != xEnd && y != yEnd) {
        if (isDigit(*x) && isDigit(*y)) {
            // Numbers: leading zeros do not count, then the longer is the
            // larger, then the first differing digit decides.
            while (x != xEnd && *x == u'0')
                ++x;
            while (y != yEnd && *y == u'0')
                ++y;
            const char16_t *xDigits = x;
            const char16_t *yDigits = y;
            while (x != xEnd && isDigit(*x))
                ++x;
            while (y != yEnd && isDigit(*y))
                ++y;
            if (x - xDigits != y - yDigits)
                return (x - xDigits) < (y - yDigits) ? -1 : 1;
            for (; xDigits != x; ++xDigits, ++yDigits) {
                if (*xDigits != *yDigits)
                    return *xDigits < *yDigits ? -1 : 1;
            }
            continue;
        }
        const int rx = ranks.rank[*x];
        const int ry = ranks.rank[*y];
        if (rx != ry)
            return rx < ry ? -1 : 1;
        ++x;
        ++y;
    }
    if (x == xEnd && y == yEnd)
        return 0;
    return x == xEnd ? -1 : 1;
}

int collate(const QString &a, const QString &b)
{
    if (isPrintableAscii(a) && isPrintableAscii(b))
        return compareAscii(a, b);
    return collator().compare(a, b);
}

// Below this many names, comparing directly is quicker than making keys.
constexpr qsizetype kKeysFrom = 64;
// From this many names on, keys are made on two threads: making them is
// most of a big folder's sorting.
constexpr qsizetype kKeysOnTwoThreadsFrom = 20000;

std::vector<QCollatorSortKey> keysOf(const QStringList &names, qsizetype from, qsizetype to)
{
    const QCollator &by = collator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(to - from));
    for (qsizetype i = from; i < to; ++i)
        keys.push_back(by.sortKey(names[i]));
    return keys;
}

std::vector<QCollatorSortKey> sortKeys(const QStringList &names)
{
    if (names.size() < kKeysOnTwoThreadsFrom)
        return keysOf(names, 0, names.size());
    const qsizetype half = names.size() / 2;
    std::vector<QCollatorSortKey> second;
    std::thread other([&] { second = keysOf(names, half, names.size()); });
    std::vector<QCollatorSortKey> keys = keysOf(names, 0, half);
    other.join();
    keys.insert(keys.end(), second.begin(), second.end());
    return keys;
}

} // namespace

int compare(const QString &a, const QString &b)
{
    const int order = collate(a, b);
    if (order != 0)
        return order;
    return a < b ? -1 : (b < a ? 1 : 0);
}

void sort(QStringList &names)
{
    if (std::all_of(names.cbegin(), names.cend(), isPrintableAscii)) {
        std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
            const int order = compareAscii(a, b);
            return order != 0 ? order < 0 : a < b;
        });
        return;
    }
    if (names.size() < kKeysFrom) {
        std::sort(names.begin(), names.end(), less);
        return;
    }
    // A key a name, made once: comparing two keys is a byte comparison,
    // where comparing two names runs the collation each time.
    const std::vector<QCollatorSortKey> keys = sortKeys(names);
    std::vector<qsizetype> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = keys[size_t(a)].compare(keys[size_t(b)]);
        if (byKey != 0)
            return byKey < 0;
        return names[a] < names[b];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype index : order)
        sorted.append(std::move(names[index]));
    names = std::move(sorted);
}

QStringList firstInOrder(const QStringList &names, qsizetype count)
{
    std::vector<qsizetype> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    const auto end = order.begin() + std::min<qsizetype>(count, names.size());
    std::partial_sort(order.begin(), end, order.end(),
                      [&names](qsizetype a, qsizetype b) { return less(names[a], names[b]); });
    QStringList first;
    first.reserve(end - order.begin());
    for (auto index = order.begin(); index != end; ++index)
        first.append(names[*index]);
    return first;
}

} // namespace name_order
