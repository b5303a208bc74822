// A movie's chapters (the menu, the marks on both seek bars, the two keys)
// and the picture of the movie over the seek bars, in the running program.

#include "app/chapter_menus.h"
#include "app/seek_preview.h"
#include "base/key_bindings.h"
#include "base/settings.h"
#include "display/display_modes.h"
#include "input/main_menu.h"
#include "media/cmovie.h"
#include "media/frame_grabber.h"
#include "playback/seek_control.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>

namespace
{

QStringList entries(QMenu *menu)
{
    QStringList shown;
    for (const QAction *entry : menu->actions())
        shown << (entry->isChecked() ? "*" : "") + entry->text();
    return shown;
}

double position(Player &player)
{
    double seconds = -1;
    player.movie().currentPosition(&seconds);
    return seconds;
}

} // namespace

class TestChaptersAndPreview : public QObject
{
    Q_OBJECT

private slots:
    void chaptersInTheMenuOnTheBarsAndOnKeys()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        MainMenu &menus = player.mainMenu();
        const QList<QAction *> before = menus.menu()->actions();
        KeyBindings &keys = player.keyBindings();
        QCOMPARE(keys.trySet(KeyBindings::NextChapter, 'N').result, KeyBindings::Result::Ok);
        QCOMPARE(keys.trySet(KeyBindings::PreviousChapter, 'B').result, KeyBindings::Result::Ok);
        QWidget *display = player.window().display();

        QVERIFY(playAndWait(player, test_media::clip("chapters.mkv")));
        player.movie().MediaPlay(PlayCommand::Pause);
        QTRY_COMPARE(menus.menu()->actions().mid(before.size()),
                     QList<QAction *>({menus.menu()->actions().value(before.size()),
                                       menus.m_chapter->menuAction()}));
        QTRY_COMPARE(entries(menus.m_chapter),
                     QStringList({"*0:00 Opening", "0:04 Middle", "0:08 End"}));
        QCOMPARE(player.window().seekBar()->chapterMarks(), QList<int>({400, 800}));
        QCOMPARE(player.window().seekBarForFullscreen()->chapterMarks(), QList<int>({400, 800}));

        QTest::keyClick(display, Qt::Key_N);
        QTRY_COMPARE(position(player), 4.0);
        QTRY_COMPARE(entries(menus.m_chapter).value(1), QString("*0:04 Middle"));
        menus.m_chapter->actions().last()->trigger();
        QTRY_COMPARE(position(player), 8.0);
        // Within seconds of a chapter's start, back goes to the one before.
        QTest::keyClick(display, Qt::Key_B);
        QTRY_COMPARE(position(player), 4.0);

        // A section across a chapter's start still holds playback.
        player.window().seekBar()->setSelStart(300);
        player.window().seekBar()->setSelLength(200);
        QTest::keyClick(display, Qt::Key_N);
        QTRY_COMPARE(position(player), 3.0);

        QVERIFY(playAndWait(player, test_media::clip("clip.avi")));
        QTRY_COMPARE(menus.menu()->actions(), before);
        QVERIFY(player.window().seekBar()->chapterMarks().isEmpty());
    }

    // The picture shows over either bar the frame under the pointer, taken
    // from the screen as the user sees it; not in small mode, not with the
    // option off.
    void pictureOverTheSeekBar()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        const QString movie = test_media::clip("chapters.mkv");
        QVERIFY(playAndWait(player, movie));
        player.movie().MediaPlay(PlayCommand::Pause);
        SeekBar *bar = player.window().seekBar();
        QWidget *popup = player.seekPreview().popup();
        QVERIFY(!popup->isVisible());

        // What the screen shows where the picture is, once it has come.
        const auto hoverAndLook = [&](int x) {
            QTest::mouseMove(bar, QPoint(x, bar->height() / 2));
            if (!QTest::qWaitFor([&] { return player.seekPreview().pictureShown(); }))
                return QImage();
            QTest::qWait(100);
            const QRect area(popup->mapToGlobal(QPoint(3, 3)), QSize(160, 120));
            return popup->screen()
                ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                .toImage();
        };
        // The frame the grabber gives for the place under x.
        const auto frameUnder = [&](int x) {
            const double seconds = *player.seekControl().valueUnder(bar, x) / 100.0;
            const double step = std::max(1.0, 12.0 / SeekPreview::kPlaces);
            return FrameGrabber::grab(movie, std::round(seconds / step) * step, QSize(160, 120))
                .convertToFormat(QImage::Format_RGB32);
        };
        // The test picture changes little from second to second: each
        // picture is nearer its own frame than the other's.
        const int left = bar->width() / 4;
        const int right = bar->width() * 3 / 4;
        const QImage early = hoverAndLook(left).convertToFormat(QImage::Format_RGB32);
        const QImage late = hoverAndLook(right).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!early.isNull() && !late.isNull());
        const double earlyNear = test_media::pictureDistance(early, frameUnder(left));
        const double lateNear = test_media::pictureDistance(late, frameUnder(right));
        QVERIFY2(earlyNear < 8 && lateNear < 8,
                 qPrintable(QString("%1 %2").arg(earlyNear).arg(lateNear)));
        QVERIFY(earlyNear < test_media::pictureDistance(early, frameUnder(right)));
        QVERIFY(lateNear < test_media::pictureDistance(late, frameUnder(left)));

        QTest::mouseMove(player.window().display(), QPoint(5, 5));
        QTRY_VERIFY(!popup->isVisible());

        player.settings().set(Settings::SeekPreview, false);
        QTest::mouseMove(bar, QPoint(bar->width() / 2, bar->height() / 2));
        QTest::qWait(200);
        QVERIFY(!popup->isVisible());
        player.settings().set(Settings::SeekPreview, true);
        player.displayModes().toggleSmallMode();
        QTest::mouseMove(bar, QPoint(bar->width() / 3, bar->height() / 2));
        QTest::qWait(200);
        QVERIFY(!popup->isVisible());
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestChaptersAndPreview test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_chapters_and_preview.moc"
