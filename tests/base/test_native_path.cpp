#include "base/native_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestNativePath : public QObject
{
    Q_OBJECT
private slots:
    void namesGoBackToTheirBytes()
    {
        const QList<QByteArray> names = {
            "plain.avi",
            "\xe5\x8b\x95\xe7\x94\xbb.avi", // UTF-8 動画
            "\x93\xae\x89\xe6.avi",         // Shift_JIS 動画
            "caf\xe9.avi",                  // Latin-1
            "\xc0\xaf.avi",                 // overlong "/"
            "\xed\xa0\x80.avi",             // a surrogate in UTF-8 form
            "cut\xe5\x8b",                  // a sequence cut short
            "\xf0\x9f\x8e\xac.avi",         // a character beyond 16 bits
        };
        for (const QByteArray &bytes : names)
            QCOMPARE(native_path::encode(native_path::decode(bytes)), bytes);
        QCOMPARE(native_path::decode("\xe5\x8b\x95\xe7\x94\xbb.avi"),
                 QString::fromUtf8("動画.avi"));
        QVERIFY(!native_path::hasForeignBytes(native_path::decode(names[7])));
        QVERIFY(native_path::hasForeignBytes(native_path::decode(names[2])));
        QCOMPARE(native_path::displayName(native_path::decode(names[2])),
                 QString::fromUtf8("動画.avi"));
        QCOMPARE(native_path::displayName(native_path::decode(names[3])), QString("caf\uFFFD.avi"));
    }

    void listsChecksAndRenamesByBytes()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        const QByteArray base = QFile::encodeName(folder) + "/";
        FILE *made = fopen((base + "\x93\xae\x89\xe6.avi").constData(), "w");
        QVERIFY(made);
        fclose(made);
        QVERIFY(QDir(folder).mkdir("sub"));
        QVERIFY(QFile(folder + "/.hidden.avi").open(QIODevice::WriteOnly));

        const QStringList files = native_path::entries(folder, native_path::Kind::Files);
        QCOMPARE(files.size(), 1);
        const QString path = folder + "/" + files.first();
        QVERIFY(native_path::isFile(path));
        QCOMPARE(native_path::entries(folder, native_path::Kind::Folders), QStringList{"sub"});

        const QString renamed = folder + "/" + native_path::displayName(files.first());
        QVERIFY(!native_path::renameNoReplace(path, folder + "/sub"));
        QVERIFY(native_path::renameNoReplace(path, renamed));
        QVERIFY(QFileInfo(renamed).isFile());
        QVERIFY(!native_path::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestNativePath)
#include "test_native_path.moc"
