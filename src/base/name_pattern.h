#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// File-name patterns with the wildcards `*` (any run of characters, also
// none) and `?` (exactly one character), matched without regard to case.
// Several patterns are given in one text separated by ";", and a name matches
// when any of them matches it whole.
class NamePattern
{
public:
    explicit NamePattern(const QString &patterns);
    // One pattern taken whole: a ";" in it is an ordinary character.
    static NamePattern whole(const QString &pattern);

    bool matches(QStringView name) const;
    bool isEmpty() const { return patterns_.isEmpty(); }

private:
    NamePattern() = default;
    QList<QList<uint>> patterns_;
};

namespace name_pattern
{

// One pattern against one name, both as they are (no ";" splitting).
bool wildcardMatch(QStringView pattern, QStringView name);

} // namespace name_pattern
