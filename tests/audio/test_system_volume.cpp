// The system volume through a private PulseAudio server with a null output:
// the program sets it from its volume bar and gives back the level it found,
// at its end, on SIGTERM and, after an end that never got there, at the next
// start; a level the user set meanwhile stays.

#include "audio/system_volume.h"
#include "audio/system_volume_queue.h"
#include "base/audio_gain.h"
#include "test_files.h"
#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace
{

// The first channel's volume of the default output, in PulseAudio units.
int outputVolume()
{
    QProcess pactl;
    pactl.start("pactl", {"get-sink-volume", "@DEFAULT_SINK@"});
    pactl.waitForFinished(5000);
    const auto match = QRegularExpression(R"(:\s*(\d+)\s*/)")
                           .match(QString::fromLocal8Bit(pactl.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

void setOutputVolume(int volume)
{
    QProcess::execute("pactl", {"set-sink-volume", "@DEFAULT_SINK@", QString::number(volume)});
}

} // namespace

class TestSystemVolume : public QObject
{
    Q_OBJECT

    QTemporaryDir runtime_;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() ||
            QStandardPaths::findExecutable("pactl").isEmpty())
            QSKIP("needs pulseaudio and pactl");
        QFile::setPermissions(runtime_.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
        qputenv("PULSE_SERVER", QString("unix:%1/pulse/native").arg(runtime_.path()).toLocal8Bit());
        const int started = QProcess::execute(
            "pulseaudio", {"-D", "--exit-idle-time=-1", "--system=false", "-n",
                           "--load=module-null-sink", "--load=module-native-protocol-unix"});
        QCOMPARE(started, 0);
        QTRY_VERIFY_WITH_TIMEOUT(outputVolume() >= 0, 10000);
    }

    void cleanupTestCase() { QProcess::execute("pulseaudio", {"--kill"}); }

    void givenBackUnlessTheUserChangedIt()
    {
        QTemporaryDir folder;
        const QString restoreFile = folder.filePath("waveout.ini");
        setOutputVolume(30000);

        {
            SystemVolume volume(restoreFile);
            QCOMPARE(audio_gain::scrollValueOfWord(volume.get_wave_volume()),
                     audio_gain::levelFromPulseVolume(30000) - 32768);
            volume.set_wave_volume(audio_gain::waveWord(0));
            QCOMPARE(outputVolume(), int(audio_gain::pulseVolumeFromLevel(0x8000)));
            // The program ends without giving it back.
        }
        QVERIFY(QFile::exists(restoreFile));
        {
            // The next start gives it back.
            SystemVolume volume(restoreFile);
            QCOMPARE(outputVolume(), 30000);
            QVERIFY(!QFile::exists(restoreFile));

            // Changed by the user meanwhile: left as the user set it.
            volume.set_wave_volume(audio_gain::waveWord(-16384));
            setOutputVolume(50000);
            volume.restore();
            QCOMPARE(outputVolume(), 50000);
            QVERIFY(!QFile::exists(restoreFile));
        }
    }

    // A server that stops answering holds up no one who asks for a change:
    // the caller's events go on while the changes wait, and of the changes
    // asked meanwhile the latest is the one carried out.
    void changesGoOnWhileTheServerDoesNotAnswer()
    {
        QTemporaryDir folder;
        setOutputVolume(30000);
        // Connected, as the program's is by the read at start.
        auto volume = std::make_unique<SystemVolume>(folder.filePath("waveout.ini"));
        QVERIFY(volume->get_wave_volume() != 0);
        SystemVolumeQueue queue(std::move(volume));
        // Told on this thread, as the window is.
        QList<std::uint32_t> changed;
        connect(&queue, &SystemVolumeQueue::changed, this,
                [&changed](std::uint32_t word) { changed << word; });
        const pid_t server =
            pid_t(test_files::readFile(runtime_.filePath("pulse/pid")).trimmed().toLongLong());
        QVERIFY(server > 0);

        ::kill(server, SIGSTOP);
        // Whatever happens below, the server answers again after.
        const auto resume = qScopeGuard([server] { ::kill(server, SIGCONT); });
        int changedBeforeTheTimer = -1;
        for (int level : {-20000, -10000, 0})
            queue.set(audio_gain::waveWord(level));
        QTimer::singleShot(0, this, [&] { changedBeforeTheTimer = int(changed.count()); });
        QTRY_VERIFY(changedBeforeTheTimer >= 0);
        ::kill(server, SIGCONT);
        QCOMPARE(changedBeforeTheTimer, 0);

        QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty() && changed.last() == audio_gain::waveWord(0),
                                 10000);
        QVERIFY(changed.count() <= 2);
        QTRY_COMPARE(outputVolume(), int(audio_gain::pulseVolumeFromLevel(0x8000)));
        queue.restore();
        QCOMPARE(outputVolume(), 30000);
    }

    // The read at start waits for the server no more than the changes do.
    void theStartReadWaitsForNoOne()
    {
        QTemporaryDir folder;
        setOutputVolume(30000);
        const pid_t server =
            pid_t(test_files::readFile(runtime_.filePath("pulse/pid")).trimmed().toLongLong());
        QVERIFY(server > 0);
        ::kill(server, SIGSTOP);
        const auto resume = qScopeGuard([server] { ::kill(server, SIGCONT); });

        SystemVolumeQueue queue(folder.filePath("waveout.ini"));
        QList<std::uint32_t> found;
        connect(&queue, &SystemVolumeQueue::found, this,
                [&found](std::uint32_t word) { found << word; });
        bool timerFired = false;
        QTimer::singleShot(0, this, [&] { timerFired = found.isEmpty(); });
        QTRY_VERIFY(timerFired);
        ::kill(server, SIGCONT);
        QTRY_COMPARE_WITH_TIMEOUT(found.count(), 1, 10000);
        QCOMPARE(audio_gain::scrollValueOfWord(found.first()),
                 audio_gain::levelFromPulseVolume(30000) - 32768);
    }

    void theProgramLeavesTheVolumeAsItFoundIt()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());
        // The settings' level differs from the system's.
        QVERIFY(test_files::writeFile(install.filePath("config.ini"),
                                      "[volume]\r\nvolume=100\r\nwaveout=16000\r\n"));
        setOutputVolume(20000);

        QProcess run;
        run.start(program, {test_media::clip("clip.avi")});
        QVERIFY(run.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(outputVolume() != 20000, 10000);
        QCOMPARE(outputVolume(), int(audio_gain::pulseVolumeFromLevel(16000 + 32768)));
        ::kill(pid_t(run.processId()), SIGTERM);
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(outputVolume(), 20000);
        QVERIFY(!QFile::exists(install.filePath("waveout.ini")));
    }
};

QTEST_GUILESS_MAIN(TestSystemVolume)

#include "test_system_volume.moc"
