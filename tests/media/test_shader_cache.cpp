// The OpenGL programs mpv compiles for the picture are kept in the user's
// cache, in a folder of the user's alone, and a start that finds them there
// compiles nothing.

#include "media/cmovie.h"
#include "media/shader_cache.h"
#include "player_fixture.h"
#include "test_media.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Every file of folder with its size and time of change.
QStringList listing(const QString &folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files); it.hasNext();) {
        const QFileInfo file(it.next());
        files << QString("%1 %2 %3")
                     .arg(file.fileName())
                     .arg(file.size())
                     .arg(file.lastModified().toMSecsSinceEpoch());
    }
    files.sort();
    return files;
}

// One start of the player showing a few frames of a movie.
bool playOnce()
{
    QWidget screen;
    screen.resize(320, 240);
    screen.show();
    if (!QTest::qWaitForWindowExposed(&screen))
        return false;
    CMovie movie;
    QSignalSpy frames(&movie, &CMovie::frameShown);
    if (test_media::openAndWait(movie, test_media::clip("clip.avi"), &screen) <= 0)
        return false;
    return QTest::qWaitFor([&] { return frames.count() > 3; }, 5000);
}

} // namespace

class TestShaderCache : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        prepareMediaTests();
        QVERIFY(cache_.isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache_.path()));
    }

    void folderIsTheUsersAloneAndNeverALink()
    {
        const QString folder = shader_cache::folder();
        QCOMPARE(folder, cache_.path() + "/sazanami/shaders");
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QVERIFY(!(QFileInfo(folder).permissions() & others));
        // A link planted in the folder's place is not followed.
        QTemporaryDir elsewhere;
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QFile::link(elsewhere.path(), folder));
        QCOMPARE(shader_cache::folder(), QString());
        QVERIFY(QFile::remove(folder));
    }

    void warmCacheCompilesNothing()
    {
        const QString folder = cache_.path() + "/sazanami/shaders";
        QVERIFY(playOnce());
        const QStringList filled = listing(folder);
        if (filled.isEmpty())
            QSKIP("this OpenGL hands out no compiled programs (Mesa's llvmpipe keeps none)");
        QVERIFY(playOnce());
        QCOMPARE(listing(folder), filled);
    }

private:
    QTemporaryDir cache_;
};

QTEST_MAIN(TestShaderCache)
#include "test_shader_cache.moc"
