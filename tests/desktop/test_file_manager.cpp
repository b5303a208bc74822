// Asking the desktop's file manager over D-Bus, against a stand-in file
// manager on a private bus.

#include "desktop/file_manager.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace
{

// The org.freedesktop.FileManager1 methods the program calls, recording what
// they were given.
class StandInFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList calls;

public slots:
    void ShowItemProperties(const QStringList &uris, const QString &startupId)
    {
        calls.append("properties " + uris.join('|') + " [" + startupId + "]");
    }
    void ShowFolders(const QStringList &uris, const QString &startupId)
    {
        calls.append("folders " + uris.join('|') + " [" + startupId + "]");
    }
};

} // namespace

class TestFileManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!daemon_.waitForStarted(5000))
            QSKIP("dbus-daemon is not available");
        QTRY_VERIFY(daemon_.canReadLine());
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        QVERIFY(!address_.isEmpty());
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus("file-manager");
        QDBusConnection::disconnectFromBus("program");
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }

    void callsTheFileManagerWithoutWaiting()
    {
        QDBusConnection service = QDBusConnection::connectToBus(address_, "file-manager");
        StandInFileManager standIn;
        QVERIFY(service.registerObject(FileManager::kObjectPath, &standIn,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(FileManager::kService));
        FileManager manager;
        manager.setBus(QDBusConnection::connectToBus(address_, "program"));
        QList<QUrl> fallback;
        manager.setFolderFallback([&fallback](const QUrl &url) { fallback.append(url); });
        QSignalSpy finished(&manager, &FileManager::finished);

        manager.showProperties(QString::fromUtf8("/tmp/動画 a, \"b\"#1.avi"));
        manager.showFolder("/tmp/some folder");
        // Both return before the file manager has been reached.
        QVERIFY(standIn.calls.isEmpty());
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(standIn.calls,
                 QStringList({"properties file:///tmp/%E5%8B%95%E7%94%BB%20a,%20%22b%22%231.avi []",
                              "folders file:///tmp/some%20folder []"}));
        QVERIFY(fallback.isEmpty());

        // No file manager on the bus: the folder goes to the fallback, the
        // property sheet is not shown.
        QVERIFY(service.unregisterService(FileManager::kService));
        manager.showFolder("/tmp/some folder");
        manager.showProperties("/tmp/x.avi");
        QTRY_COMPARE(finished.count(), 4);
        QCOMPARE(fallback, QList<QUrl>({QUrl::fromLocalFile("/tmp/some folder")}));
        QCOMPARE(standIn.calls.size(), 2);

        // Without any bus the folder still opens.
        manager.setBus(QDBusConnection("no such connection"));
        manager.showFolder(QString::fromUtf8("/home/誰か"));
        QCOMPARE(fallback.last(), QUrl::fromLocalFile(QString::fromUtf8("/home/誰か")));
    }

private:
    QProcess daemon_;
    QString address_;
};

QTEST_GUILESS_MAIN(TestFileManager)

#include "test_file_manager.moc"
