#include "base/native_path.h"
#include "base/subtitle_screen.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

class TestSubtitleScreen : public QObject
{
    Q_OBJECT

private slots:
    // The movie's own name, a language at most, a subtitle extension.
    void subtitlesBelongingToAMovie()
    {
        const QStringList names{"movie.srt",        "movie.en.srt", "movie.pt-BR.ASS",
                                "movie.avi",        "movie2.srt",   "movie.srt.bak",
                                "movie.forced.srt", "other.en.vtt", "movie.jpn.vtt",
                                "movie.a.b.srt"};
        QCOMPARE(subtitle_screen::besideFiles("movie.avi", names),
                 (QStringList{"movie.srt", "movie.en.srt", "movie.pt-BR.ASS", "movie.jpn.vtt"}));
        QCOMPARE(subtitle_screen::besideFiles("a.b.mkv", {"a.b.srt", "a.srt"}),
                 QStringList{"a.b.srt"});

        // Found by their bytes in a folder, and under a name, in Shift_JIS.
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/\x93\xae\x89\xe6";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        FILE *srt = ::fopen(folder + "/\x83\x65.srt", "w");
        QVERIFY(srt);
        ::fputs("1\n00:00:01,000 --> 00:00:02,000\nhi\n", srt);
        ::fclose(srt);
        QCOMPARE(subtitle_screen::safeFilesBeside(native_path::decode(folder + "/\x83\x65.avi")),
                 QStringList{native_path::decode(folder + "/\x83\x65.srt")});
        ::unlink(folder + "/\x83\x65.srt");
        ::rmdir(folder);
    }

    // Times are read whatever the text's encoding says of itself.
    void manyLinesAtOnceInAnyEncoding()
    {
        QString many;
        for (int i = 0; i < 1000; ++i)
            many += QStringLiteral("%1\n00:00:00,000 --> 00:00:10,000\nline\n\n").arg(i + 1);
        QVERIFY(!subtitle_screen::refusal(many.toUtf8()).isEmpty());
        QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        QVERIFY(!subtitle_screen::refusal(utf16(many)).isEmpty());
        QVERIFY(subtitle_screen::refusal(utf16(many.left(200))).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSubtitleScreen)
#include "test_subtitle_screen.moc"
