#pragma once

#include "base/play_source.h"

#include <QList>
#include <QSet>
#include <QStringList>

// A play source over a plain list of paths, for tests without a window.
class MemoryPlaySource final : public PlaySource
{
public:
    explicit MemoryPlaySource(QStringList paths = {}) : paths(std::move(paths)) {}

    int count() const override { return int(paths.size()); }
    QString pathAt(int index) const override
    {
        return index >= 0 && index < count() ? paths[index] : QString();
    }
    int currentIndex() const override { return current; }
    void select(int index, bool toTop) override
    {
        if (index < 0 || index >= count())
            return;
        current = index;
        if (toTop)
            topLine = index;
    }
    void askExists(int index, QObject *, std::function<void(bool)> then) override
    {
        then(index >= 0 && index < count() && !gone.contains(index));
    }
    bool stopsBeforeStep(Direction direction) const override
    {
        return direction == Direction::Previous || stopsGoingForward;
    }
    void missing(int index, Direction) override { missed.append(index); }

    QStringList paths;
    int current = -1;
    int topLine = 0;
    // Entries whose files are gone.
    QSet<int> gone;
    bool stopsGoingForward = true;
    // The entries that steps found gone, in order.
    QList<int> missed;
};
