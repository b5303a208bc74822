#include "base/name_pattern.h"

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
    const QList<uint> subject = folded(name);
    for (const QList<uint> &pattern : patterns_) {
        if (matchFolded(pattern, subject))
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
