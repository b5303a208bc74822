#include "base/subtitle_screen.h"

#include <QTest>

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
    }
};

QTEST_GUILESS_MAIN(TestSubtitleScreen)
#include "test_subtitle_screen.moc"
