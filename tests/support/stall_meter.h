#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

// The longest gap between two passes of the event loop while it runs.
class StallMeter
{
public:
    StallMeter()
    {
        clock_.start();
        ticker_.setInterval(0);
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            const double now = clock_.nsecsElapsed() / 1e6;
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        ticker_.start();
    }
    double longest() const { return longest_; }

private:
    QElapsedTimer clock_;
    QTimer ticker_;
    double last_ = 0;
    double longest_ = 0;
};
