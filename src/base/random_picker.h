#pragma once

#include <functional>
#include <vector>

// Draws list positions for random play so that every position gets its turn
// before any comes again.  One history serves every list; it starts a new
// round by itself once every position has been played.
class RandomPicker
{
public:
    static constexpr int kHistorySize = 513;
    static constexpr int kDrawsBeforeGivingUp = 100;

    // `uniform` returns numbers in [0, 1); by default a generator seeded from
    // the clock.
    explicit RandomPicker(std::function<double()> uniform = {});

    // A position from 0 to n - 1, or -1 when n < 1.
    int pick_random(int n);

    const std::vector<int> &history() const { return history_; }

private:
    int draw(int n);
    bool played(int position) const;
    void remember(int position);

    std::function<double()> uniform_;
    std::vector<int> history_;
};
