// Seeking and marking a section with the mouse on the real window, over a
// paused 180-second movie.

#include "base/seek_geometry.h"
#include "media/cmovie.h"
#include "playback/position_timer.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/screen_metrics.h"
#include "window/seek_bar.h"

#include <QApplication>
#include <QFrame>
#include <QTest>
#include <cmath>

class TestSeekBar : public QObject
{
    Q_OBJECT

    std::unique_ptr<PlayerFixture> fixture_;
    SeekBar *bar_ = nullptr;
    int margin_ = 0;

    CMovie &movie() { return fixture_->player().movie(); }
    QWidget *band() { return fixture_->player().window().sel(); }
    double position()
    {
        double seconds = -1;
        movie().currentPosition(&seconds);
        return seconds;
    }
    // The point of the bar over a second of the movie, or at a bar x.
    QPoint at(double seconds)
    {
        const int usable = bar_->width() - 2 * margin_;
        return atX(margin_ + int(std::lround(seconds / 180 * usable)));
    }
    QPoint atX(int x) { return {x, bar_->height() / 2}; }
    // A value within a pixel's worth of the expected one.
    bool near(int value, int expected) const
    {
        return qAbs(value - expected) <= 18000 / (bar_->width() - 2 * margin_) + 1;
    }
    void ctrlDrag(QPoint from, QPoint to)
    {
        QTest::mousePress(bar_, Qt::LeftButton, Qt::ControlModifier, from);
        QTest::mouseMove(bar_, to);
        QTest::mouseRelease(bar_, Qt::LeftButton, Qt::ControlModifier, to);
    }

private slots:
    void init()
    {
        fixture_ = std::make_unique<PlayerFixture>(QStringList{test_media::clip("long3.avi")});
        QVERIFY(fixture_->started());
        MainWindow &window = fixture_->player().window();
        bar_ = window.seekBar();
        QCOMPARE(bar_->maximum(), 18000);
        window.resize(1000, 600);
        QTRY_VERIFY(bar_->width() > 600);
        margin_ = seek_geometry::pixelsFromTwips(seek_geometry::kMarginTwips,
                                                 ScreenMetrics::measure(window).TwipsPerPixelX);
        movie().MediaPlay(PlayCommand::Pause);
    }

    void cleanup() { fixture_.reset(); }

    void plainClicksAndDragsSeek()
    {
        bar_->setSelStart(1000);
        bar_->setSelLength(500);
        QTest::mouseClick(bar_, Qt::LeftButton, {}, at(135));
        QVERIFY(near(bar_->value(), 13500));
        QCOMPARE(position(), bar_->value() / 100.0);
        QCOMPARE(bar_->SelLength(), 0);
        QVERIFY(fixture_->player().positionTimer().isActive());
        QVERIFY(!movie().inCommand());

        // Ctrl with Shift is a plain seek, not a section drag.
        QTest::mousePress(bar_, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, at(45));
        QVERIFY(band()->isHidden());
        QTest::mouseMove(bar_, at(60));
        QTest::mouseRelease(bar_, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, at(60));
        QVERIFY(near(bar_->value(), 6000));
        QCOMPARE(position(), bar_->value() / 100.0);
        QCOMPARE(bar_->SelLength(), 0);

        // A click in the left margin goes to the start, not before it.
        QTest::mouseClick(bar_, Qt::LeftButton, {}, atX(2));
        QCOMPARE(bar_->value(), 0);
        QCOMPARE(position(), 0.0);
    }

    void ctrlDragMarksTheSameSectionEitherWay()
    {
        const double before = position();
        QTest::mousePress(bar_, Qt::LeftButton, Qt::ControlModifier, at(45));
        QVERIFY(!band()->isHidden());
        QCOMPARE(bar_->cursor().shape(), Qt::UpArrowCursor);
        QTest::mouseMove(bar_, at(135));
        QCOMPARE(band()->x(), bar_->x() + at(45).x());
        QCOMPARE(band()->width(), at(135).x() - at(45).x());
        QCOMPARE(position(), before);
        QTest::mouseRelease(bar_, Qt::LeftButton, Qt::ControlModifier, at(135));

        QVERIFY(band()->isHidden());
        QCOMPARE(bar_->cursor().shape(), Qt::ArrowCursor);
        const int start = bar_->SelStart();
        const int length = bar_->SelLength();
        QVERIFY(near(start, 4500));
        QVERIFY(near(start + length, 13500));
        // Playback starts over at the section's start.
        QCOMPARE(position(), start / 100.0);

        QTest::mousePress(bar_, Qt::LeftButton, Qt::ControlModifier, at(135));
        QTest::mouseMove(bar_, at(45));
        QCOMPARE(band()->x(), bar_->x() + at(45).x());
        QCOMPARE(band()->width(), at(135).x() - at(45).x());
        QTest::mouseRelease(bar_, Qt::LeftButton, Qt::ControlModifier, at(45));
        QCOMPARE(bar_->SelStart(), start);
        QCOMPARE(bar_->SelLength(), length);
    }

    void sectionDraggedOffTheTrackEndsAtTheMovieEnds()
    {
        ctrlDrag(at(120), atX(bar_->width() + 40));
        QVERIFY(near(bar_->SelStart(), 12000));
        QCOMPARE(bar_->SelStart() + bar_->SelLength(), 18000);

        ctrlDrag(at(60), atX(3));
        QCOMPARE(bar_->SelStart(), 0);
        QVERIFY(near(bar_->SelLength(), 6000));
        QCOMPARE(position(), 0.0);

        // Begun in the right margin: the section reaches the end, no further.
        ctrlDrag(atX(bar_->width() - 2), at(150));
        QVERIFY(near(bar_->SelStart(), 15000));
        QCOMPARE(bar_->SelStart() + bar_->SelLength(), 18000);
    }

    void ctrlClickAndRightClickLeaveNoSection()
    {
        ctrlDrag(at(30), at(60));
        QTest::mouseClick(bar_, Qt::LeftButton, Qt::ControlModifier, at(100));
        QCOMPARE(bar_->SelLength(), 0);
        QVERIFY(band()->isHidden());
        QVERIFY(near(bar_->value(), 10000));
        QCOMPARE(position(), bar_->value() / 100.0);

        ctrlDrag(at(20), at(40));
        QVERIFY(bar_->SelLength() > 0);
        const int value = bar_->value();
        const double seconds = position();
        QTest::mouseClick(bar_, Qt::RightButton, {}, at(150));
        QCOMPARE(bar_->SelLength(), 0);
        QCOMPARE(bar_->value(), value);
        QCOMPARE(position(), seconds);
    }

    void seekWhileACommandRunsIsDropped()
    {
        QTest::mouseClick(bar_, Qt::LeftButton, {}, at(30));
        const int value = bar_->value();
        const double seconds = position();
        movie().setInCommand(true);
        QTest::mouseClick(bar_, Qt::LeftButton, {}, at(150));
        QCOMPARE(bar_->value(), value);
        QCOMPARE(position(), seconds);
        // Dropped, not queued.
        movie().setInCommand(false);
        QTest::qWait(100);
        QVERIFY(qAbs(position() - seconds) < 1);
    }

    void fullscreenBarSeeksAndKeepsTheSection()
    {
        ctrlDrag(at(20), at(40));
        const int start = bar_->SelStart();
        const int length = bar_->SelLength();

        fixture_->player().window().findChild<QFrame *>("fullscreen_control")->show();
        SeekBar *fullscreenBar = fixture_->player().window().seekBarForFullscreen();
        QTRY_VERIFY(fullscreenBar->width() > 100);
        const int width = fullscreenBar->width();
        // No margins: a quarter of the bar is a quarter of the movie.
        QTest::mouseClick(fullscreenBar, Qt::LeftButton, {}, QPoint(width / 4, 5));
        QVERIFY(qAbs(bar_->value() - 4500) <= 18000 / width + 1);
        QCOMPARE(fullscreenBar->value(), bar_->value());
        QCOMPARE(position(), bar_->value() / 100.0);
        QCOMPARE(bar_->SelStart(), start);
        QCOMPARE(bar_->SelLength(), length);

        const double seconds = position();
        movie().setInCommand(true);
        QTest::mouseClick(fullscreenBar, Qt::LeftButton, {}, QPoint(width - 5, 5));
        movie().setInCommand(false);
        QCOMPARE(position(), seconds);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestSeekBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_seek_bar.moc"
