#include "base/name_pattern.h"

#include <algorithm>
#include <optional>

namespace
{

// Case folding per code point, so `?` stands for one letter even outside the
// basic plane, and letters compare without regard to case.
QList<uint> folded(QStringView text)
{
    QList<uint> out = text.toUcs4();
    for (uint &c : out)
        c = QChar::toCaseFolded(c);
    return out;
}

// "*.avi" and its kind, the patterns of the movie lists: a star, then no
// wildcard.
bool isStarThenLiteral(const QList<uint> &pattern)
{
    return !pattern.isEmpty() && pattern.first() == U'*' &&
           std::none_of(pattern.cbegin() + 1, pattern.cend(),
                        [](uint c) { return c == U'*' || c == U'?'; });
}

// Whether name, without regard to case, ends in the pattern's literal part;
// only that end of the name is read and folded.
bool endsWithLiteral(QStringView name, const QList<uint> &pattern)
{
    qsizetype at = name.size();
    for (qsizetype p = pattern.size() - 1; p >= 1; --p) {
        if (at == 0)
            return false;
        char32_t c = name[--at].unicode();
        if (QChar::isLowSurrogate(c) && at > 0 && name[at - 1].isHighSurrogate())
            c = QChar::surrogateToUcs4(name[--at], QChar(char16_t(c)));
        if (QChar::toCaseFolded(c) != pattern[p])
            return false;
    }
    return true;
}

// Greedy matching that remembers only the last `*`: when a later part fails,
// that star takes one more character and the rest is tried again.  Earlier
// stars never need to give back, so this is linear in practice and at worst
// proportional to the product of the two lengths.
bool matchFolded(const QList<uint> &pattern, const QList<uint> &name)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

NamePattern::NamePattern(const QString &patterns)
{
    for (QStringView part : QStringView(patterns).split(u';')) {
        part = part.trimmed();
        if (!part.isEmpty())
            patterns_.append(folded(part));
    }
}

NamePattern NamePattern::whole(const QString &pattern)
{
    NamePattern single;
    if (!pattern.isEmpty())
        single.patterns_.append(folded(pattern));
    return single;
}

bool NamePattern::matches(QStringView name) const
{
    if (patterns_.isEmpty())
        return false;
    // A name is folded whole only for a pattern that needs more than its
    // end, and then once.
    std::optional<QList<uint>> subject;
    for (const QList<uint> &pattern : patterns_) {
        if (isStarThenLiteral(pattern)) {
            if (endsWithLiteral(name, pattern))
                return true;
            continue;
        }
        if (!subject)
            subject = folded(name);
        if (matchFolded(pattern, *subject))
            return true;
    }
    return false;
}

namespace name_pattern
{

bool wildcardMatch(QStringView pattern, QStringView name)
{
    return matchFolded(folded(pattern), folded(name));
}

} // namespace name_pattern
