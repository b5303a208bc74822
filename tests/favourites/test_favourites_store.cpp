// The favourites on disk without a window: okini.ini and M3U playlists.

#include "favourites/favourites_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using Missing = FavouritesStore::Missing;

namespace
{

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

} // namespace

class TestFavouritesStore : public QObject
{
    Q_OBJECT

private slots:
    // Odd names come back as they went, in order, in either form, and the
    // file holds exactly the lines the program has always written.
    void okiniRoundTrip()
    {
        QTemporaryDir program;
        FavouritesStore store;
        store.setProgramFolder(program.path());
        QCOMPARE(store.okiniPath(), program.path() + "/okini.ini");
        const FavouritesStore::Entries entries = {
            {program.path() + "/movies/", "d,e \"x\".avi"},
            {"/not/mounted/", QString::fromUtf8("#映画 %20e.avi")},
            {program.path() + "/", "top.avi"}};
        QVERIFY(FavouritesStore::write(store.okiniPath(), entries, true));
        QCOMPARE(readAll(store.okiniPath()),
                 QString::fromUtf8("./movies/d,e \"x\".avi\r\n/not/mounted/#映画 %20e.avi\r\n"
                                   "./top.avi\r\n")
                     .toUtf8());
        QCOMPARE(FavouritesStore::read(store.okiniPath(), Missing::Keep), entries);
        QVERIFY(FavouritesStore::write(store.okiniPath(), entries, false));
        QCOMPARE(FavouritesStore::read(store.okiniPath(), Missing::Keep), entries);
        // A playlist keeps only the movies that are there as files.
        QVERIFY(QDir().mkpath(program.path() + "/movies/d,e \"x\".avi"));
        QVERIFY(QFile(program.path() + "/top.avi").open(QIODevice::WriteOnly));
        QCOMPARE(FavouritesStore::read(store.okiniPath(), Missing::Drop),
                 FavouritesStore::Entries({entries.at(2)}));
    }

    // No file is an empty list; a file there that cannot be read, or is not
    // a favourites file, gives nothing, so that it is not written over.
    void unreadableFilesGiveNothing()
    {
        QTemporaryDir program;
        const QString okini = program.path() + "/okini.ini";
        QCOMPARE(FavouritesStore::read(okini, Missing::Keep), FavouritesStore::Entries());
        QFile text(okini);
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("# notes\nnothing here\n") > 0);
        text.close();
        QVERIFY(!FavouritesStore::read(okini, Missing::Keep));
        QVERIFY(QFile::remove(okini) && QDir().mkdir(okini));
        QVERIFY(!FavouritesStore::read(okini, Missing::Keep));
        QVERIFY(!FavouritesStore::write(okini, {{"/m/", "a.avi"}}, false));
        QVERIFY(QFileInfo(okini).isDir());
    }
};

QTEST_GUILESS_MAIN(TestFavouritesStore)
#include "test_favourites_store.moc"
