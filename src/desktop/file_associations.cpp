#include "desktop/file_associations.h"
#include "desktop/desktop_log.h"

#include "base/mime_apps.h"
#include "base/movie_ext.h"
#include "base/state_file.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

FileAssociations::FileAssociations(QString programPath) : programPath_(std::move(programPath)) {}

QString FileAssociations::mimeTypeOf(const QString &extension)
{
    if (const QString fixed = more_movie_mime_type(extension); !fixed.isEmpty())
        return fixed;
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile("file." + extension, QMimeDatabase::MatchExtension);
    return mime_apps::isAssociable(type.name()) ? type.name() : QString();
}

QString FileAssociations::mimeAppsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/mimeapps.list";
}

QString FileAssociations::desktopEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/applications/" + kDesktopId;
}

std::optional<QByteArray> FileAssociations::mimeApps() const
{
    const state_file::ReadResult file = state_file::read(mimeAppsPath());
    if (file.found == state_file::Found::Unreadable)
        return std::nullopt;
    return file.content;
}

bool FileAssociations::saveMimeApps(const QByteArray &before, const QByteArray &after) const
{
    if (after == before)
        return true;
    const QFileInfo file(mimeAppsPath());
    // Replacing a link by a file would cut the user's settings off from the
    // place the link keeps them.
    const QString target = file.isSymLink() ? file.symLinkTarget() : file.absoluteFilePath();
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (state_file::writeWhole(target, after))
        return true;
    qCWarning(lcDesktop) << "cannot write" << target;
    return false;
}

bool FileAssociations::writeDesktopEntry() const
{
    if (!mime_apps::canRunFromDesktopEntry(programPath_)) {
        qCWarning(lcDesktop) << "cannot associate movies with" << programPath_
                             << "- a desktop entry cannot run a program whose path holds a % or "
                                "bytes that are not UTF-8";
        return false;
    }
    QStringList types;
    for (const QString &extension : movie_extensions(moreFormats_)) {
        const QString type = mimeTypeOf(extension);
        if (!type.isEmpty() && !types.contains(type))
            types << type;
    }
    const QByteArray entry = mime_apps::desktopEntry(programPath_, types);
    const QString path = desktopEntryPath();
    if (state_file::readWhole(path) == entry)
        return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return state_file::writeWhole(path, entry);
}

void FileAssociations::refreshDesktopEntry() const
{
    for (const QString &extension : movie_extensions(moreFormats_)) {
        if (isAssociated(extension)) {
            writeDesktopEntry();
            return;
        }
    }
}

bool FileAssociations::isAssociated(const QString &extension) const
{
    return mime_apps::isAssociated(mimeApps().value_or(QByteArray()), mimeTypeOf(extension),
                                   kDesktopId);
}

bool FileAssociations::isDefault(const QString &extension) const
{
    return mime_apps::isDefault(mimeApps().value_or(QByteArray()), mimeTypeOf(extension),
                                kDesktopId);
}

bool FileAssociations::associate(const QString &extension)
{
    const QString type = mimeTypeOf(extension);
    if (type.isEmpty())
        return false;
    const std::optional<QByteArray> before = mimeApps();
    if (!before)
        return leftAlone();
    if (mime_apps::isAssociated(*before, type, kDesktopId))
        return true;
    return writeDesktopEntry() &&
           saveMimeApps(*before, mime_apps::associate(*before, type, kDesktopId));
}

bool FileAssociations::dissociate(const QString &extension)
{
    const std::optional<QByteArray> before = mimeApps();
    if (!before)
        return leftAlone();
    return saveMimeApps(*before, mime_apps::dissociate(*before, mimeTypeOf(extension), kDesktopId));
}

bool FileAssociations::makeDefault(const QString &extension)
{
    const std::optional<QByteArray> before = mimeApps();
    if (!before)
        return leftAlone();
    return saveMimeApps(*before,
                        mime_apps::makeDefault(*before, mimeTypeOf(extension), kDesktopId));
}

bool FileAssociations::giveBackDefault(const QString &extension)
{
    const std::optional<QByteArray> before = mimeApps();
    if (!before)
        return leftAlone();
    return saveMimeApps(*before,
                        mime_apps::giveBackDefault(*before, mimeTypeOf(extension), kDesktopId));
}

bool FileAssociations::leftAlone()
{
    qCWarning(lcDesktop) << "cannot read" << mimeAppsPath()
                         << "- the associations are left as they are";
    return false;
}
