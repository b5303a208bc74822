#include "base/audio_gain.h"
#include "media/cmovie.h"
#include "test_media.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>

namespace
{

// Stands in for the program's video area: counts the clicks it receives.
class Screen : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

double position(const CMovie &movie)
{
    double seconds = -1;
    return movie.currentPosition(&seconds) ? seconds : -1;
}

// The files this process holds open.
QStringList openFiles()
{
    QStringList files;
    for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::Files | QDir::System))
        files << fd.symLinkTarget();
    return files;
}

bool showsColour(const QImage &picture)
{
    for (int y = 0; y < picture.height(); y += 7)
        for (int x = 0; x < picture.width(); x += 7)
            if (qGray(picture.pixel(x, y)) > 64)
                return true;
    return false;
}

} // namespace

class TestCMovie : public QObject
{
    Q_OBJECT

    std::unique_ptr<Screen> screen_;
    std::unique_ptr<CMovie> movie_;

    qint16 open(const QString &name, double pos = 0, QWidget *screen = nullptr)
    {
        return openPath(*movie_, test_media::clip(name), screen ? screen : screen_.get(), pos);
    }

    static qint16 openPath(CMovie &movie, const QString &path, QWidget *screen, double pos = 0)
    {
        return test_media::openAndWait(movie, path, screen, pos);
    }

private slots:
    void initTestCase()
    {
        CMovie::setAudioOutput("null");
        for (const char *name :
             {"clip.mpg", "clip.mpeg", "clip.avi", "clip.wmv", "clip.asf", "clip.mov",
              "noaudio.avi", "long3.avi", "long10.avi", "notmovie.avi"})
            QVERIFY2(!test_media::clip(name).isEmpty(), name);
    }

    void init()
    {
        screen_ = std::make_unique<Screen>();
        screen_->resize(640, 480);
        screen_->show();
        QVERIFY(QTest::qWaitForWindowExposed(screen_.get()));
        movie_ = std::make_unique<CMovie>();
    }

    void cleanup()
    {
        movie_->MediaClear();
        movie_.reset();
        screen_.reset();
    }

    // Where no sound server runs, the audio libraries mpv would try write
    // nothing to the terminal: only outputs with something behind them are
    // tried.
    void audioProbingKeepsTheTerminalQuiet()
    {
        QTemporaryDir runtime;
        const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        CMovie::setAudioOutput(QString());
        QTemporaryFile terminal;
        QVERIFY(terminal.open());
        std::fflush(stderr);
        const int stderrBefore = ::dup(2);
        ::dup2(terminal.handle(), 2);
        qint16 result = 0;
        double played = -1;
        {
            CMovie movie;
            result = openPath(movie, test_media::clip("clip.avi"), screen_.get());
            movie.MediaPlay(PlayCommand::Play);
            QTest::qWaitFor([&] { return position(movie) > 0.3; }, 5000);
            played = position(movie);
            movie.MediaClear();
        }
        std::fflush(stderr);
        ::dup2(stderrBefore, 2);
        ::close(stderrBefore);
        CMovie::setAudioOutput("null");
        qputenv("XDG_RUNTIME_DIR", runtimeBefore);
        QCOMPARE(result, qint16(300));
        QVERIFY(played > 0.3);
        QFile written(terminal.fileName());
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray said = written.readAll();
        QVERIFY2(!said.contains("ALSA lib") && !said.contains("client.conf"), said.constData());
    }

    void secondsToString()
    {
        const QList<QPair<int, QString>> cases = {
            {-5, "0:00"},      {0, "0:00"},       {59, "0:59"},
            {75, "1:15"},      {600, "10:00"},    {3599, "59:59"},
            {3600, "1:00:00"}, {3725, "1:02:05"}, {360000, "100:00:00"}};
        for (const auto &[seconds, text] : cases)
            QCOMPARE(CMovie::secondsToString(seconds), text);
    }

    void audioGainConversion()
    {
        using namespace audio_gain;
        QCOMPARE(mpvVolumeFromHundredthsDb(0), 100.0);
        QCOMPARE(mpvVolumeFromHundredthsDb(-10000), 0.0);
        // -20 dB is a gain of 0.1, and mpv's scale is cubic.
        QVERIFY(std::abs(mpvVolumeFromHundredthsDb(-2000) - 100.0 * std::cbrt(0.1)) < 1e-9);
        QCOMPARE(mpvVolumeFromHundredthsDb(500), 100.0);
        QCOMPARE(hundredthsDbFromMpvVolume(130.0), 0);
        QCOMPARE(hundredthsDbFromMpvVolume(1.0), -10000);
        double previous = -1;
        for (qint32 v = -10000; v <= 0; ++v) {
            const double percent = mpvVolumeFromHundredthsDb(v);
            QVERIFY(percent > previous);
            previous = percent;
            QVERIFY2(std::abs(hundredthsDbFromMpvVolume(percent) - v) <= 1,
                     qPrintable(QString::number(v)));
        }
    }

    void containersOpenAndPlay_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"clip.mpg", "clip.mpeg", "clip.avi", "clip.wmv", "clip.asf", "clip.mov"})
            QTest::newRow(name) << QString(name);
    }

    void containersOpenAndPlay()
    {
        QFETCH(QString, name);
        QSignalSpy frames(movie_.get(), &CMovie::frameShown);
        QCOMPARE(open(name), qint16(300));
        QCOMPARE(movie_->filename(), test_media::clip(name));
        QCOMPARE(int(movie_->playState()), 1);
        QCOMPARE(movie_->sourceWidth(), 320);
        QCOMPARE(movie_->sourceHeight(), 240);
        qint32 volume = 1;
        QVERIFY(movie_->audioVolume(&volume));

        QWidget *video = movie_->videoWidget();
        QCOMPARE(video->parentWidget(), screen_.get());
        QVERIFY(video->isVisible());
        QCOMPARE(video->geometry(), QRect(0, 0, 640, 480));
        QVERIFY2(test_media::drawsWithOpenGL(video), "OpenGL is available under Xvfb");
        QTRY_VERIFY(position(*movie_) > 0.5);
        QTRY_VERIFY(!frames.isEmpty());
        QVERIFY(showsColour(test_media::shownPicture(video)));
    }

    // A phone's movie stored on its side shows upright, and the window is
    // asked for its upright size.
    void turnedMovieIsShownUpright()
    {
        screen_->resize(240, 320);
        QSignalSpy frames(movie_.get(), &CMovie::frameShown);
        QCOMPARE(open("rotated.mov"), qint16(300));
        QCOMPARE(movie_->sourceWidth(), 240);
        QCOMPARE(movie_->sourceHeight(), 320);
        QTRY_VERIFY(position(*movie_) > 0.5);
        movie_->MediaPlay(PlayCommand::Stop);
        frames.clear();
        QTRY_VERIFY(!frames.isEmpty());
        QTest::qWait(100);
        const double distance = test_media::distanceFromUpright(*movie_);
        QVERIFY2(distance >= 0 && distance < 12, qPrintable(QString::number(distance)));
    }

    void openResults()
    {
        movie_->setVolume(-1234);
        QCOMPARE(open("noaudio.avi"), qint16(300));
        QCOMPARE(movie_->volume(), -1234);
        qint32 volume = 0;
        QVERIFY(!movie_->audioVolume(&volume));
        QVERIFY(!movie_->setAudioVolume(-500));
        QTRY_VERIFY(position(*movie_) > 0.5);

        QCOMPARE(open("long3.avi"), qint16(18000));
        QCOMPARE(open("long10.avi"), qint16(-1));
        double seconds = 0;
        QVERIFY(movie_->duration(&seconds));
        QVERIFY(std::abs(seconds - 600) < 0.01);

        // Failures leave the session closed, the previous file gone.
        const QString dir = test_media::mediaDir();
        for (const QString &path : {test_media::clip("notmovie.avi"), dir + "/missing.avi", dir}) {
            QCOMPARE(openPath(*movie_, path, screen_.get()), qint16(0));
            QCOMPARE(movie_->filename(), QString());
            QVERIFY(!movie_->isOpen());
            QVERIFY(!movie_->currentPosition(&seconds));
        }
        QCOMPARE(open("clip.mov", 1.5), qint16(300));
        QVERIFY(position(*movie_) >= 1.5 && position(*movie_) < 1.8);
    }

    void playbackControl()
    {
        QCOMPARE(open("clip.avi"), qint16(300));
        double rate = 0;
        movie_->SetRate(2.5f);
        QVERIFY(movie_->rate(&rate));
        QCOMPARE(rate, 2.0);
        QTRY_VERIFY(position(*movie_) > 1.0);

        // Paused, the position stays (a report already on its way may still
        // move it a little); stopped, it stays at 0.  Playing on at twice the
        // speed would move it 2 s in the time waited.
        movie_->MediaPlay(PlayCommand::Pause);
        QCOMPARE(int(movie_->playState()), 2);
        const double paused = position(*movie_);
        QVERIFY(!QTest::qWaitFor([&] { return position(*movie_) > paused + 0.5; }, 1000));

        movie_->MediaPlay(PlayCommand::Stop);
        QCOMPARE(int(movie_->playState()), 3);
        QCOMPARE(position(*movie_), 0.0);
        QVERIFY(!movie_->inCommand());
        QVERIFY(!QTest::qWaitFor([&] { return position(*movie_) > 0.5; }, 1000));

        movie_->MediaPlay(PlayCommand::Play);
        QCOMPARE(int(movie_->playState()), 1);
        QTRY_VERIFY(position(*movie_) > 0.3);
        QVERIFY(position(*movie_) < 1.5);
        movie_->MediaPlay(PlayCommand(7));
        QCOMPARE(int(movie_->playState()), 1);

        // Each file starts at normal speed.
        QCOMPARE(open("clip.avi"), qint16(300));
        QVERIFY(movie_->rate(&rate));
        QCOMPARE(rate, 1.0);
    }

    void endOfMovieReadsAsDuration()
    {
        QCOMPARE(open("clip.mpg"), qint16(300));
        movie_->SetRate(2.0f);
        double length = 0;
        QVERIFY(movie_->duration(&length));
        QTRY_COMPARE_WITH_TIMEOUT(position(*movie_), length, 4000);
        QTest::qWait(200);
        QCOMPARE(position(*movie_), length);

        QVERIFY(movie_->setCurrentPosition(1.0));
        QCOMPARE(position(*movie_), 1.0);
        movie_->MediaPlay(PlayCommand::Play);
        QTRY_VERIFY(position(*movie_) > 1.0 && position(*movie_) < length);
    }

    void secondOpenReleasesFirst()
    {
        QCOMPARE(open("clip.avi"), qint16(300));
        QVERIFY(openFiles().contains(test_media::clip("clip.avi")));
        QCOMPARE(open("clip.wmv"), qint16(300));
        QCOMPARE(movie_->filename(), test_media::clip("clip.wmv"));
        QVERIFY(!openFiles().contains(test_media::clip("clip.avi")));
        QVERIFY(openFiles().contains(test_media::clip("clip.wmv")));

        movie_->MediaClose();
        QTRY_VERIFY(!openFiles().contains(test_media::clip("clip.wmv")));
        QVERIFY(!movie_->videoWidget()->isVisible());
        QCOMPARE(movie_->videoWidget()->parentWidget(), screen_.get());
    }

    void volumeRoundTrip()
    {
        QCOMPARE(open("clip.avi"), qint16(300));
        qint32 read = 0;
        for (qint32 written : {0, -1, -2500, -5000, -9999, -10000}) {
            QVERIFY(movie_->setAudioVolume(written));
            QVERIFY(movie_->audioVolume(&read));
            QVERIFY2(std::abs(read - written) <= 1, qPrintable(QString::number(written)));
        }
        QCOMPARE(read, -10000);
        // Opening reads the player's volume into `volume`.
        QVERIFY(movie_->setAudioVolume(-3000));
        QCOMPARE(open("clip.avi"), qint16(300));
        QVERIFY(std::abs(movie_->volume() + 3000) <= 1);
    }

    void videoPlacementAndInput()
    {
        QCOMPARE(open("clip.avi"), qint16(300));
        QWidget *video = movie_->videoWidget();
        movie_->SetWindowSize(200, 100);
        QCOMPARE(movie_->width(), qint16(200));
        QCOMPARE(movie_->height(), qint16(100));
        QCOMPARE(video->geometry(), QRect(0, 0, 200, 100));
        movie_->SetWindowPosition(40, 30, 160, 120);
        QCOMPARE(video->geometry(), QRect(40, 30, 160, 120));

        // A click on the picture reaches the screen's own handler.
        QTest::mouseClick(screen_->windowHandle(), Qt::LeftButton, {}, QPoint(100, 80));
        QTRY_COMPARE(screen_->presses, 1);

        screen_->setCursor(Qt::CrossCursor);
        movie_->HideCursor(true);
        QCOMPARE(video->cursor().shape(), Qt::BlankCursor);
        QCOMPARE(screen_->cursor().shape(), Qt::BlankCursor);
        movie_->HideCursor(false);
        QCOMPARE(screen_->cursor().shape(), Qt::CrossCursor);
    }

    void screenShownAfterOpen()
    {
        // Before its window is shown there is no OpenGL for the picture: it is
        // drawn in software, and in OpenGL from the next open on.
        Screen later;
        later.resize(320, 240);
        QSignalSpy frames(movie_.get(), &CMovie::frameShown);
        QCOMPARE(open("clip.avi", 0, &later), qint16(300));
        QVERIFY(!test_media::drawsWithOpenGL(movie_->videoWidget()));
        QTRY_VERIFY(position(*movie_) > 0.3);
        later.show();
        QTRY_VERIFY(!frames.isEmpty());

        QCOMPARE(open("clip.avi", 0, &later), qint16(300));
        QVERIFY(test_media::drawsWithOpenGL(movie_->videoWidget()));
        frames.clear();
        QTRY_VERIFY(frames.count() > 2);

        QCOMPARE(open("clip.avi"), qint16(300));
        QCOMPARE(movie_->videoWidget()->parentWidget(), screen_.get());
    }

    // The player may be started on a worker ahead of the first open; a
    // starter that never runs must not leave the session without one.
    void playerStartedAhead()
    {
        std::function<void()> starter = movie_->playerStarter();
        std::thread worker(starter);
        worker.join();
        QCOMPARE(open("clip.avi"), qint16(300));

        CMovie other;
        other.playerStarter();
        QCOMPARE(openPath(other, test_media::clip("clip.avi"), screen_.get()), qint16(300));
        other.MediaClear();
    }

    void closedSession()
    {
        movie_->MediaPlay(PlayCommand::Play);
        QCOMPARE(movie_->playState(), PlayState::None);
        movie_->SetRate(1.5f);
        double value = 0;
        QVERIFY(!movie_->rate(&value));
        QVERIFY(!movie_->setCurrentPosition(1.0));
        movie_->SetWindowSize(320, 240);
        QCOMPARE(movie_->width(), qint16(320));

        // Closing clears the file name and keeps the rest of the public state.
        QCOMPARE(open("clip.avi"), qint16(300));
        movie_->MediaPlay(PlayCommand::Pause);
        const qint32 volume = movie_->volume();
        movie_->MediaClose();
        QCOMPARE(movie_->filename(), QString());
        QCOMPARE(int(movie_->playState()), 2);
        QCOMPARE(movie_->volume(), volume);
        QVERIFY(!movie_->isOpen());
    }

    // An open answers at once; the result follows.  A second request
    // replaces the first, a close cancels one, and the end of the movie is
    // told once, from mpv, until the movie leaves its end.
    void requestsAndTheirOutcome()
    {
        QSignalSpy results(movie_.get(), &CMovie::opened);
        QSignalSpy abandoned(movie_.get(), &CMovie::openAbandoned);
        QSignalSpy ends(movie_.get(), &CMovie::endReached);
        movie_->MediaOpen(test_media::clip("clip.avi"), "", screen_.get(), 0);
        QVERIFY(movie_->isOpening());
        QVERIFY(results.isEmpty());
        movie_->MediaOpen(test_media::clip("clip.mpg"), "", screen_.get(), 2.5);
        QCOMPARE(abandoned.count(), 1);
        QCOMPARE(abandoned.first().at(0).toString(), test_media::clip("clip.avi"));
        QVERIFY(results.wait(15000));
        QCOMPARE(results.count(), 1);
        QCOMPARE(results.first().at(0).toString(), test_media::clip("clip.mpg"));
        QCOMPARE(movie_->filename(), test_media::clip("clip.mpg"));

        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 5000);
        QVERIFY(!movie_->isPlaying());
        QTest::qWait(600);
        QCOMPARE(ends.count(), 1);
        QVERIFY(movie_->setCurrentPosition(2.5));
        movie_->MediaPlay(PlayCommand::Play);
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 2, 5000);

        movie_->MediaOpen(test_media::clip("clip.mov"), "", screen_.get(), 0);
        movie_->MediaClose();
        QVERIFY(!movie_->isOpening());
        QCOMPARE(abandoned.count(), 2);
        QTest::qWait(500);
        QCOMPARE(results.count(), 1);
        QVERIFY(!movie_->isOpen());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestCMovie test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cmovie.moc"
