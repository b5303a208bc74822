// Wildcard patterns of the file list (and of the search).

#include "base/movie_ext.h"
#include "base/name_pattern.h"

#include <QTest>

class TestNamePattern : public QObject
{
    Q_OBJECT

private slots:
    void wildcards_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("star matches nothing") << "*.avi"
                                              << ".avi" << true;
        QTest::newRow("needs the whole name") << "*.avi"
                                              << "clip.avi.txt" << false;
        QTest::newRow("star backtracks") << "*ab*ab"
                                         << "xabyabab" << true;
        QTest::newRow("star backtracks and fails") << "*ab*abc"
                                                   << "xabyabab" << false;
        QTest::newRow("question mark is one char") << "clip?.avi"
                                                   << "clip1.avi" << true;
        QTest::newRow("question mark needs a char") << "clip?.avi"
                                                    << "clip.avi" << false;
        QTest::newRow("question mark over a pair")
            << "?.avi" << QString::fromUcs4(U"\U0001F600.avi") << true;
        QTest::newRow("full-width letters fold") << "ａ*"
                                                 << "Ａbc" << true;
        QTest::newRow("brackets are plain") << "[ab].avi"
                                            << "a.avi" << false;
        QTest::newRow("empty pattern") << ""
                                       << "a" << false;
    }

    void wildcards()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(name_pattern::wildcardMatch(pattern, name), matches);
    }

    void movieListPattern()
    {
        const NamePattern pattern(movie_list_pattern(false));
        for (const char *name : {"a.mpg", "a.MPEG", "a.asf", "a.wmv", "a.mov", "CLIP.AVI",
                                 "clip.xasf", "noextasf", "動画 a, \"b\".MoV"})
            QVERIFY2(pattern.matches(QString::fromUtf8(name)), name);
        for (const char *name : {"notes.txt", "a.avi.txt", "a.mp4", "a.mpe", "avi"})
            QVERIFY2(!pattern.matches(QString::fromUtf8(name)), name);

        const NamePattern list(" *.a ; ;b?");
        QVERIFY(list.matches(u"x.A") && list.matches(u"bc") && !list.matches(u"b"));
        QVERIFY(!NamePattern(";;").matches(u""));
    }
};

QTEST_APPLESS_MAIN(TestNamePattern)

#include "test_name_pattern.moc"
