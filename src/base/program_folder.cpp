#include "base/program_folder.h"

#include "base/folder_file.h"
#include "base/native_path.h"
#include "base/path.h"

#include <QDir>
#include <QRandomGenerator>
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
    QString dataHome = native_path::fromEnvironment("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome)) {
        QString home = native_path::fromEnvironment("HOME");
        if (home.isEmpty())
            home = QDir::homePath();
        dataHome = home + QStringLiteral("/.local/share");
    }
    const QString folder = QDir::cleanPath(dataHome + QStringLiteral("/sazanami"));
    // The favourites, the resume point and the thumbnails tell what the user
    // watches: nobody else is let in.
    if (!native_path::isTaken(folder) && native_path::makeFolders(path::getfiledir(folder)))
        ::mkdir(native_path::encode(folder).constData(), 0700);
    return path::addbackslash(folder);
}

// A portable copy whose folder holds state of its own, readable.
bool holdsState(const QString &dir)
{
    for (const QString &name : stateFileNames()) {
        const QString file = path::addbackslash(dir) + name;
        if (native_path::isFile(file) && ::access(native_path::encode(file).constData(), R_OK) == 0)
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
    const QByteArray folder = native_path::encode(dir);
    if (!native_path::isDir(dir) || ::access(folder.constData(), W_OK) != 0)
        return false;
    // An unnamed file where the file system has them: nothing is left behind
    // even when the program is killed meanwhile.
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR)
        return false;
    const QByteArray probe = folder + "/.sazanami-write-" +
                             QByteArray::number(QRandomGenerator::global()->generate(), 36);
    fd = ::open(probe.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

QString installedDataFolder(const QString &executableDir)
{
    const QString bin = path::removebackslash(executableDir);
    if (executableDir.isEmpty() || bin.mid(bin.lastIndexOf(u'/') + 1) != QLatin1String("bin"))
        return QString();
    const QString data = QDir::cleanPath(bin + QStringLiteral("/../share/sazanami"));
    return native_path::isDir(data) ? path::addbackslash(data) : QString();
}

QString helpFile(const QString &executableDir)
{
    const QString name = QStringLiteral("help.html");
    for (const QString &folder :
         {path::addbackslash(executableDir), installedDataFolder(executableDir)}) {
        if (!executableDir.isEmpty() && !folder.isEmpty() && native_path::isFile(folder + name))
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
