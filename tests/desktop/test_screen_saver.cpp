// Keeping the screen saver off, against stand-in desktop services on a
// private bus that record what they are asked.

#include "desktop/screen_saver.h"
#include "private_bus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace
{

class StandInScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls;

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        calls.append("Inhibit " + application + (reason.isEmpty() ? " without reason" : ""));
        return 7;
    }
    void UnInhibit(uint cookie) { calls.append("UnInhibit " + QString::number(cookie)); }
};

// The portal's Inhibit and the request object it hands out.
class StandInPortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    QStringList calls;

public slots:
    QDBusObjectPath Inhibit(const QString &, uint flags, const QVariantMap &options)
    {
        calls.append(QString("Inhibit %1 %2").arg(flags).arg(options.contains("reason")));
        return QDBusObjectPath("/org/freedesktop/portal/desktop/request/1");
    }
};

class StandInRequest : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    explicit StandInRequest(QStringList &calls) : calls_(calls) {}

public slots:
    void Close() { calls_.append("Close"); }

private:
    QStringList &calls_;
};

} // namespace

class TestScreenSaver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(bus_.start());
        address_ = bus_.address();
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus("desktop");
        QDBusConnection::disconnectFromBus("program");
    }

    // The screen saver service first, the portal where it is missing, the X
    // server where neither is; released on the way each was taken.
    void inhibitsByTheFirstWayThereIs()
    {
        QDBusConnection desktop = QDBusConnection::connectToBus(address_, "desktop");
        StandInScreenSaver screenSaver;
        QVERIFY(desktop.registerObject("/org/freedesktop/ScreenSaver", &screenSaver,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(desktop.registerService("org.freedesktop.ScreenSaver"));

        ScreenSaver inhibitor;
        inhibitor.setBus(QDBusConnection::connectToBus(address_, "program"));
        QSignalSpy changed(&inhibitor, &ScreenSaver::changed);
        inhibitor.setInhibited(true);
        QTRY_COMPARE(inhibitor.heldBy(), ScreenSaver::Way::ScreenSaverService);
        inhibitor.setInhibited(false);
        QTRY_COMPARE(screenSaver.calls, QStringList({"Inhibit Sazanami", "UnInhibit 7"}));

        // Let go while the desktop has not answered yet: released once it has.
        inhibitor.setInhibited(true);
        inhibitor.setInhibited(false);
        QTRY_COMPARE(screenSaver.calls.size(), 4);
        QCOMPARE(screenSaver.calls.last(), "UnInhibit 7");
        QCOMPARE(inhibitor.heldBy(), ScreenSaver::Way::None);

        // At exit the release has left before releaseNow returns.
        inhibitor.setInhibited(true);
        QTRY_COMPARE(inhibitor.heldBy(), ScreenSaver::Way::ScreenSaverService);
        inhibitor.releaseNow();
        QTRY_COMPARE(screenSaver.calls.size(), 6);

        QVERIFY(desktop.unregisterService("org.freedesktop.ScreenSaver"));
        StandInPortal portal;
        StandInRequest request(portal.calls);
        QVERIFY(desktop.registerObject("/org/freedesktop/portal/desktop", &portal,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(desktop.registerObject("/org/freedesktop/portal/desktop/request/1", &request,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(desktop.registerService("org.freedesktop.portal.Desktop"));
        inhibitor.setInhibited(true);
        QTRY_COMPARE(inhibitor.heldBy(), ScreenSaver::Way::Portal);
        inhibitor.setInhibited(false);
        QTRY_COMPARE(portal.calls, QStringList({"Inhibit 8 1", "Close"}));

        QVERIFY(desktop.unregisterService("org.freedesktop.portal.Desktop"));
        inhibitor.setInhibited(true);
        QTRY_COMPARE(inhibitor.heldBy(), ScreenSaver::Way::X11);
        inhibitor.setInhibited(false);
        QCOMPARE(inhibitor.heldBy(), ScreenSaver::Way::None);
        QCOMPARE(screenSaver.calls.size(), 6);
        QCOMPARE(portal.calls.size(), 2);
    }

private:
    PrivateBus bus_;
    QString address_;
};

QTEST_MAIN(TestScreenSaver)

#include "test_screen_saver.moc"
