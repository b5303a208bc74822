// The program on the desktop: its media controls asked with playerctl, the
// screen saver it keeps off while a movie plays, and a second start that
// hands its movie over, all on a private session bus.

#include "app/command_dispatch.h"
#include "base/native_path.h"
#include "favourites/favourites_list.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_speed.h"
#include "player_fixture.h"
#include "private_bus.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace
{

// Records what the program asks of the desktop's screen saver.
class RecordingScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls;

    // Inhibitions held now.
    int held() const
    {
        return int(calls.count("Inhibit")) - int(calls.size() - calls.count("Inhibit"));
    }

public slots:
    uint Inhibit(const QString &, const QString &)
    {
        calls.append("Inhibit");
        return uint(calls.size());
    }
    void UnInhibit(uint cookie) { calls.append("UnInhibit " + QString::number(cookie)); }
};

// What the media controls announce: status changes and seeks.
class SignalRecorder : public QObject
{
    Q_OBJECT
public:
    QStringList heard;
    QList<double> rates;
    QStringList loops;

public slots:
    void record(const QDBusMessage &message)
    {
        const QVariantList arguments = message.arguments();
        if (message.member() == "Seeked") {
            heard.append(QString("Seeked %1").arg(qRound(arguments.value(0).toLongLong() / 1e6)));
            return;
        }
        const QVariantMap changed = qdbus_cast<QVariantMap>(arguments.value(1));
        if (changed.contains("PlaybackStatus"))
            heard.append(changed.value("PlaybackStatus").toString());
        if (changed.contains("Rate"))
            rates.append(changed.value("Rate").toDouble());
        if (changed.contains("LoopStatus"))
            loops.append(changed.value("LoopStatus").toString());
    }
};

} // namespace

class TestDesktopLink : public QObject
{
    Q_OBJECT

    // playerctl's answer, with the program's event loop running meanwhile.
    QString playerctl(const QStringList &arguments)
    {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address_);
        run.setProcessEnvironment(environment);
        run.start("playerctl", QStringList{"--player=sazanami"} + arguments);
        for (int waited = 0; !run.waitForFinished(10) && waited < 10000; waited += 10)
            QCoreApplication::processEvents();
        return QString::fromUtf8(run.readAllStandardOutput()).trimmed();
    }

    // A property of the media controls' player as the desktop reads it.
    QVariant playerProperty(const QString &name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.sazanami",
                                                          "/org/mpris/MediaPlayer2",
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << "org.mpris.MediaPlayer2.Player" << name;
        const QDBusPendingCall call =
            QDBusConnection::connectToBus(address_, "desktop").asyncCall(get);
        for (int waited = 0; !call.isFinished() && waited < 10000; waited += 10)
            QTest::qWait(10);
        return qdbus_cast<QDBusVariant>(call.reply().arguments().value(0)).variant();
    }

    double position(Player &player)
    {
        double seconds = -1;
        player.movie().currentPosition(&seconds);
        return seconds;
    }

private slots:
    void initTestCase()
    {
        prepareMediaTests();
        QVERIFY(bus_.start());
        address_ = bus_.address();
        // The program's session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
        QVERIFY(folder_.isValid());
        for (const char *name : {"a.avi", "b 動画.avi", "c.avi"})
            QVERIFY(QFile::copy(test_media::clip("play60.avi"),
                                folder_.filePath(QString::fromUtf8(name))));
    }

    void cleanupTestCase() { QDBusConnection::disconnectFromBus("desktop"); }

    void mediaControlsAndScreenSaverFollowPlayback()
    {
        QDBusConnection desktop = QDBusConnection::connectToBus(address_, "desktop");
        RecordingScreenSaver screenSaver;
        QVERIFY(desktop.registerObject("/org/freedesktop/ScreenSaver", &screenSaver,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(desktop.registerService("org.freedesktop.ScreenSaver"));

        const QString movie = folder_.filePath(QString::fromUtf8("b 動画.avi"));
        PlayerFixture fixture({movie});
        Player &player = fixture.player();
        QVERIFY(waitForOpen(player));
        QCOMPARE(player.movie().filename(), movie);
        QTRY_COMPARE(screenSaver.calls, QStringList({"Inhibit"}));

        SignalRecorder announced;
        const QString service = "org.mpris.MediaPlayer2.sazanami";
        const QString path = "/org/mpris/MediaPlayer2";
        QVERIFY(desktop.connect(service, path, "org.freedesktop.DBus.Properties",
                                "PropertiesChanged", &announced, SLOT(record(QDBusMessage))));
        QVERIFY(desktop.connect(service, path, "org.mpris.MediaPlayer2.Player", "Seeked",
                                &announced, SLOT(record(QDBusMessage))));

        QCOMPARE(playerctl({"status"}), "Playing");
        QCOMPARE(
            playerctl({"metadata", "--format", "{{xesam:title}}|{{mpris:length}}|{{xesam:url}}"}),
            QString::fromUtf8("b 動画|60000000|") + QUrl::fromLocalFile(movie).toEncoded());

        // Paused, the screen may blank again; playing, not.
        playerctl({"play-pause"});
        QTRY_COMPARE(playerctl({"status"}), "Paused");
        QTRY_COMPARE(screenSaver.calls, QStringList({"Inhibit", "UnInhibit 1"}));
        playerctl({"play-pause"});
        QTRY_COMPARE(playerctl({"status"}), "Playing");
        QTRY_COMPARE(screenSaver.calls.size(), 3);

        // Position and seek, absolute and relative.
        playerctl({"position", "20"});
        QTRY_VERIFY(qAbs(position(player) - 20) < 1);
        QVERIFY(qAbs(playerctl({"position"}).toDouble() - 20) < 1);
        playerctl({"position", "5-"});
        QTRY_VERIFY(qAbs(position(player) - 15) < 1);
        QTRY_COMPARE(announced.heard, QStringList({"Paused", "Playing", "Seeked 20", "Seeked 15"}));

        // Volume and speed land on the program's own controls.
        playerctl({"volume", "0.4"});
        QTRY_COMPARE(player.window().vol()->value(), 40);
        QDBusMessage setRate = QDBusMessage::createMethodCall(
            "org.mpris.MediaPlayer2.sazanami", "/org/mpris/MediaPlayer2",
            "org.freedesktop.DBus.Properties", "Set");
        setRate << "org.mpris.MediaPlayer2.Player"
                << "Rate" << QVariant::fromValue(QDBusVariant(1.4));
        const QDBusPendingCall rateSet = desktop.asyncCall(setRate);
        QTRY_VERIFY(rateSet.isFinished());
        QVERIFY(!rateSet.isError());
        // The reply may come before the queued change of speed is made.
        QTRY_COMPARE(player.playSpeed().checkedIndex(), 1);

        // Next and previous go through the play mode and the file page.
        player.playMode().mode_Click(PlayMode::Continuous);
        playerctl({"next"});
        QVERIFY(waitForOpen(player));
        QTRY_COMPARE(player.movie().filename(), folder_.filePath("c.avi"));
        QTRY_COMPARE(playerctl({"metadata", "xesam:title"}), "c");
        playerctl({"open", QUrl::fromLocalFile(folder_.filePath("a.avi")).toString()});
        QVERIFY(waitForOpen(player));
        QTRY_COMPARE(player.movie().filename(), folder_.filePath("a.avi"));
        playerctl({"next"});
        QVERIFY(waitForOpen(player));
        QTRY_COMPARE(player.movie().filename(), movie);
        // A favourite's thumbnail is its picture on the desktop.
        QCOMPARE(playerctl({"metadata", "mpris:artUrl"}), QString());
        player.favourites().addPath(movie);
        QTRY_VERIFY(!player.favourites().thumbnailFileOf(movie).isEmpty());
        playerctl({"open", QUrl::fromLocalFile(movie).toString()});
        QTRY_COMPARE(playerctl({"metadata", "mpris:artUrl"}),
                     QUrl::fromLocalFile(player.favourites().thumbnailFileOf(movie)).toEncoded());

        // The speed changed by its keys is told too.
        QTest::keyClick(player.window().display(), Qt::Key_2);
        QTRY_COMPARE(announced.rates.value(announced.rates.size() - 1), 2.0);

        // With the options shown, next and previous go on in the list that
        // plays.
        player.listPanel().selectTab(ListPanel::OptionsPage);
        playerctl({"previous"});
        QVERIFY(waitForOpen(player));
        QTRY_COMPARE(player.movie().filename(), folder_.filePath("a.avi"));

        // A loop is not a stop and a start.
        player.playMode().mode_Click(PlayMode::Loop);
        announced.heard.clear();
        playerctl({"position", "59"});
        QTRY_VERIFY(position(player) > 58);
        QTRY_VERIFY(position(player) > 0.2 && position(player) < 5);
        QCOMPARE(player.movie().filename(), folder_.filePath("a.avi"));
        QVERIFY2(!announced.heard.contains("Stopped"), qPrintable(announced.heard.join(' ')));

        // A name that is not UTF-8 keeps its bytes in the address, both ways.
        const QByteArray sjis = QFile::encodeName(folder_.path()) + "/\x93\xae\x89\xe6.avi";
        QVERIFY(QFile::copy(test_media::clip("play60.avi"), folder_.filePath("sjis")));
        QCOMPARE(
            ::rename(QFile::encodeName(folder_.filePath("sjis")).constData(), sjis.constData()), 0);
        playerctl({"open", "file://" + QString::fromLatin1(sjis.toPercentEncoding("/"))});
        QTRY_COMPARE(player.movie().filename(), native_path::decode(sjis));
        QVERIFY(waitForOpen(player));
        QTRY_COMPARE(playerctl({"metadata", "xesam:url"}),
                     "file://" + QString::fromLatin1(sjis.toPercentEncoding("/")));
        QVERIFY(playerctl({"metadata", "xesam:url"}).contains("/%93%AE%89%E6.avi"));
        player.listPanel().selectTab(ListPanel::FilePage);

        // Stopped, the screen saver is free; a termination signal after
        // playing again frees it as well.
        QTRY_COMPARE(screenSaver.held(), 1);
        playerctl({"stop"});
        QTRY_COMPARE(playerctl({"status"}), "Stopped");
        QTRY_COMPARE(screenSaver.held(), 0);
        playerctl({"play"});
        QTRY_COMPARE(screenSaver.held(), 1);
        ::raise(SIGTERM);
        QTRY_VERIFY(!player.window().isVisible());
        QTRY_COMPARE(screenSaver.held(), 0);
        // QTemporaryDir cannot name it.
        QCOMPARE(::unlink(sjis.constData()), 0);
    }

    // Next and previous are offered as soon as the list that plays has
    // entries, without a change of page; the play mode is the desktop's loop
    // and shuffle, set from either side; a stop while paused is a stop.
    void mediaControlsFollowListsAndPlayMode()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        player.listPanel().selectTab(ListPanel::FavouritesPage);
        QTRY_COMPARE(playerProperty("CanGoNext"), QVariant(false));
        const QString movie = folder_.filePath("a.avi");
        QVERIFY(player.favourites().addPath(movie));
        QTRY_COMPARE(playerProperty("CanGoNext"), QVariant(true));
        QCOMPARE(playerProperty("CanGoPrevious"), QVariant(true));

        QVERIFY(playAndWait(player, movie));
        playerctl({"pause"});
        QTRY_COMPARE(playerctl({"status"}), "Paused");
        playerctl({"stop"});
        QTRY_COMPARE(playerctl({"status"}), "Stopped");

        SignalRecorder announced;
        QVERIFY(QDBusConnection::connectToBus(address_, "desktop")
                    .connect("org.mpris.MediaPlayer2.sazanami", "/org/mpris/MediaPlayer2",
                             "org.freedesktop.DBus.Properties", "PropertiesChanged", &announced,
                             SLOT(record(QDBusMessage))));
        player.playMode().mode_Click(PlayMode::Loop);
        QTRY_COMPARE(announced.loops, QStringList({"Track"}));
        QCOMPARE(playerctl({"shuffle"}), "Off");
        const std::pair<QStringList, int> fromDesktop[] = {
            {{"loop", "Playlist"}, PlayMode::Continuous}, {{"shuffle", "On"}, PlayMode::Random},
            {{"loop", "Track"}, PlayMode::Loop},          {{"shuffle", "On"}, PlayMode::Random},
            {{"shuffle", "Off"}, PlayMode::Continuous},   {{"loop", "None"}, PlayMode::Normal}};
        for (const auto &[command, mode] : fromDesktop) {
            playerctl(command);
            QTRY_COMPARE(player.playMode().get_play_mode(), mode);
        }
        player.playMode().mode_Click(PlayMode::Random);
        QTRY_COMPARE(playerctl({"loop"}), "Playlist");
        QCOMPARE(playerctl({"shuffle"}), "On");
    }

    // Two real processes on one program folder: the second start's movie
    // plays in the first.
    void secondStartHandsItsMovieOver()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address_);

        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QDir(install.path() + "/seen").exists(), 10000);
        QTRY_COMPARE(playerctl({"status"}), "Stopped");

        // Relative to the second start's own folder, blanks and all.
        QProcess second;
        second.setProcessEnvironment(environment);
        second.setWorkingDirectory(folder_.path());
        second.start(program, {"b", QString::fromUtf8("動画.avi")});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(playerctl({"metadata", "xesam:title"}),
                                  QString::fromUtf8("b 動画"), 10000);
        QCOMPARE(playerctl({"status"}), "Playing");

        first.terminate();
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
    }

private:
    PrivateBus bus_;
    QString address_;
    QTemporaryDir folder_;
};

QTEST_MAIN(TestDesktopLink)

#include "test_desktop_link.moc"
