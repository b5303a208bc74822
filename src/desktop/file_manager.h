#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

// The desktop's file manager, asked over D-Bus (org.freedesktop.FileManager1)
// to show a file's property sheet or to open a folder.  Calls never wait for
// an answer; a folder that no file manager takes is handed to the desktop's
// default handler for folders instead.
class FileManager : public QObject
{
    Q_OBJECT
public:
    // Talks to the session bus and falls back to QDesktopServices.
    explicit FileManager(QObject *parent = nullptr);

    // Another bus, and another fallback for folders (tests use both).
    void setBus(const QDBusConnection &bus);
    void setFolderFallback(std::function<void(const QUrl &)> openFolder);

    void showProperties(const QString &path);
    void showFolder(const QString &folder);

    static const char *const kService;
    static const char *const kObjectPath;
    static const char *const kInterface;

signals:
    // The file manager answered (ok) or the call failed; for tests.
    void finished(const QString &method, bool ok);

private:
    void call(const QString &method, const QString &path,
              std::function<void()> onFailure = nullptr);

    // The session bus is looked up at the first call, not at start-up.
    std::optional<QDBusConnection> bus_;
    std::function<void(const QUrl &)> openFolder_;
};
