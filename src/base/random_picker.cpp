#include "base/random_picker.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

RandomPicker::RandomPicker(std::function<double()> uniform) : uniform_(std::move(uniform))
{
    if (!uniform_) {
        auto engine = std::make_shared<std::mt19937>(
            unsigned(std::chrono::steady_clock::now().time_since_epoch().count()));
        uniform_ = [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
    }
    history_.reserve(kHistorySize);
}

int RandomPicker::pick_random(int n)
{
    if (n < 1)
        return -1;
    if (n == 1)
        return 0;

    // Every position has had its turn: a new round.
    if (int(history_.size()) >= n) {
        history_.clear();
        const int r = draw(n);
        remember(r);
        return r;
    }
    for (int attempt = 0; attempt < kDrawsBeforeGivingUp; ++attempt) {
        const int r = draw(n);
        if (!played(r)) {
            remember(r);
            return r;
        }
    }
    // Unlucky draws only: settle for a recent position rather than loop on.
    return draw(n);
}

int RandomPicker::draw(int n)
{
    // The integer part of n * u, kept inside the list should u ever reach 1.
    return std::min(n - 1, int(n * uniform_()));
}

bool RandomPicker::played(int position) const
{
    return std::find(history_.begin(), history_.end(), position) != history_.end();
}

void RandomPicker::remember(int position)
{
    if (int(history_.size()) < kHistorySize)
        history_.push_back(position);
}
