// A movie's ten scene slots: the file they live in, registering, renaming and
// deleting scenes, and where a jump goes.

#include "base/scene_file.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

using test_files::readFile;
using test_files::writeFile;

} // namespace

class TestSceneFile : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString seen; // the scene folder, with its trailing "/"

private slots:
    void init()
    {
        QVERIFY(tmp.isValid());
        seen = tmp.path() + "/seen/";
        QDir(seen).removeRecursively();
        QVERIFY(QDir().mkpath(seen));
    }

    void registeringTheFirstSceneWritesTenLines()
    {
        SceneFile scenes = SceneFile::forMovie(seen, "/m/clip.avi");
        QVERIFY(!scenes.exists());
        QVERIFY(scenes.registerScene(3, 83.9, 8390));
        QByteArray expected;
        for (int n = 0; n < 10; ++n) {
            expected += n == 3 ? QByteArray("\"[3] 1:23\",\"83.9\"\r\n")
                               : "\"[" + QByteArray::number(n) + "] -----\",\"\"\r\n";
        }
        QCOMPARE(readFile(seen + "clip.txt"), expected);
        QCOMPARE(scenes.jumpTarget(3).value_or(-1), 84.0);
        QCOMPARE(scenes.menuCaption(3, SceneFile::Menu::Register), "[3] 1:23 に上書き");
        QCOMPARE(scenes.menuCaption(3, SceneFile::Menu::Delete), "[3] 1:23 を削除");
        QCOMPARE(scenes.menuCaption(4, SceneFile::Menu::Register), "[4] -----");

        // Only the base name counts: another folder and extension share it.
        const SceneFile other = SceneFile::forMovie(tmp.path() + "/seen", "/x/clip.mov");
        QCOMPARE(other.path(), seen + "clip.txt");
        QCOMPARE(other.slot(3), (SceneSlot{"[3] 1:23", "83.9"}));
        QVERIFY(!other.jumpTarget(4));

        QVERIFY(scenes.registerScene(3, 3725.25, 372525));
        QCOMPARE(scenes.slot(3), (SceneSlot{"[3] 1:02:05", "3725.25"}));
        for (double seconds : {1.0 / 3, 83.41666666666667, 1e-7, 123456.789})
            QCOMPARE(SceneFile::positionText(seconds).toDouble(), seconds);
        // Fifteen significant digits are written; seventeen are read as well.
        QCOMPARE(SceneFile::positionText(2.7 + 0.06), "2.76");
        QCOMPARE(SceneFile::jumpTarget("2.7600000000000002"), std::optional<double>(3));
    }

    void jumpRoundsHalvesToEven()
    {
        const std::pair<const char *, double> cases[] = {
            {"83.9", 84}, {"82.5", 82}, {"83.5", 84}, {"0.5", 0}, {" 12.6 ", 13}, {"-2.5", -2}};
        for (const auto &[text, target] : cases)
            QCOMPARE(SceneFile::jumpTarget(text).value_or(-99), target);
        for (const char *text : {"", "abc", "1:23", "83,9", "nan", "inf", "1e300"})
            QVERIFY2(!SceneFile::jumpTarget(text), text);
    }

    void renameKeepsThePositionAndOtherSlots()
    {
        SceneFile scenes = SceneFile::forMovie(seen, "clip.avi");
        QVERIFY(scenes.registerScene(2, 10.5, 1050));
        QVERIFY(scenes.registerScene(3, 20, 2000));
        const QByteArray before = readFile(scenes.path());
        QVERIFY(!scenes.rename(2, ""));
        QCOMPARE(readFile(scenes.path()), before);

        // A quote must not end the caption early and shift the fields after it.
        QVERIFY(scenes.rename(2, "say \"hi\",\"99\"\nthere"));
        const SceneFile back(scenes.path());
        QCOMPARE(back.slot(2), (SceneSlot{"say \"hi\",\"99\" there", "10.5"}));
        QCOMPARE(back.slot(3), (SceneSlot{"[3] 0:20", "20"}));
        QCOMPARE(scenes.slot(2), back.slot(2));
        QVERIFY(scenes.rename(5, "free, but named"));
        QCOMPARE(SceneFile(scenes.path()).slot(5), (SceneSlot{"free, but named", ""}));
    }

    void deletingTheLastSceneRemovesTheFile()
    {
        SceneFile scenes = SceneFile::forMovie(seen, "clip.avi");
        QVERIFY(scenes.registerScene(1, 1, 100));
        QVERIFY(scenes.registerScene(7, 7, 700));
        QVERIFY(scenes.remove(1));
        QCOMPARE(SceneFile(scenes.path()).slot(1), (SceneSlot{"----", ""}));
        QVERIFY(scenes.remove(7));
        QVERIFY(!QFile::exists(scenes.path()));
        QVERIFY(!scenes.exists());
        QCOMPARE(scenes.slot(1).caption, "[1] -----");
    }

    void readsWhateverLinesTheFileHas()
    {
        const QString path = seen + "clip.txt";
        // Mixed line ends, a blank line (skipped), a record without a
        // position, bare fields, fewer than ten records.
        QVERIFY(writeFile(path, "\"a\",\"1.5\"\r\n\r\n\"c\"\rd , 4\n"));
        SceneFile scenes(path);
        QVERIFY(scenes.exists());
        QCOMPARE(scenes.slot(0), (SceneSlot{"a", "1.5"}));
        QCOMPARE(scenes.slot(1), (SceneSlot{"c", ""}));
        QCOMPARE(scenes.slot(2), (SceneSlot{"d", "4"}));
        QCOMPARE(scenes.slot(9), (SceneSlot{"[9] -----", ""}));

        // An empty file still counts as there; records past the tenth do not.
        QVERIFY(writeFile(path, ""));
        scenes.reload();
        QVERIFY(scenes.exists() && !scenes.hasScene(0));
        writeFile(path,
                  QByteArray("\"s\",\"1\"\r\n").repeated(9) + "\"last\",\"9\"\r\n\"x\",\"1\"");
        scenes.reload();
        QCOMPARE(scenes.slot(9), (SceneSlot{"last", "9"}));
    }

    void failedEditsChangeNothing()
    {
        SceneFile none; // no movie open
        QVERIFY(!none.registerScene(0, 1, 100));
        QVERIFY(!none.rename(0, "x"));
        QVERIFY(!none.remove(0));

        // A plain file where the scene folder should be (so it holds for root).
        QVERIFY(writeFile(tmp.path() + "/blocked", ""));
        SceneFile blocked = SceneFile::forMovie(tmp.path() + "/blocked/", "clip.avi");
        QVERIFY(!blocked.registerScene(0, 1, 100));
        QCOMPARE(blocked.slot(0).caption, "[0] -----");

        SceneFile scenes = SceneFile::forMovie(seen, "clip.avi");
        QVERIFY(scenes.registerScene(0, 1, 100));
        const QByteArray before = readFile(scenes.path());
        QVERIFY(!scenes.registerScene(10, 1, 100));
        QVERIFY(!scenes.registerScene(-1, 1, 100));
        QVERIFY(!scenes.rename(10, "x"));
        QVERIFY(!scenes.remove(10));
        QVERIFY(!scenes.registerScene(1, qQNaN(), 0));
        QCOMPARE(readFile(scenes.path()), before);
    }
};

QTEST_GUILESS_MAIN(TestSceneFile)
#include "test_scene_file.moc"
