#pragma once

#include "base/play_source.h"

class FavouritesList;

// The favourites as a play source: continuous and random play walk them in
// list order; a favourite whose movie is gone asks whether to remove it.
class FavouritesSource final : public PlaySource
{
public:
    explicit FavouritesSource(FavouritesList &list) : list_(list) {}

    int count() const override;
    QString pathAt(int index) const override;
    bool complete() const override;
    int currentIndex() const override;
    void select(int index, bool toTop) override;
    void askExists(int index, QObject *context, std::function<void(bool)> then) override;
    void missing(int index, Direction direction) override;

private:
    FavouritesList &list_;
};
