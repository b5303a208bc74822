#include "local_listener.h"
#include "media/frame_grabber.h"
#include "test_files.h"
#include "test_media.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

const QSize Thumb(100, 75);

int meanGray(const QImage &image)
{
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return int(sum / (qint64(image.width()) * image.height()));
}

} // namespace

class TestFrameGrabber : public QObject
{
    Q_OBJECT
private slots:
    void everyContainerGivesAThumbnailFile();
    void timeAndDarkOpeningPickTheFrame();
    void whatIsNoMovieGivesNothing();
    void hostileFilesGiveNothing();
    void onlyTheMovieFileItselfIsRead();
    void listsNamingAPipeStillEnd();
};

void TestFrameGrabber::everyContainerGivesAThumbnailFile()
{
    QTemporaryDir dir;
    for (const char *name : {"clip.mpg", "clip.avi", "clip.wmv", "clip.asf", "clip.mov"}) {
        const QString movie = test_media::clip(name);
        QVERIFY2(!movie.isEmpty(), name);
        const QString target = dir.filePath(QString(name) + ".bmp");
        QVERIFY2(FrameGrabber::writeBitmap(movie, 0, Thumb, target), name);
        QImage written(target, "BMP");
        QCOMPARE(written.size(), Thumb);
        // testsrc is colourful; a failed decode would be uniform.
        QVERIFY2(meanGray(written) > 40, name);
    }
}

void TestFrameGrabber::timeAndDarkOpeningPickTheFrame()
{
    const QString fade = test_media::clip("fadein.avi");
    QVERIFY(!fade.isEmpty());
    QVERIFY(meanGray(FrameGrabber::grab(fade, 0, Thumb)) < 10);
    QVERIFY(meanGray(FrameGrabber::grab(fade, 2.5, Thumb)) > 40);
    const QImage lit = FrameGrabber::grab(fade, 0, Thumb, FrameGrabber::Start::SkipDarkOpening);
    QVERIFY(meanGray(lit) > 40);
    // A movie that starts lit keeps its first frame.
    const QString clip = test_media::clip("clip.avi");
    QCOMPARE(FrameGrabber::grab(clip, 0, Thumb, FrameGrabber::Start::SkipDarkOpening),
             FrameGrabber::grab(clip, 0, Thumb));
    // testsrc's counter moves: a second later is another picture; past the
    // end gives the last frame rather than nothing.
    QVERIFY(FrameGrabber::grab(clip, 1.0, Thumb) != FrameGrabber::grab(clip, 0, Thumb));
    QVERIFY(!FrameGrabber::grab(clip, 60.0, Thumb).isNull());
}

void TestFrameGrabber::whatIsNoMovieGivesNothing()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("t.bmp");
    QVERIFY(test_files::writeFile(target, "old picture"));

    QVERIFY(!FrameGrabber::writeBitmap(test_media::clip("notmovie.avi"), 0, Thumb, target));
    QVERIFY(!FrameGrabber::writeBitmap(dir.filePath("missing.avi"), 0, Thumb, target));
    QVERIFY(!FrameGrabber::writeBitmap(dir.path(), 0, Thumb, target));
    // A named pipe would block a reader for ever; it is not opened.
    const QString fifo = dir.filePath("pipe.avi");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!FrameGrabber::writeBitmap(fifo, 0, Thumb, target));
    // A movie cut short in the middle still gives its first picture.
    const QString cut = dir.filePath("cut.avi");
    QVERIFY(
        test_files::writeFile(cut, test_files::readFile(test_media::clip("clip.avi")).left(30000)));
    QVERIFY(!FrameGrabber::grab(cut, 0, Thumb).isNull());
    // Nothing above touched the existing file.
    QCOMPARE(test_files::readFile(target), QByteArray("old picture"));
    // An unwritable target fails and says so by its result.
    QVERIFY(!FrameGrabber::writeBitmap(test_media::clip("clip.avi"), 0, Thumb,
                                       dir.filePath("no/such/folder/t.bmp")));
}

// A few kilobytes that declare enormous pictures, and playlists under a
// movie's name, are refused without using much memory or reaching the web.
void TestFrameGrabber::hostileFilesGiveNothing()
{
    const QString huge = test_media::clip("hugeframes.avi");
    QVERIFY(!huge.isEmpty());
    QVERIFY(QFileInfo(huge).size() < 100000);
    QVERIFY(FrameGrabber::grab(huge, 0, Thumb, FrameGrabber::Start::SkipDarkOpening).isNull());
    QVERIFY(FrameGrabber::grab(huge, 0.5, Thumb).isNull());
    rusage usage{};
    QCOMPARE(getrusage(RUSAGE_SELF, &usage), 0);
    const long peakMegabytes = usage.ru_maxrss / 1024;
    QVERIFY2(peakMegabytes < 400, qPrintable(QString("peak %1 MB").arg(peakMegabytes)));

    LocalListener web;
    QVERIFY(web.listening());
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.avi");
    const QString live = dir.filePath("live.avi");
    QVERIFY(test_files::writeFile(plain, "#EXTM3U\n" + web.url("movie.mp4").toUtf8() + "\n"));
    QVERIFY(test_files::writeFile(live, "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n" +
                                            web.url("segment0.ts").toUtf8() +
                                            "\n#EXT-X-ENDLIST\n"));
    QVERIFY(FrameGrabber::grab(plain, 0, Thumb).isNull());
    QVERIFY(FrameGrabber::grab(live, 0, Thumb).isNull());
    QCOMPARE(web.connections(), 0);
}

// A frame of the user's own movie must not come out under the name of a file
// that merely names it (a playlist, a concat list, a link), where the
// thumbnail would land beside that file, for whoever put it there.
void TestFrameGrabber::onlyTheMovieFileItselfIsRead()
{
    QTemporaryDir dir;
    QVERIFY(QFile::copy(test_media::clip("clip.avi"), dir.filePath("private.avi")));
    const QList<std::pair<QString, QByteArray>> indirections = {
        {"hls.avi", "#EXTM3U\n#EXT-X-TARGETDURATION:3\n#EXTINF:3,\nprivate.avi\n#EXT-X-ENDLIST\n"},
        {"concat.avi", "ffconcat version 1.0\nfile 'private.avi'\n"},
    };
    for (const auto &[name, text] : indirections)
        QVERIFY(test_files::writeFile(dir.filePath(name), text));
    QVERIFY(QFile::link(dir.filePath("private.avi"), dir.filePath("link.avi")));
    QVERIFY(!FrameGrabber::grab(dir.filePath("private.avi"), 0, Thumb).isNull());
    for (const char *name : {"hls.avi", "concat.avi", "link.avi"})
        QVERIFY2(FrameGrabber::grab(dir.filePath(name), 0, Thumb).isNull(), name);
}

// A list naming a named pipe would keep its grab waiting for a writer for
// ever, and with it a thread of the grabs: every grab ends.
void TestFrameGrabber::listsNamingAPipeStillEnd()
{
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath("pipe.avi"));
    QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
    // A grab that does block is let go at the end, so that the test can end.
    const auto release = qScopeGuard([&pipe] {
        const int writer = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    });
    QVERIFY(test_files::writeFile(dir.filePath("hls.avi"),
                                  "#EXTM3U\n#EXT-X-TARGETDURATION:3\n#EXTINF:3,\npipe.avi\n"
                                  "#EXT-X-ENDLIST\n"));
    QVERIFY(test_files::writeFile(dir.filePath("concat.avi"),
                                  "ffconcat version 1.0\nfile 'pipe.avi'\n"));
    for (const char *name : {"hls.avi", "concat.avi"}) {
        auto ended = std::make_shared<std::atomic_bool>(false);
        std::thread([list = dir.filePath(name), ended] {
            FrameGrabber::grab(list, 0, Thumb);
            *ended = true;
        }).detach();
        QTRY_VERIFY2_WITH_TIMEOUT(*ended, name, 30000);
    }
}

QTEST_GUILESS_MAIN(TestFrameGrabber)
#include "test_frame_grabber.moc"
