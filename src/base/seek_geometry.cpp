#include "base/seek_geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace seek_geometry
{

namespace
{

// Rounds to the nearest integer, ties to even, and keeps the result inside
// the range of int so that absurd inputs cannot overflow.
int roundToValue(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double rounded = std::nearbyint(value);
    return int(std::clamp(rounded, double(INT_MIN), double(INT_MAX)));
}

} // namespace

int pixelsFromTwips(int twips, int twipsPerPixel)
{
    if (twipsPerPixel <= 0)
        return twips;
    return int(std::lround(double(twips) / twipsPerPixel));
}

int valueAt(int x, const Track &track, double duration)
{
    if (track.usable() <= 0)
        return 0;
    return roundToValue(double(x - track.margin) / track.usable() * duration * 100);
}

int fullscreenValueAt(int x, int width, double duration)
{
    if (width <= 0)
        return 0;
    return roundToValue(double(x) / width * duration * 100);
}

int clampToBar(int value, int maximum)
{
    return std::clamp(value, 0, std::max(0, maximum));
}

int bandStart(int x, const Track &track)
{
    const int last = std::max(track.margin, track.width - track.margin);
    return std::clamp(x, track.margin, last);
}

Band bandSpan(int start, int pointer, const Track &track)
{
    if (pointer > start) {
        // Dragging right of the start: past the track's end the band stops there.
        const int end = std::min(pointer, track.width - track.margin);
        return {start, std::max(0, end - start)};
    }
    // Dragging left of the start: in the left margin the band stops at the
    // track's start.
    const int begin = std::max(pointer, track.margin);
    return {std::min(begin, start), std::max(0, start - begin)};
}

Section finishSection(int start, int end, int maximum)
{
    if (end > start)
        return {start, std::min(end, maximum) - start};
    if (end < 0)
        return {0, start};
    return {end, start - end};
}

} // namespace seek_geometry
