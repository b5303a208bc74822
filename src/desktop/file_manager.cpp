#include "desktop/file_manager.h"
#include "desktop/desktop_log.h"

#include "base/native_path.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>

const char *const FileManager::kService = "org.freedesktop.FileManager1";
const char *const FileManager::kObjectPath = "/org/freedesktop/FileManager1";
const char *const FileManager::kInterface = "org.freedesktop.FileManager1";

FileManager::FileManager(QObject *parent)
    : QObject(parent), openFolder_([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
}

void FileManager::setBus(const QDBusConnection &bus)
{
    bus_ = bus;
}

void FileManager::setFolderFallback(std::function<void(const QUrl &)> openFolder)
{
    openFolder_ = std::move(openFolder);
}

void FileManager::showProperties(const QString &path)
{
    call(QStringLiteral("ShowItemProperties"), path);
}

void FileManager::showFolder(const QString &folder)
{
    call(QStringLiteral("ShowFolders"), folder, [this, folder] {
        if (openFolder_)
            openFolder_(native_path::toFileUrl(folder));
    });
}

// Both methods take (as uris, s startupId).  The answer arrives later through
// the event loop; a bus that is not there fails at once.
void FileManager::call(const QString &method, const QString &path, std::function<void()> onFailure)
{
    if (path.isEmpty())
        return;
    if (!bus_)
        bus_ = QDBusConnection::sessionBus();
    if (!bus_->isConnected()) {
        qCInfo(lcDesktop) << "no session bus for" << method << ":" << bus_->lastError().message();
        if (onFailure)
            onFailure();
        emit finished(method, false);
        return;
    }

    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(kService),
                                                          QString::fromLatin1(kObjectPath),
                                                          QString::fromLatin1(kInterface), method);
    const QStringList uris{native_path::toFileUrl(path).toString(QUrl::FullyEncoded)};
    message << uris << QString();

    auto *watcher = new QDBusPendingCallWatcher(bus_->asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, method, onFailure](QDBusPendingCallWatcher *) {
                const bool ok = !watcher->isError();
                // A file manager that is slow to answer may still show the
                // folder; only one that is not there is replaced.
                const QDBusError::ErrorType error = watcher->error().type();
                if (!ok)
                    qCInfo(lcDesktop) << "the file manager's" << method
                                      << "failed:" << watcher->error().message();
                if (!ok && onFailure && error != QDBusError::NoReply &&
                    error != QDBusError::Timeout)
                    onFailure();
                watcher->deleteLater();
                emit finished(method, ok);
            });
}
