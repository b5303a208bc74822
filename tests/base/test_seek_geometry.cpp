// Pointer-to-value arithmetic of the seek bars, the section band and the
// section a drag leaves.

#include "base/seek_geometry.h"

#include <QTest>

using namespace seek_geometry;

class TestSeekGeometry : public QObject
{
    Q_OBJECT

private slots:
    void pointerToValue()
    {
        QCOMPARE(pixelsFromTwips(kMarginTwips, 15), 11);
        QCOMPARE(pixelsFromTwips(kMarginTwips, 10), 16);

        // 222 pixels wide: a track of 200 pixels from x = 11 to x = 211.
        const Track track{222, 11};
        QCOMPARE(valueAt(11, track, 180), 0);
        QCOMPARE(valueAt(111, track, 180), 9000);
        QCOMPARE(valueAt(211, track, 180), 18000);
        // The margins lie outside the movie until clamped to the bar.
        QCOMPARE(valueAt(0, track, 180), -990);
        QCOMPARE(valueAt(221, track, 180), 18900);
        QCOMPARE(clampToBar(-990, 18000), 0);
        QCOMPARE(clampToBar(18900, 18000), 18000);
        QCOMPARE(clampToBar(500, 0), 0);
        // Halves round to even: 0.5, 1.5 and 2.5 hundredths.
        QCOMPARE(valueAt(12, Track{26, 11}, 0.02), 0);
        QCOMPARE(valueAt(12, Track{26, 11}, 0.06), 2);
        QCOMPARE(valueAt(12, Track{26, 11}, 0.10), 2);
        // A bar no wider than its margins gives 0.
        QCOMPARE(valueAt(15, Track{22, 11}, 180), 0);
        QCOMPARE(valueAt(15, Track{10, 11}, 180), 0);

        // The full-screen bar has no margins.
        QCOMPARE(fullscreenValueAt(100, 400, 180), 4500);
        QCOMPARE(fullscreenValueAt(400, 400, 180), 18000);
        QCOMPARE(fullscreenValueAt(15, 0, 180), 0);
    }

    void bandStaysOnTheTrack()
    {
        const Track track{222, 11};
        // A drag begun in a margin starts its band at that end of the track.
        QCOMPARE(bandStart(3, track), 11);
        QCOMPARE(bandStart(218, track), 211);

        struct Case {
            int start, pointer, left, width;
        };
        const Case cases[] = {
            {50, 120, 50, 70},   {50, 215, 50, 161}, // right; past the right end
            {120, 50, 50, 70},   {120, 5, 11, 109},  // left; into the left margin
            {120, -40, 11, 109}, {120, 120, 120, 0}, // outside the bar; not moved
            {211, 220, 211, 0},  {11, 0, 11, 0},     // begun at an end, dragged on
        };
        for (const Case &c : cases) {
            const Band band = bandSpan(c.start, c.pointer, track);
            QCOMPARE(band.left, c.left);
            QCOMPARE(band.width, c.width);
        }
    }

    void sectionFromADrag()
    {
        struct Case {
            int start, end, sectionStart, length;
        };
        // On a bar of 0..18000.
        const Case cases[] = {
            {4500, 13500, 4500, 9000},
            {13500, 4500, 4500, 9000}, // both directions
            {4500, 18900, 4500, 13500},
            {4500, -990, 0, 4500}, // past either end
            {4500, 4500, 4500, 0},
            {18000, 18900, 18000, 0}, // no section left
            {0, -50, 0, 0},
        };
        for (const Case &c : cases) {
            const Section section = finishSection(c.start, c.end, 18000);
            QCOMPARE(section.start, c.sectionStart);
            QCOMPARE(section.length, c.length);
        }
    }
};

QTEST_APPLESS_MAIN(TestSeekGeometry)

#include "test_seek_geometry.moc"
