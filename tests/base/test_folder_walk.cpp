// The search's walk below a folder and the registered folders' folders.

#include "base/folder_slots.h"
#include "base/folder_walk.h"
#include "base/native_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// Every hit as folder-relative "sub/name", in the order found.
QStringList search(const QString &base, const QString &text, folder_walk::Progress *last = nullptr,
                   const std::atomic<bool> *cancel = nullptr, bool moreFormats = false)
{
    QStringList hits;
    static const std::atomic<bool> never{false};
    folder_walk::walk(
        base, text,
        [&](const QString &folder, const QStringList &names) {
            QVERIFY(folder.endsWith('/'));
            for (const QString &name : names)
                hits.append(folder.mid(base.size() + 1) + name);
        },
        [&](const folder_walk::Progress &progress) {
            if (last)
                *last = progress;
        },
        cancel ? *cancel : never, moreFormats);
    return hits;
}

} // namespace

class TestFolderWalk : public QObject
{
    Q_OBJECT

private slots:
    // A folder's own matches come before its subfolders', any case, with
    // wildcards, the extension part of the name, and movies only.
    void findsMoviesInOrder()
    {
        QTemporaryDir dir;
        const QString base = dir.path();
        touch(base + "/xABCy.avi");
        touch(base + "/abc.txt");
        touch(base + "/sub/1abc2.mpg");
        touch(base + "/sub/deeper/ABC.MOV");
        touch(base + "/aXc.wmv");
        touch(base + "/.hidden abc.avi");
        touch(base + "/Movies/notes.txt"); // a folder name without a dot
        touch(base + "/Movies/abc, 動画.asf");

        const QStringList abc = search(base, "abc");
        QCOMPARE(abc.size(), 4);
        QCOMPARE(abc.first(), QString("xABCy.avi"));
        QVERIFY(abc.indexOf("sub/1abc2.mpg") < abc.indexOf("sub/deeper/ABC.MOV"));
        QVERIFY(abc.contains(QString::fromUtf8("Movies/abc, 動画.asf")));

        QCOMPARE(search(base, "a?c").size(), 5);
        // mp4, webm and the others only with the option for them.
        touch(base + "/abc.mp4");
        touch(base + "/sub/abc.webm");
        QCOMPARE(search(base, "abc").size(), 4);
        const QStringList more = search(base, "abc", nullptr, nullptr, true);
        QCOMPARE(more.size(), 6);
        QVERIFY(more.contains("abc.mp4") && more.contains("sub/abc.webm"));
        QFile::remove(base + "/abc.mp4");
        QFile::remove(base + "/sub/abc.webm");
        folder_walk::Progress progress;
        QCOMPARE(search(base, "", &progress).size(), 5);
        QCOMPARE(progress.foldersSearched, 4);
        QCOMPARE(progress.hits, 5);
        QCOMPARE(search(base, "avi"), QStringList{"xABCy.avi"});

        // Names in the name order within a folder and among subfolders
        // (made in an order that neither way round is that one).
        const QString sorted = base + "/sorted";
        for (const char *name : {"clip_9.avi", "d2/clip_1.avi", "clip_0007.avi", "d10/clip_1.avi",
                                 "clip_10.avi", "d1/clip_1.avi", "d2/e/clip_1.avi"})
            touch(sorted + "/" + name);
        QCOMPARE(search(sorted, "clip"),
                 (QStringList{"clip_0007.avi", "clip_9.avi", "clip_10.avi", "d1/clip_1.avi",
                              "d2/clip_1.avi", "d2/e/clip_1.avi", "d10/clip_1.avi"}));

        // A name in Shift_JIS is found and keeps its bytes.
        const QByteArray sjis = "sjis \x93\xae\x89\xe6.avi";
        const QByteArray raw = QFile::encodeName(base) + "/" + sjis;
        // QTemporaryDir cannot remove a name that is not UTF-8.
        const auto removeRaw = qScopeGuard([&] { ::unlink(raw.constData()); });
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        const QStringList found = search(base, "sjis");
        QCOMPARE(found.size(), 1);
        QCOMPARE(native_path::encode(found.first()), sjis);
    }

    // Links are followed, but a loop ends; a pipe named like a movie, an
    // unreadable folder and a missing base give nothing and stop nothing.
    void oddTreesEnd()
    {
        QTemporaryDir dir;
        const QString base = dir.path();
        touch(base + "/a/clip.avi");
        QVERIFY(QFile::link(base, base + "/a/loop"));
        QVERIFY(QFile::link(base + "/a/clip.avi", base + "/linked.avi"));
        QCOMPARE(::mkfifo(QFile::encodeName(base + "/pipe.avi").constData(), 0600), 0);
        touch(base + "/locked/secret.avi");
        QFile::setPermissions(base + "/locked", QFileDevice::Permissions());

        QStringList hits = search(base, "");
        hits.sort();
        if (::geteuid() == 0) // the superuser reads any folder
            hits.removeAll("locked/secret.avi");
        QCOMPARE(hits, (QStringList{"a/clip.avi", "linked.avi"}));
        QFile::setPermissions(base + "/locked", QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                    QFileDevice::WriteOwner);

        QVERIFY(search(base + "/gone", "").isEmpty());
        QVERIFY(!folder_walk::canSearchFrom(base + "/linked.avi"));

        const std::atomic<bool> cancelled{true};
        touch(base + "/b/c/d.avi");
        QVERIFY(!folder_walk::walk(base, "", {}, {}, cancelled));

        // Cancelled while several folders are being read: nothing more is
        // reported.
        for (int i = 0; i < 40; ++i)
            touch(base + QString("/many/%1/clip.avi").arg(i));
        std::atomic<bool> stop{false};
        int reported = 0;
        const auto foundOne = [&](const QString &, const QStringList &) {
            ++reported;
            stop = true;
        };
        QVERIFY(!folder_walk::walk(base + "/many", "", foundOne, {}, stop));
        QCOMPARE(reported, 1);
    }

    // Captions of registered, renamed and freed slots, and dir.ini read back,
    // relative to the program folder, with free slots kept free.
    void folderSlots()
    {
        QTemporaryDir dir;
        const QString program = dir.path() + "/";
        FolderSlots folders;
        QCOMPARE(folders.jumpCaption(3), QString("[3] -----------"));
        folders.registerFolder(2, "/video/movies");
        QCOMPARE(folders.jumpCaption(2), QString("[2]movies"));
        QCOMPARE(folders.registerCaption(2), QString::fromUtf8("[2]movies へ上書き"));
        QCOMPARE(folders.renameCaption(2), QString::fromUtf8("[2]movies の登録名変更"));
        QCOMPARE(folders.deleteCaption(2), QString::fromUtf8("[2]movies の登録削除"));
        folders.registerFolder(0, "/");
        QCOMPARE(folders.jumpCaption(0), QString("[0]/"));
        folders.rename(0, "");
        QCOMPARE(folders.jumpCaption(0), QString("[0]/"));
        folders.rename(0, "Work");
        QCOMPARE(folders.deleteCaption(0), QString::fromUtf8("Work の登録削除"));
        folders.registerFolder(5, program + "here/動画");
        folders.remove(0);
        QVERIFY(!folders.isRegistered(0));

        QVERIFY(folders.save(program + "dir.ini", program, true));
        const QByteArray saved = [&] {
            QFile file(program + "dir.ini");
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        QVERIFY(saved.startsWith("\"[0] -----------\",\"\"\r\n"));
        QVERIFY(saved.contains(QString::fromUtf8("\"./here/動画/\"").toUtf8()));

        // The program folder moves together with the folder.
        QVERIFY(QDir().rename(dir.path(), dir.path() + "-moved"));
        const QString moved = dir.path() + "-moved/";
        FolderSlots loaded;
        QVERIFY(loaded.load(moved + "dir.ini", moved));
        QCOMPARE(loaded.deleteCaption(2), QString::fromUtf8("[2]movies 登録削除"));
        QCOMPARE(loaded.at(5).folder, moved + QString::fromUtf8("here/動画/"));
        QVERIFY(!loaded.isRegistered(0) && !loaded.isRegistered(9));

        // A short file stops at its end: the slots read keep their values.
        QFile shortFile(moved + "short.ini");
        QVERIFY(shortFile.open(QIODevice::WriteOnly));
        shortFile.write("\"[0]a\",\"/a\"\r\n\"[1]b\"\r\n");
        shortFile.close();
        FolderSlots partial;
        QVERIFY(!partial.load(moved + "short.ini", moved));
        QCOMPARE(partial.at(0).folder, QString("/a"));
        QVERIFY(!partial.isRegistered(1));
        QDir(moved).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "test_folder_walk.moc"
