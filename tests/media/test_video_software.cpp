#include "media/cmovie.h"
#include "test_media.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <clocale>

// Without OpenGL (here the offscreen platform, as on a machine without a GL
// driver) the picture is drawn in software.
class TestVideoSoftware : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { CMovie::setAudioOutput("null"); }

    void playsAndShowsThePicture()
    {
        QWidget screen;
        screen.resize(400, 300);
        screen.show();
        CMovie movie;
        QSignalSpy frames(&movie, &CMovie::frameShown);

        QCOMPARE(test_media::openAndWait(movie, test_media::clip("clip.mov"), &screen),
                 qint16(300));
        QWidget *video = movie.videoWidget();
        QVERIFY(video);
        QVERIFY(!test_media::drawsWithOpenGL(video));
        QCOMPARE(movie.sourceWidth(), 320);
        QTRY_VERIFY(frames.count() > 2);
        double seconds = 0;
        QTRY_VERIFY(movie.currentPosition(&seconds) && seconds > 0.5);

        movie.SetWindowPosition(50, 40, 300, 200);
        QCOMPARE(video->geometry(), QRect(50, 40, 300, 200));
        movie.MediaPlay(PlayCommand::Pause);
        QTest::qWait(100);
        // The test picture's colour bars fill the surface at any size.
        const QImage picture = video->grab().toImage();
        QCOMPARE(picture.size(), QSize(300, 200));
        int coloured = 0;
        for (int x = 5; x < picture.width(); x += 10)
            coloured += qGray(picture.pixel(x, picture.height() / 2)) > 64;
        QVERIFY(coloured > picture.width() / 20);

        movie.MediaClose();
        QVERIFY(!movie.isOpen());
    }

    // A phone's movie is stored on its side with the instruction to turn
    // it; the picture is turned, and the window is asked for its upright
    // size.
    void turnedMovieIsShownUpright()
    {
        QWidget screen;
        screen.resize(240, 320);
        screen.show();
        CMovie movie;
        QCOMPARE(test_media::openAndWait(movie, test_media::clip("rotated.mov"), &screen),
                 qint16(300));
        QCOMPARE(movie.sourceWidth(), 240);
        QCOMPARE(movie.sourceHeight(), 320);
        double seconds = 0;
        QTRY_VERIFY(movie.currentPosition(&seconds) && seconds > 0.5);
        const double distance = test_media::distanceFromUprightAtStart(movie);
        QVERIFY2(distance >= 0 && distance < 12, qPrintable(QString::number(distance)));
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestVideoSoftware test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_video_software.moc"
