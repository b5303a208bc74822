#include "media/cmovie.h"
#include "test_files.h"
#include "test_media.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <clocale>
#include <sys/resource.h>
#include <tuple>

// Movies that turn their picture in unusual ways, or ask for more than the
// player should give, play or are refused without taking the program down.
// The turns are run with both drawings (OpenGL here, software in a second
// run of this test).
class TestHostileMovies : public QObject
{
    Q_OBJECT

    static double position(const CMovie &movie)
    {
        double seconds = 0;
        return movie.currentPosition(&seconds) ? seconds : -1;
    }

private slots:
    void initTestCase() { CMovie::setAudioOutput("null"); }

    void turnedPicturesShowUpright_data()
    {
        QTest::addColumn<QString>("clip");
        // Empty where the turn changes as it plays.
        QTest::addColumn<QSize>("shown");
        // Made from clip.mov, so rotated.png is what it looks like upright.
        QTest::addColumn<bool>("likeRotatedMov");
        QTest::newRow("container") << "rotated.mov" << QSize(240, 320) << true;
        QTest::newRow("second track") << "turnedsecond.mov" << QSize(240, 320) << true;
        QTest::newRow("odd size") << "turnedodd.mov" << QSize(181, 241) << false;
        QTest::newRow("frame in avi") << "turnedframes.avi" << QSize() << false;
        QTest::newRow("frame in mp4") << "turnedframes.mp4" << QSize() << false;
        QTest::newRow("frame in ts") << "turnedframes.ts" << QSize() << false;
    }

    void turnedPicturesShowUpright()
    {
        QFETCH(QString, clip);
        QFETCH(QSize, shown);
        QFETCH(bool, likeRotatedMov);
        QWidget screen;
        screen.resize(240, 320);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        CMovie movie;
        QSignalSpy frames(&movie, &CMovie::frameShown);
        QVERIFY(test_media::openAndWait(movie, test_media::clip(clip), &screen) > 0);
        if (shown.isValid())
            QCOMPARE(QSize(movie.sourceWidth(), movie.sourceHeight()), shown);
        // Drawn again and again while it plays.
        QTRY_VERIFY(position(movie) > 1.0);
        QVERIFY(frames.count() > 5);
        if (!likeRotatedMov)
            return;
        const double distance = test_media::distanceFromUprightAtStart(movie);
        QVERIFY2(distance >= 0 && distance < 12, qPrintable(QString::number(distance)));
    }

    // Subtitle files that would keep libass busy for minutes or take
    // gigabytes are left out, and the movie plays without them; ordinary
    // ones are shown.
    void hostileSubtitlesAreLeftOut()
    {
        const QByteArray script = "[Script Info]\nScriptType: v4.00+\nPlayResY: 240\n\n"
                                  "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, "
                                  "MarginR, MarginV, Effect, Text\n";
        const auto dialogue = [](const QByteArray &text) {
            return "Dialogue: 0,0:00:00.00,0:00:10.00,Default,,0,0,0,," + text + "\n";
        };
        QByteArray manyLines;
        for (int i = 0; i < 200000; ++i)
            manyLines += QByteArray::number(i + 1) + "\n00:00:00,000 --> 00:00:10,000\nline\n\n";
        const QList<std::tuple<QByteArray, QByteArray, bool>> cases{
            {"srt", "1\n00:00:00,000 --> 00:00:10,000\nHello\n", true},
            {"ass", script + dialogue("{\\blur2}Hello"), true},
            {"ass", script + dialogue("{\\fscx100000\\fscy100000}W"), false},
            {"ass", script + dialogue("{\\t(\\blur100\\be100)\\fs200}WWWWWWWW").repeated(50),
             false},
            {"srt", manyLines, false},
        };
        QWidget screen;
        screen.resize(640, 480);
        screen.show();
        CMovie movie;
        for (const auto &[extension, text, shown] : cases) {
            QTemporaryDir folder;
            const QString path = folder.filePath("movie.avi");
            QVERIFY(QFile::copy(test_media::clip("clip.avi"), path));
            QVERIFY(test_files::writeFile(folder.filePath("movie." + extension), text));
            QCOMPARE(test_media::openAndWait(movie, path, &screen), qint16(300));
            const auto tracks = movie.state().tracks;
            const bool loaded = std::any_of(tracks.begin(), tracks.end(), [](const auto &track) {
                return track.kind == MediaTrack::Kind::Subtitle;
            });
            QCOMPARE(loaded, shown);
            QTRY_VERIFY(position(movie) > 1.0);
        }
    }

    // Pictures beyond the frame limit are refused like a movie that cannot
    // be opened, whether the file's header or only its pictures claim the
    // size, and without the memory such pictures would take.
    void hugePicturesAreRefused()
    {
        QWidget screen;
        screen.resize(320, 240);
        screen.show();
        CMovie movie;
        for (const char *name : {"hugeframes.avi", "hugeheader.avi"}) {
            QCOMPARE(test_media::openAndWait(movie, test_media::clip(name), &screen), qint16(0));
            QVERIFY(!movie.isOpen());
        }
#if defined(__SANITIZE_ADDRESS__)
        // AddressSanitizer keeps freed memory in quarantine and adds its own
        // bookkeeping: the peak says nothing of the program's own use there.
        return;
#endif
        rusage usage{};
        QCOMPARE(getrusage(RUSAGE_SELF, &usage), 0);
        const long peakMegabytes = usage.ru_maxrss / 1024;
        // libavformat decodes one such picture to learn the stream's format
        // (768 MB); played, a few of them would be queued as well.
        QVERIFY2(peakMegabytes < 1200, qPrintable(QString("peak %1 MB").arg(peakMegabytes)));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestHostileMovies test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hostile_movies.moc"
