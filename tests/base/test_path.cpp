#include "base/path.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace path;

class TestPath : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString tools;  // <tmp>/tools/
    QString player; // <tmp>/tools/player/ , the usual base

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        tools = tmp.path() + "/tools/";
        player = tools + "player/";
        QVERIFY(QDir().mkpath(player + "movies"));
        QVERIFY(QDir().mkpath(tools + "clips"));
    }

    void splitsFoldersNamesAndExtensions()
    {
        QCOMPARE(getfiledir("/a/b.avi"), "/a");
        QCOMPARE(getfiledir("/b.avi"), "");
        QCOMPARE(getfiledir("clip.avi"), "");

        QCOMPARE(getbasename("/m/clip.part1.avi"), "clip.part1");
        QCOMPARE(getbasename("clip.avi"), "clip");
        QCOMPARE(getbasename("/m/clip"), "clip");
        QCOMPARE(getbasename("/m/clip."), "clip");
        // A dot in a folder name is not the extension's.
        QCOMPARE(getbasename("/m.d/clip"), "clip");

        QCOMPARE(getextension("/m/clip.AVI"), "AVI");
        QCOMPARE(getextension("/m/clip"), "clip");
        QCOMPARE(getextension("/m.d/clip"), "clip");
        QCOMPARE(getextension("/m/clip."), "");
    }

    void addsAndRemovesOneTrailingSeparator()
    {
        QCOMPARE(addbackslash(""), "/");
        QCOMPARE(addbackslash("/a"), "/a/");
        QCOMPARE(addbackslash("/a/"), "/a/");
        QCOMPARE(removebackslash("/"), "");
        QCOMPARE(removebackslash("/a/"), "/a");
        QCOMPARE(removebackslash("/a//"), "/a/");
    }

    void checkpathTellsRootExistingAndMissing()
    {
        QFile hidden(tmp.path() + "/.hidden.avi");
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.close();

        QCOMPARE(checkpath("/"), 47);
        QCOMPARE(checkpath(player), 0);
        QCOMPARE(checkpath(removebackslash(player)), 0);
        QCOMPARE(checkpath(hidden.fileName()), 0);
        QCOMPARE(checkpath("/a"), -1); // short, but not the root
        QCOMPARE(checkpath(tmp.path() + "/missing"), -1);
        QCOMPARE(checkpath(""), -1);
    }

    void parentOfFolders()
    {
        QCOMPARE(getparentdir(player), tools);
        QCOMPARE(getparentdir(removebackslash(player)), tools);
        const QString topLevel = "/" + tmp.path().section(u'/', 1, 1);
        QCOMPARE(getparentdir(topLevel), "/");
        QCOMPARE(getparentdir("/"), "");
        QCOMPARE(getparentdir(tools + "missing/"), "");
    }

    void relativeFormsOneLevelUpAtMost()
    {
        QCOMPARE(getrelativepath(player + "movies/a.avi", player), "./movies/a.avi");
        QCOMPARE(getrelativepath(player, player), "./");
        QCOMPARE(getrelativepath(tools + "clips/b.avi", player), "../clips/b.avi");
        // A sibling whose name starts with the base folder's name is a sibling.
        QCOMPARE(getrelativepath(tools + "player2/c.avi", player), "../player2/c.avi");
        QCOMPARE(getrelativepath("/video/b.avi", player), "/video/b.avi");
        QCOMPARE(getrelativepath("./x.avi", player), "./x.avi");
        // Names differing in case are different folders.
        const QString otherCase = tmp.path() + "/Tools/player/a.avi";
        QCOMPARE(getrelativepath(otherCase, player), otherCase);
        // Base without its trailing separator.
        QCOMPARE(getrelativepath(player + "a.avi", removebackslash(player)), "./a.avi");
    }

    void absoluteFormsResolveOneLevelUpAtMost()
    {
        QCOMPARE(getabsolutepath("./movies/a.avi", player), player + "movies/a.avi");
        QCOMPARE(getabsolutepath("./a.avi", removebackslash(player)), player + "a.avi");
        QCOMPARE(getabsolutepath("../clips/b.avi", player), tools + "clips/b.avi");
        QCOMPARE(getabsolutepath("../../b.avi", player), tools + "../b.avi");
        QCOMPARE(getabsolutepath("/video/b.avi", player), "/video/b.avi");
        QCOMPARE(getabsolutepath(".", player), "");
        QCOMPARE(getabsolutepath("..", player), "");
        QCOMPARE(getabsolutepath(".hidden.avi", player), "");
    }

    void baseWithoutParent()
    {
        // The root takes every absolute path in as below itself.
        QCOMPARE(getrelativepath("/c.avi", "/"), "./c.avi");
        QCOMPARE(getrelativepath("/x/y.avi", "/"), "./x/y.avi");
        QCOMPARE(getrelativepath("c.avi", "/"), "../c.avi");
        QCOMPARE(getabsolutepath("../c.avi", "/"), "c.avi");

        // A missing base has no parent either; other paths keep their whole text.
        const QString missing = tools + "missing/";
        QCOMPARE(getabsolutepath("../x.avi", missing), "x.avi");
        QCOMPARE(getrelativepath("/video/b.avi", missing), "..//video/b.avi");
        QCOMPARE(getabsolutepath("..//video/b.avi", missing), "/video/b.avi");
    }

    void relativeThenAbsoluteGivesThePathBack_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("path");
        const QString missing = tools + "missing/";
        const QString topLevel = "/" + tmp.path().section(u'/', 1, 1) + "/";
        const struct {
            const char *tag;
            QString base, path;
        } cases[] = {
            {"below base", player, player + "movies/a b.avi"},
            {"the base itself", player, player},
            {"below parent", player, tools + "clips/b.avi"},
            {"sibling with base prefix", player, tools + "player2/c.avi"},
            {"elsewhere", player, "/video/動画.mpg"},
            {"root base", "/", "/c.avi"},
            {"root base deep", "/", tools + "clips/b.avi"},
            {"base one below root", topLevel, "/video/b.avi"},
            {"missing base", missing, "/video/b.avi"},
            {"missing base, below it", missing, missing + "a.avi"},
        };
        for (const auto &c : cases)
            QTest::newRow(c.tag) << c.base << c.path;
    }

    void relativeThenAbsoluteGivesThePathBack()
    {
        QFETCH(QString, base);
        QFETCH(QString, path);
        const QString relative = getrelativepath(path, base);
        QCOMPARE(getabsolutepath(relative, base), path);
    }
};

QTEST_GUILESS_MAIN(TestPath)
#include "test_path.moc"
