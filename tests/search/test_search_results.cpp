// The search results and their file searchData.ini.

#include "base/native_path.h"
#include "search/search_results.h"
#include "test_files.h"

#include <QTemporaryDir>
#include <QTest>

class TestSearchResults : public QObject
{
    Q_OBJECT

private slots:
    // The file's records in the results' order, folders relative to the
    // program folder when asked, names exact; on reading, records without a
    // name are left out and a file that is not there changes nothing.
    void fileKeepsTheResultsInOrder()
    {
        QTemporaryDir dir;
        const QString program = dir.path() + "/program/";
        const QString file = dir.path() + "/searchData.ini";
        SearchResults results;
        results.append({{program + "movies/", "b, c.avi"}, {"/video/", "a.avi"}});
        QVERIFY(results.save(file, QString()));
        QCOMPARE(test_files::readFile(file),
                 "\"" + program.toUtf8() + "movies/\",\"b, c.avi\"\r\n\"/video/\",\"a.avi\"\r\n");
        QVERIFY(results.save(file, program));
        QVERIFY(test_files::readFile(file).startsWith("\"./movies/\",\"b, c.avi\"\r\n"));

        QVERIFY(test_files::writeFile(
            file, "\"./movies/\",\"b.avi\"\r\n\"/gone/\",\"\"\r\n\"/video/\",\"a.avi\"\r\n"));
        QVERIFY(results.load(file, program));
        QCOMPARE(results.count(), 2);
        QCOMPARE(results.pathAt(0), program + "movies/b.avi");
        QCOMPARE(results.pathAt(1), QString("/video/a.avi"));
        QCOMPARE(results.pathAt(2), QString());
        QVERIFY(!results.load(dir.path() + "/none.ini", program));
        QCOMPARE(results.count(), 2);

        // A name that is not UTF-8 shows as it reads and plays as it is.
        const QString foreign = native_path::decode("\x93\xae\x89\xe6.avi");
        results.append({{"/video/", foreign}});
        QCOMPARE(results.data(results.index(2), Qt::DisplayRole).toString(),
                 QString::fromUtf8("動画.avi"));
        QCOMPARE(results.pathAt(2), "/video/" + foreign);
    }
};

QTEST_GUILESS_MAIN(TestSearchResults)

#include "test_search_results.moc"
