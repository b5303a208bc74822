#include "media/audio_gain.h"
#include "media/cmovie.h"
#include "test_media.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QDebug>
#include <QFileInfo>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <clocale>
#include <cmath>
#include <memory>

namespace {

// Stands in for the program's video area: remembers the clicks it receives.
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
    const QDir fds("/proc/self/fd");
    for (const QFileInfo &fd : fds.entryInfoList(QDir::Files | QDir::System))
        files << fd.symLinkTarget();
    return files;
}

} // namespace

class TestCMovie : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void secondsToString_data();
    void secondsToString();
    void audioGainConversion();

    void containersOpenAndPlay_data();
    void containersOpenAndPlay();
    void movieWithoutAudio();
    void longMovies();
    void unplayableFiles();
    void startPosition();
    void rateIsCappedAndResetPerFile();
    void playPauseStop();
    void endOfMovieReadsAsDuration();
    void secondOpenReleasesFirst();
    void volumeRoundTrip();
    void videoPlacementAndInput();
    void closedSession();

private:
    std::unique_ptr<Screen> screen_;
    std::unique_ptr<CMovie> movie_;
};

void TestCMovie::initTestCase()
{
    CMovie::setAudioOutput("null");
    for (const char *name : {"clip.mpg", "clip.mpeg", "clip.avi", "clip.wmv", "clip.asf",
                             "clip.mov", "noaudio.avi", "long3.avi", "long10.avi", "notmovie.avi"})
        QVERIFY2(!test_media::clip(name).isEmpty(), name);
}

void TestCMovie::init()
{
    screen_ = std::make_unique<Screen>();
    screen_->resize(640, 480);
    screen_->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen_.get()));
    movie_ = std::make_unique<CMovie>();
}

void TestCMovie::cleanup()
{
    movie_->MediaClear();
    movie_.reset();
    screen_.reset();
}

void TestCMovie::secondsToString_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("negative") << -5 << "0:00";
    QTest::newRow("zero") << 0 << "0:00";
    QTest::newRow("under a minute") << 59 << "0:59";
    QTest::newRow("minutes") << 75 << "1:15";
    QTest::newRow("ten minutes") << 600 << "10:00";
    QTest::newRow("last before an hour") << 3599 << "59:59";
    QTest::newRow("one hour") << 3600 << "1:00:00";
    QTest::newRow("hours") << 3725 << "1:02:05";
    QTest::newRow("hundred hours") << 360000 << "100:00:00";
}

void TestCMovie::secondsToString()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(CMovie::secondsToString(seconds), text);
}

void TestCMovie::audioGainConversion()
{
    using namespace audio_gain;
    QCOMPARE(mpvVolumeFromHundredthsDb(0), 100.0);
    QCOMPARE(mpvVolumeFromHundredthsDb(-10000), 0.0);
    // -20 dB is a gain of 0.1, and mpv's scale is cubic.
    QVERIFY(std::abs(mpvVolumeFromHundredthsDb(-2000) - 100.0 * std::cbrt(0.1)) < 1e-9);
    // Out of range values are clamped.
    QCOMPARE(mpvVolumeFromHundredthsDb(500), 100.0);
    QCOMPARE(mpvVolumeFromHundredthsDb(-20000), 0.0);
    QCOMPARE(hundredthsDbFromMpvVolume(130.0), 0);
    QCOMPARE(hundredthsDbFromMpvVolume(0.0), -10000);
    QCOMPARE(hundredthsDbFromMpvVolume(1.0), -10000);

    double previous = -1;
    for (qint32 v = -10000; v <= 0; ++v) {
        const double percent = mpvVolumeFromHundredthsDb(v);
        QVERIFY2(percent > previous, qPrintable(QString::number(v)));
        previous = percent;
        QVERIFY2(std::abs(hundredthsDbFromMpvVolume(percent) - v) <= 1,
                 qPrintable(QString::number(v)));
    }
}

void TestCMovie::containersOpenAndPlay_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name :
         {"clip.mpg", "clip.mpeg", "clip.avi", "clip.wmv", "clip.asf", "clip.mov"})
        QTest::newRow(name) << QString(name);
}

void TestCMovie::containersOpenAndPlay()
{
    QFETCH(QString, name);
    const QString path = test_media::clip(name);
    QSignalSpy frames(movie_.get(), &CMovie::frameShown);

    QElapsedTimer t; t.start();
    QCOMPARE(movie_->MediaOpen(path, "", screen_.get(), 0), qint16(300));
    qWarning() << "open" << t.elapsed();
    { QElapsedTimer c; c.start(); movie_->MediaClose(); qWarning() << "close" << c.elapsed(); t.restart();
    QCOMPARE(movie_->MediaOpen(path, "", screen_.get(), 0), qint16(300));
    qWarning() << "reopen" << t.elapsed(); }
    QCOMPARE(movie_->filename, path);
    QVERIFY(movie_->isOpen());
    QCOMPARE(movie_->PlayState, 1);
    QCOMPARE(movie_->sourceWidth(), 320);
    QCOMPARE(movie_->sourceHeight(), 240);
    qint32 volume = 1;
    QVERIFY(movie_->audioVolume(&volume));

    QWidget *video = movie_->videoWidget();
    QVERIFY(video);
    QCOMPARE(video->parentWidget(), screen_.get());
    QVERIFY(video->isVisible());
    QCOMPARE(video->geometry(), QRect(0, 0, 640, 480));
    QVERIFY2(video->findChild<QOpenGLWidget *>(), "OpenGL is available under Xvfb");

    QTRY_VERIFY(position(*movie_) > 0.5);
    QTRY_VERIFY(!frames.isEmpty());
    // The test picture is colourful: the surface shows more than black.
    const QImage picture = video->grab().toImage();
    QVERIFY(!picture.isNull());
    bool coloured = false;
    for (int y = 0; y < picture.height() && !coloured; y += 7)
        for (int x = 0; x < picture.width() && !coloured; x += 7)
            coloured = qGray(picture.pixel(x, y)) > 64;
    QVERIFY(coloured);
}

void TestCMovie::movieWithoutAudio()
{
    movie_->volume = -1234;
    QCOMPARE(movie_->MediaOpen(test_media::clip("noaudio.avi"), "", screen_.get(), 0),
             qint16(300));
    QCOMPARE(movie_->volume, -1234);
    qint32 volume = 0;
    QVERIFY(!movie_->audioVolume(&volume));
    QVERIFY(!movie_->setAudioVolume(-500));
    QCOMPARE(movie_->sourceWidth(), 320);
    QTRY_VERIFY(position(*movie_) > 0.5);
}

void TestCMovie::longMovies()
{
    QCOMPARE(movie_->MediaOpen(test_media::clip("long3.avi"), "", screen_.get(), 0),
             qint16(18000));
    QCOMPARE(movie_->MediaOpen(test_media::clip("long10.avi"), "", screen_.get(), 0),
             qint16(-1));
    double seconds = 0;
    QVERIFY(movie_->duration(&seconds));
    QVERIFY(std::abs(seconds - 600) < 0.01);
    QCOMPARE(movie_->sourceWidth(), 64);
}

void TestCMovie::unplayableFiles()
{
    QCOMPARE(movie_->MediaOpen(test_media::clip("clip.avi"), "", screen_.get(), 0), qint16(300));
    QCOMPARE(movie_->MediaOpen(test_media::clip("notmovie.avi"), "", screen_.get(), 0),
             qint16(0));
    QCOMPARE(movie_->filename, QString());
    QVERIFY(!movie_->isOpen());
    double seconds = 0;
    QVERIFY(!movie_->currentPosition(&seconds));
    QVERIFY(!movie_->duration(&seconds));

    QCOMPARE(movie_->MediaOpen(test_media::mediaDir() + "/missing.avi", "", screen_.get(), 0),
             qint16(0));
    QCOMPARE(movie_->MediaOpen(test_media::mediaDir(), "", screen_.get(), 0), qint16(0));
    QCOMPARE(movie_->filename, QString());

    // The session is still usable afterwards.
    QCOMPARE(movie_->MediaOpen(test_media::clip("clip.mov"), "", screen_.get(), 0), qint16(300));
}

void TestCMovie::startPosition()
{
    QCOMPARE(movie_->MediaOpen(test_media::clip("clip.avi"), "", screen_.get(), 1.5), qint16(300));
    const double start = position(*movie_);
    QVERIFY2(start >= 1.5 && start < 1.8, qPrintable(QString::number(start)));
    QTRY_VERIFY(position(*movie_) > 1.8);
}

void TestCMovie::rateIsCappedAndResetPerFile()
{
    const QString path = test_media::clip("clip.avi");
    QCOMPARE(movie_->MediaOpen(path, "", screen_.get(), 0), qint16(300));
    double value = 0;
    movie_->SetRate(2.5f);
    QVERIFY(movie_->rate(&value));
    QCOMPARE(value, 2.0);
    movie_->SetRate(0.5f);
    QVERIFY(movie_->rate(&value));
    QCOMPARE(value, 0.5);
    // Every file starts at normal speed.
    QCOMPARE(movie_->MediaOpen(path, "", screen_.get(), 0), qint16(300));
    QVERIFY(movie_->rate(&value));
    QCOMPARE(value, 1.0);
}

void TestCMovie::playPauseStop()
{
    QCOMPARE(movie_->MediaOpen(test_media::clip("clip.avi"), "", screen_.get(), 0), qint16(300));
    QTRY_VERIFY(position(*movie_) > 1.0);

    movie_->MediaPlay(2);
    QCOMPARE(movie_->PlayState, 2);
    QTest::qWait(100);
    const double paused = position(*movie_);
    QTest::qWait(300);
    QCOMPARE(position(*movie_), paused);

    movie_->MediaPlay(3);
    QCOMPARE(movie_->PlayState, 3);
    QCOMPARE(position(*movie_), 0.0);
    QVERIFY(!movie_->mblnInCommand);
    QTest::qWait(300);
    QCOMPARE(position(*movie_), 0.0);
    QVERIFY(movie_->isOpen());

    movie_->MediaPlay(1);
    QCOMPARE(movie_->PlayState, 1);
    QTRY_VERIFY(position(*movie_) > 0.3);
    QVERIFY(position(*movie_) < 1.0);

    movie_->MediaPlay(7);
    QCOMPARE(movie_->PlayState, 1);
}

void TestCMovie::endOfMovieReadsAsDuration()
{
    QCOMPARE(movie_->MediaOpen(test_media::clip("clip.mpg"), "", screen_.get(), 0), qint16(300));
    movie_->SetRate(2.0f);
    double length = 0;
    QVERIFY(movie_->duration(&length));
    QTRY_COMPARE_WITH_TIMEOUT(position(*movie_), length, 4000);
    QTest::qWait(200);
    QCOMPARE(position(*movie_), length);
    QVERIFY(movie_->isOpen());

    // Seeking back leaves the end.
    QVERIFY(movie_->setCurrentPosition(1.0));
    QCOMPARE(position(*movie_), 1.0);
    movie_->MediaPlay(1);
    QTRY_VERIFY(position(*movie_) > 1.0 && position(*movie_) < length);
}

void TestCMovie::secondOpenReleasesFirst()
{
    const QString first = test_media::clip("clip.avi");
    const QString second = test_media::clip("clip.wmv");
    QCOMPARE(movie_->MediaOpen(first, "", screen_.get(), 0), qint16(300));
    QVERIFY(openFiles().contains(first));

    QCOMPARE(movie_->MediaOpen(second, "", screen_.get(), 0), qint16(300));
    QCOMPARE(movie_->filename, second);
    QVERIFY(!openFiles().contains(first));
    QVERIFY(openFiles().contains(second));
    QTRY_VERIFY(position(*movie_) > 0.3);

    movie_->MediaClose();
    QVERIFY(!openFiles().contains(second));
    QVERIFY(!movie_->videoWidget()->isVisible());
    QCOMPARE(movie_->videoWidget()->parentWidget(), screen_.get());
}

void TestCMovie::volumeRoundTrip()
{
    const QString path = test_media::clip("clip.avi");
    QCOMPARE(movie_->MediaOpen(path, "", screen_.get(), 0), qint16(300));
    qint32 read = 0;
    for (qint32 written : {0, -1, -2500, -5000, -9999}) {
        QVERIFY(movie_->setAudioVolume(written));
        QVERIFY(movie_->audioVolume(&read));
        QVERIFY2(std::abs(read - written) <= 1, qPrintable(QString::number(written)));
    }
    QVERIFY(movie_->setAudioVolume(-10000));
    QVERIFY(movie_->audioVolume(&read));
    QCOMPARE(read, -10000);

    // Opening reads the volume the player has into `volume`.
    QVERIFY(movie_->setAudioVolume(-3000));
    QCOMPARE(movie_->MediaOpen(path, "", screen_.get(), 0), qint16(300));
    QVERIFY(std::abs(movie_->volume + 3000) <= 1);
    QVERIFY(movie_->audioVolume(&read));
    QCOMPARE(read, movie_->volume);
}

void TestCMovie::videoPlacementAndInput()
{
    QCOMPARE(movie_->MediaOpen(test_media::clip("clip.avi"), "", screen_.get(), 0), qint16(300));
    QWidget *video = movie_->videoWidget();

    movie_->SetWindowSize(200, 100);
    QCOMPARE(movie_->width, qint16(200));
    QCOMPARE(movie_->height, qint16(100));
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
    QVERIFY(video->cursor().shape() != Qt::BlankCursor);
}

void TestCMovie::closedSession()
{
    movie_->PlayState = 2;
    movie_->okini_index = 4;
    movie_->volume = -700;
    movie_->MediaPlay(1);
    QCOMPARE(movie_->PlayState, 2);
    movie_->SetRate(1.5f);
    double value = 0;
    QVERIFY(!movie_->rate(&value));
    QVERIFY(!movie_->currentPosition(&value));
    QVERIFY(!movie_->setCurrentPosition(1.0));
    movie_->SetWindowSize(320, 240);
    QCOMPARE(movie_->width, qint16(320));
    QCOMPARE(movie_->height, qint16(240));
    movie_->fullscreen();
    QCOMPARE(movie_->DisplaySize, 1);
    movie_->normalscreen();
    QCOMPARE(movie_->DisplaySize, 0);

    // Closing keeps the public state apart from the file name.
    movie_->fullscreen();
    QVERIFY(movie_->MediaOpen(test_media::clip("clip.avi"), "", screen_.get(), 0) > 0);
    movie_->okini_index = 4;
    movie_->MediaPlay(2);
    const qint32 volume = movie_->volume;
    movie_->MediaClose();
    QCOMPARE(movie_->filename, QString());
    QCOMPARE(movie_->PlayState, 2);
    QCOMPARE(movie_->okini_index, 4);
    QCOMPARE(movie_->volume, volume);
    QCOMPARE(movie_->DisplaySize, 1);
    QVERIFY(!movie_->mblnInCommand);
    QVERIFY(!movie_->isOpen());
    movie_->MediaClose();
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestCMovie test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cmovie.moc"
