// The arithmetic of the window's layout, fit, masks, automatic list, zoom and
// volume bars.

#include "base/audio_gain.h"
#include "base/window_geometry.h"

#include <QTest>
#include <limits>

using namespace window_geometry;

class TestWindowGeometry : public QObject
{
    Q_OBJECT

private slots:
    void layoutAndFit()
    {
        // 33 pixels of video (500 twips at 15) is the least a window keeps.
        const VideoRoom fits = videoRoom(QSize(900, 600), 274, 58, 33);
        QCOMPARE(fits.video, QSize(626, 542));
        QCOMPARE(fits.inner, QSize(900, 600));
        // Narrower than the list and splitter: the video snaps to the least
        // width and the window grows to hold it; the same for the height.
        const VideoRoom snapped = videoRoom(QSize(200, 40), 274, 58, 33);
        QCOMPARE(snapped.video, QSize(33, 33));
        QCOMPARE(snapped.inner, QSize(274 + 33, 58 + 33));

        QCOMPARE(splitterLeft(10, 900, 33, 13), 33);
        QCOMPARE(splitterLeft(400, 900, 33, 13), 400);
        QCOMPARE(splitterLeft(895, 900, 33, 13), 887);

        // A 4:3 movie in a wide area: full height, centred across.
        QCOMPARE(fitPicture(QSize(800, 300), QSize(320, 240), true), QRect(200, 0, 400, 300));
        // In a tall area: full width, centred down.
        QCOMPARE(fitPicture(QSize(400, 600), QSize(320, 240), true), QRect(0, 150, 400, 300));
        // Stretched, or without a picture size (no video): the whole area.
        QCOMPARE(fitPicture(QSize(800, 300), QSize(320, 240), false), QRect(0, 0, 800, 300));
        QCOMPARE(fitPicture(QSize(800, 300), QSize(0, 0), true), QRect(0, 0, 800, 300));

        // A 10 % mask covers a tenth of the picture, not of the area.
        const Masks masks = edgeMasks(400, 150, 300, 10, 20);
        QCOMPARE(masks.upper, QRect(0, 150, 400, 30));
        QCOMPARE(masks.under, QRect(0, 390, 400, 60));
        QVERIFY(edgeMasks(400, 0, 300, 0, 0).upper.isNull());
        QVERIFY(edgeMasks(400, 0, 300, 0, 0).under.isNull());
    }

    void pointerOpensTheList()
    {
        // A 600-pixel video with a 67-pixel strip (1000 twips).
        QVERIFY(pointerWantsList(QPoint(590, 300), 600, 67));
        QVERIFY(!pointerWantsList(QPoint(500, 300), 600, 67));
        // The triangle at the strip's top does not open the list.
        QVERIFY(!pointerWantsList(QPoint(590, 5), 600, 67));
        QVERIFY(pointerWantsList(QPoint(590, 11), 600, 67));
    }

    void zoomAndListWidth()
    {
        QCOMPARE(zoomedVideo(QSize(320, 240), 400, 2.0), QSize(640, 480));
        QCOMPARE(zoomedVideo(QSize(320, 240), 400, 0.5), QSize(160, 120));
        // Without a picture size: 1.3:1 at the area's height.
        QCOMPARE(zoomedVideo(QSize(0, 0), 400, 1.0), QSize(520, 400));
        // Factors that cannot be shown are refused.
        for (const double bad : {0.0, -1.0, std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::quiet_NaN(), 1e12, 1e-9})
            QVERIFY(!zoomedVideo(QSize(320, 240), 400, bad));

        // 100 source pixels wider or narrower; nothing without a source.
        QCOMPARE(*zoomStepFactor(640, 320, 100), 740.0 / 320);
        QCOMPARE(*zoomStepFactor(640, 320, -100), 540.0 / 320);
        QVERIFY(!zoomStepFactor(640, 0, 100));
        QCOMPARE(*optimisedHeight(640, QSize(320, 240)), 480);
        QVERIFY(!optimisedHeight(640, QSize(0, 240)));

        QCOMPARE(steppedListWidthTwips(4050, 1), 4350);
        QCOMPARE(steppedListWidthTwips(4050, -1), 3750);
        // "sub" on a 380-twip list does nothing.
        QCOMPARE(steppedListWidthTwips(380, -1), 380);
        QCOMPARE(steppedListWidthTwips(390, -1), 90);

        // A window on no screen comes back on the primary one.
        const QRect primary(0, 0, 1280, 1024);
        const QList<QRect> screens{primary, QRect(1280, 0, 1920, 1080)};
        QCOMPARE(keptOnScreens(QRect(1500, 100, 800, 600), screens, primary),
                 QRect(1500, 100, 800, 600));
        QCOMPARE(keptOnScreens(QRect(4000, 100, 800, 600), screens, primary),
                 QRect(0, 0, 800, 600));
        QCOMPARE(keptOnScreens(QRect(-5000, 0, 3000, 2000), {primary}, primary),
                 QRect(0, 0, 1280, 1024));
        // With the window manager's frame: the title bar and borders come
        // onto the screen too, and a title bar above a screen comes down.
        const QMargins frame(2, 24, 2, 2);
        QCOMPARE(keptOnScreens(QRect(4000, 100, 800, 600), screens, primary, frame),
                 QRect(2, 24, 800, 600));
        QCOMPARE(keptOnScreens(QRect(-5000, 0, 3000, 2000), {primary}, primary, frame),
                 QRect(2, 24, 1276, 998));
        QCOMPARE(titleBarOnScreen(QRect(100, 10, 800, 600), screens, frame),
                 QRect(100, 24, 800, 600));
        QCOMPARE(titleBarOnScreen(QRect(100, 30, 800, 600), screens, frame),
                 QRect(100, 30, 800, 600));
    }

    // Full screen on a 1280 x 1024 screen at 15 twips a pixel: the lists
    // 3800 twips high along the bottom, the files 6000 wide on the right,
    // the folder box 3000 high above them; the lists come with the pointer
    // in the bottom 1266 2/3 twips.
    void fullScreenOverlays()
    {
        const FullScreenPlaces places = fullScreenPlaces(QSize(1280, 1024), 15, 15);
        QCOMPARE(places.files, QRect(881, 771, 401, 254));
        QCOMPARE(places.favourites, QRect(0, 771, 881, 254));
        QCOMPARE(places.directory, QRect(880, 571, 400, 200));
        QVERIFY(!pointerWantsFullScreenLists(939, 1024, 15));
        QVERIFY(pointerWantsFullScreenLists(940, 1024, 15));
    }

    void volumeBars()
    {
        // A click in the middle of a 200-pixel track: about 50, -25 dB.
        QCOMPARE(audio_gain::barValueAt(100, 200), 50);
        QCOMPARE(audio_gain::hundredthsDbFromBar(50), -2500);
        QCOMPARE(audio_gain::hundredthsDbFromBar(70), -1500);
        QCOMPARE(audio_gain::hundredthsDbFromBar(100), 0);
        QCOMPARE(audio_gain::hundredthsDbFromBar(0), -5000);
        // The far right end gives 100, left of the bar 0.
        QCOMPARE(audio_gain::barValueAt(260, 200), 100);
        QCOMPARE(audio_gain::barValueAt(-30, 200), 0);

        // Both channels at the scroll bar's level; the left one read back.
        QCOMPARE(audio_gain::waveWord(0), 0x80008000u);
        QCOMPARE(audio_gain::waveWord(32767), 0xFFFFFFFFu);
        QCOMPARE(audio_gain::waveWord(-32768), 0u);
        QCOMPARE(audio_gain::scrollValueOfWord(0x1234C000u), 0x4000);
        QCOMPARE(audio_gain::pulseVolumeFromLevel(0xFFFF), 0x10000u);
        QCOMPARE(audio_gain::pulseVolumeFromLevel(0), 0u);
        for (const std::uint16_t level : {0, 1, 0x8000, 0xFFFE, 0xFFFF})
            QCOMPARE(audio_gain::levelFromPulseVolume(audio_gain::pulseVolumeFromLevel(level)),
                     level);
        // Louder than the card's normal level reads as full.
        QCOMPARE(audio_gain::levelFromPulseVolume(0x20000), std::uint16_t(0xFFFF));
    }
};

QTEST_APPLESS_MAIN(TestWindowGeometry)

#include "test_window_geometry.moc"
