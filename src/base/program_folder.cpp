#include "base/program_folder.h"

#include "base/folder_file.h"
#include "base/path.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace program_folder
{

namespace
{

QString userDataFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = QDir::cleanPath(dataHome + QStringLiteral("/sazanami"));
    // The favourites, the resume point and the thumbnails tell what the user
    // watches: nobody else is let in.
    if (!QFileInfo::exists(folder) && QDir().mkpath(QFileInfo(folder).absolutePath()))
        ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return path::addbackslash(folder);
}

// A portable copy whose folder holds state of its own, readable.
bool holdsState(const QString &dir)
{
    for (const QString &name : stateFileNames()) {
        const QFileInfo file(path::addbackslash(dir) + name);
        if (file.isFile() && file.isReadable())
            return true;
    }
    return false;
}

} // namespace

// Permission bits do not tell the whole story (root ignores them, a read-only
// mount overrides them), so the folder counts as writable only when a file
// can really be created in it.
bool canWriteIn(const QString &dir)
{
    const QFileInfo info(dir);
    if (!info.isDir() || !info.isWritable())
        return false;
    // An unnamed file where the file system has them: nothing is left behind
    // even when the program is killed meanwhile.
    const int fd =
        ::open(QFile::encodeName(dir).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR)
        return false;
    QTemporaryFile probe(path::addbackslash(dir) + QStringLiteral(".sazanami-write-XXXXXX"));
    return probe.open();
}

QString installedDataFolder(const QString &executableDir)
{
    const QDir bin(executableDir);
    if (executableDir.isEmpty() || bin.dirName() != QLatin1String("bin"))
        return QString();
    const QString data = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/sazanami")));
    return QFileInfo(data).isDir() ? path::addbackslash(data) : QString();
}

QString helpFile(const QString &executableDir)
{
    const QString name = QStringLiteral("help.html");
    for (const QString &folder :
         {path::addbackslash(executableDir), installedDataFolder(executableDir)}) {
        if (!executableDir.isEmpty() && !folder.isEmpty() && QFileInfo(folder + name).isFile())
            return folder + name;
    }
    return QString();
}

QStringList stateFileNames()
{
    return {QStringLiteral("config.ini"),     QStringLiteral("okini.ini"),
            QStringLiteral("searchData.ini"), QStringLiteral("key.ini"),
            QStringLiteral("dir.ini"),        QStringLiteral("color.ini"),
            QStringLiteral("resume.ini"),     QStringLiteral("waveout.ini"),
            QStringLiteral("positions.ini")};
}

QString forExecutableDir(const QString &executableDir)
{
    if (!installedDataFolder(executableDir).isEmpty())
        return userDataFolder();
    // A portable copy that cannot be written still starts from its own state
    // rather than from nothing; that its changes are not kept is told then.
    // A folder other users can write is no place for new state; one that
    // holds state already is read (and told of) rather than ignored.
    if (!executableDir.isEmpty() &&
        ((canWriteIn(executableDir) && folder_file::isClosedToOthers(executableDir)) ||
         holdsState(executableDir)))
        return path::addbackslash(executableDir);
    return userDataFolder();
}

QString imageFolder(const QString &programFolder)
{
    return programFolder + QStringLiteral("image/");
}

QString sceneFolder(const QString &programFolder)
{
    return programFolder + QStringLiteral("seen/");
}

} // namespace program_folder
