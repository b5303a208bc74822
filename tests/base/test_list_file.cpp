// The favourites file and M3U line format, and the thumbnail rules.

#include "base/list_file.h"
#include "base/native_path.h"
#include "base/selection_info.h"
#include "base/thumbnail_rules.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using list_file::Entry;

class TestListFile : public QObject
{
    Q_OBJECT

private slots:
    void relativeFormsReadBackToTheirPaths()
    {
        // The Linux form of a list file in /tools/player/ with movies below
        // it, beside it, elsewhere, and in a sibling whose name only begins
        // with the same letters.
        QTemporaryDir root;
        const QString tools = root.path() + "/tools/";
        for (const char *folder : {"player/movies", "clips", "player2"})
            QVERIFY(QDir().mkpath(tools + folder));
        const QString listFolder = tools + "player";
        const QList<Entry> entries = {{tools + "player/movies/", "a.avi"},
                                      {tools + "clips/", "b.avi"},
                                      {"/elsewhere/", "c.avi"},
                                      {tools + "player2/", "d,e \"x\".avi"},
                                      {tools + "player/", "top.avi"},
                                      {"", "skipped.avi"}};

        const QByteArray relative = list_file::write(entries, listFolder, true);
        QCOMPARE(relative, QByteArray("./movies/a.avi\r\n../clips/b.avi\r\n/elsewhere/c.avi\r\n"
                                      "../player2/d,e \"x\".avi\r\n./top.avi\r\n"));
        const QByteArray absolute = list_file::write(entries, listFolder, false);
        QVERIFY(absolute.startsWith((tools + "player/movies/a.avi\r\n").toUtf8()));

        QStringList expected;
        for (const Entry &entry : entries.mid(0, 5))
            expected.append(entry.path());
        QCOMPARE(list_file::paths(relative, listFolder), expected);
        QCOMPARE(list_file::paths(absolute, listFolder), expected);
        QCOMPARE(list_file::write({}, listFolder, true), QByteArray());
        QVERIFY(list_file::paths(QByteArray(), listFolder).isEmpty());
    }

    void playlistsOfOtherPlayersGiveTheirPaths()
    {
        const QString base = "/music/lists";
        const QByteArray playlist = "\xEF\xBB\xBF#EXTM3U\r\n"
                                    "#EXTINF:12,A title, with a comma\r\n"
                                    "/movies/a.avi\n"
                                    "./b.avi\r\n"
                                    "sub/c d.mpg\n"
                                    "file:///movies/%E6%98%A0%E7%94%BB%20e.avi\r\n"
                                    "file:///movies/%93%AE%89%E6.avi\r\n" // Shift_JIS
                                    "http://example.com/stream.avi\n"
                                    "\n"
                                    "bare\r\n";
        QCOMPARE(list_file::paths(playlist, base),
                 QStringList({"/movies/a.avi", "/music/lists/b.avi", "/music/lists/sub/c d.mpg",
                              QString::fromUtf8("/movies/映画 e.avi"),
                              native_path::decode("/movies/\x93\xae\x89\xe6.avi"),
                              "/music/lists/bare"}));
        QCOMPARE(list_file::split("/m/x.avi"), std::optional<Entry>(Entry{"/m/", "x.avi"}));
        QVERIFY(!list_file::split("/m/"));
        QVERIFY(!list_file::split("x.avi"));
    }

    // Lines that would name another file than they seem to: a NUL, where the
    // system ends the name ("shadow.bmp"), and URLs that are not local files.
    void linesNamingSomethingElseAreLeftOut()
    {
        const QByteArray playlist = QByteArray("/m/shadow.bmp\0.avi\r\n", 20) +
                                    "file:///m/a%00b.avi\r\n"
                                    "file:http://example.com/c.avi\r\n"
                                    "FILE:http://example.com/d.avi\r\n"
                                    "file://server/share/e.avi\r\n"
                                    "file://localhost/m/f.avi\r\n";
        QCOMPARE(list_file::paths(playlist, "/lists"), QStringList{"/m/f.avi"});
    }

    void thumbnailPlacesAndFitting()
    {
        using namespace thumbnail_rules;
        QCOMPARE(thumbnailPath(imageFolder("/prog/", "/m/", true), "a.avi"),
                 QString("/m/image/a.bmp"));
        QCOMPARE(thumbnailPath(imageFolder("/prog/", "/m/", false), "a.avi"),
                 QString("/prog/image/a.bmp"));
        QCOMPARE(thumbnailPath("/prog/image", "clip.v1.mpg"), QString("/prog/image/clip.v1.bmp"));
        QVERIFY(is_grabbable_file("a.MPEG") && is_grabbable_file("b.avi"));
        QVERIFY(!is_grabbable_file("c.wmv") && !is_grabbable_file("mpg"));

        QCOMPARE(fitInto(QSizeF(640, 480)), QRectF(0, 0, 100, 75));
        QCOMPARE(fitInto(QSizeF(1280, 720)), QRectF(0, 9.375, 100, 56.25));
        QCOMPARE(fitInto(QSizeF(480, 640)), QRectF(21.875, 0, 56.25, 75));
        QVERIFY(fitInto(QSizeF(0, 10)).isEmpty());

        QCOMPARE(selection_info::favouritesInfoCaption(1, 999999), QString("999,999Byte"));
        QCOMPARE(selection_info::favouritesInfoCaption(3, 12345678901.0),
                 QString::fromUtf8("3個のファイル - 12,345MByte"));
        QCOMPARE(selection_info::favouritesInfoCaption(0, 10), QString());
    }
};

QTEST_GUILESS_MAIN(TestListFile)
#include "test_list_file.moc"
