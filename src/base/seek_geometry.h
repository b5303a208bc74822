#pragma once

// Arithmetic of the seek bars: where a pointer lands in hundredths of a
// second, where the section band is drawn while it is dragged, and what
// section a drag leaves behind.  Everything is in pixels relative to the bar.
namespace seek_geometry
{

// Width of the unused stretch at each end of the seek bar's track, in twips.
constexpr int kMarginTwips = 160;
// Distance of the section band from the bar's top edge, in twips.
constexpr int kBandTopTwips = 40;

// A twips length on screen: divided by the twips-per-pixel factor and
// rounded to the nearest pixel.
int pixelsFromTwips(int twips, int twipsPerPixel);

// The seek bar's usable track: the bar's width less a margin at each end.
struct Track {
    int width = 0;
    int margin = 0;

    int usable() const { return width - 2 * margin; }
};

// The value under the pointer at x on the seek bar, for a movie of duration
// seconds: (x - margin) / usable * duration * 100, rounded to the nearest
// integer with ties to even.  A pointer in a margin gives a value below 0 or
// beyond the end; a track with no usable width gives 0.
int valueAt(int x, const Track &track, double duration);

// The value under the pointer at x on the full-screen bar, which has no
// margins.  A bar with no width gives 0.
int fullscreenValueAt(int x, int width, double duration);

// A value brought into the bar's range 0..maximum.
int clampToBar(int value, int maximum);

// Where a section drag that began at x starts its band: on the track, so that
// a drag begun in a margin starts at the track's end like its section does.
int bandStart(int x, const Track &track);

// The band between a drag's start and the pointer, both bar-relative.  Past
// the right end of the track it stops at the end; in the left margin it
// stops at the track's start.
struct Band {
    int left = 0;
    int width = 0;
};
Band bandSpan(int start, int pointer, const Track &track);

// The section a drag leaves when it began at value start and ended at value
// end, on a bar whose range is 0..maximum.  Ending past the bar's end gives a
// section that ends at maximum; ending before 0 one that begins at 0.  A drag
// that ends where it began leaves length 0, no section.
struct Section {
    int start = 0;
    int length = 0;
};
Section finishSection(int start, int end, int maximum);

} // namespace seek_geometry
