// Start-up under a real window manager, with real processes: a close while
// the program is still starting (waiting for its window, opening the
// command-line movie) ends it with its state saved and does not lock the next
// start out; a window kept minimised does not hold start-up up.

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
#include <csignal>

namespace
{

// The id of a top-level window of process pid as the window manager lists
// it; "" when there is none.
QString windowOf(qint64 pid)
{
    QProcess list;
    list.start("wmctrl", {"-l", "-p"});
    if (!list.waitForFinished(5000))
        return QString();
    static const QRegularExpression line(R"(^(0x[0-9a-f]+)\s+\S+\s+(\d+)\s)",
                                         QRegularExpression::MultilineOption);
    auto it = line.globalMatch(QString::fromLocal8Bit(list.readAllStandardOutput()));
    while (it.hasNext()) {
        const auto match = it.next();
        if (match.captured(2).toLongLong() == pid)
            return match.captured(1);
    }
    return QString();
}

QString waitForWindowOf(const QProcess &process)
{
    QString id;
    for (int i = 0; i < 1000 && id.isEmpty() && process.state() == QProcess::Running; ++i) {
        id = windowOf(process.processId());
        if (id.isEmpty())
            QTest::qWait(5);
    }
    return id;
}

void closeThroughWindowManager(const QString &id)
{
    QProcess::execute("wmctrl", {"-i", "-c", id});
}

QProcessEnvironment withStartUpLog()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_LOGGING_RULES", "sazanami.app.debug=true");
    return environment;
}

// When start-up reached a phase, in ms since it began, as its log tells it;
// -1 when it did not.
int phaseMs(const QString &log, const QString &phase)
{
    const QRegularExpression line("start-up: " + QRegularExpression::escape(phase) +
                                  R"( after (\d+) ms)");
    const QRegularExpressionMatch match = line.match(log);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// How long start-up waited between its window built and its window on screen;
// -1 when the log does not tell.
int windowWait(const QString &log)
{
    const int built = phaseMs(log, "window built");
    const int shown = phaseMs(log, "window shown");
    return built >= 0 && shown >= built ? shown - built : -1;
}

} // namespace

class TestStartUnderWindowManager : public QObject
{
    Q_OBJECT

    QProcess windowManager_;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("openbox").isEmpty() ||
            QStandardPaths::findExecutable("wmctrl").isEmpty())
            QSKIP("needs openbox and wmctrl");
        windowManager_.start("openbox", {"--sm-disable"});
        QVERIFY(windowManager_.waitForStarted());
        // wmctrl answers once a window manager runs.
        QTRY_VERIFY_WITH_TIMEOUT(QProcess::execute("wmctrl", {"-m"}) == 0, 10000);
    }

    void cleanupTestCase()
    {
        windowManager_.terminate();
        windowManager_.waitForFinished(5000);
    }

    void closingAtAnyMomentOfStartUpEndsTheProgram()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());
        const QString config = install.path() + "/config.ini";

        for (const int delayMs : {0, 20, 50, 100, 200, 500}) {
            const QString at = QString("closed %1 ms after the window appeared").arg(delayMs);
            QFile::remove(config);
            QProcess run;
            run.start(program, {test_media::clip("clip.avi")});
            QVERIFY(run.waitForStarted());
            const QString id = waitForWindowOf(run);
            QVERIFY2(!id.isEmpty(), qPrintable(at));
            QTest::qWait(delayMs);
            closeThroughWindowManager(id);
            QVERIFY2(run.waitForFinished(8000), qPrintable(at));
            QCOMPARE(run.exitStatus(), QProcess::NormalExit);
            QVERIFY2(QFile::exists(config), qPrintable(at + ": settings not saved"));
        }

        // Nothing was left holding the program folder: the next start shows
        // its window.
        QProcess next;
        next.start(program, {});
        QVERIFY(next.waitForStarted());
        const QString id = waitForWindowOf(next);
        QVERIFY(!id.isEmpty());
        closeThroughWindowManager(id);
        QVERIFY(next.waitForFinished(8000));
    }

    // Closed minimised last time, or at log-out: the window starts minimised
    // and is not shown until the user restores it.
    void aMinimisedStartDoesNotWaitForTheWindow()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());
        QFile config(install.path() + "/config.ini");
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[other]\r\nWindowState=1\r\n");
        config.close();

        QProcess run;
        run.setProcessEnvironment(withStartUpLog());
        run.start(program, {test_media::clip("clip.avi")});
        QVERIFY(run.waitForStarted());
        const QString id = waitForWindowOf(run);
        QVERIFY(!id.isEmpty());
        // Put off until start-up is through, if it is not yet.
        closeThroughWindowManager(id);
        QVERIFY(run.waitForFinished(8000));
        const QString log = QString::fromLocal8Bit(run.readAllStandardError());
        const int minimisedWait = windowWait(log);

        // A start whose window never comes on screen (the window manager
        // frozen, so that it is never mapped) waits for it a while: the
        // minimised start did not.
        QVERIFY(QFile::remove(install.path() + "/config.ini"));
        QProcess unshown;
        unshown.setProcessEnvironment(withStartUpLog());
        ::kill(pid_t(windowManager_.processId()), SIGSTOP);
        const auto thaw =
            qScopeGuard([this] { ::kill(pid_t(windowManager_.processId()), SIGCONT); });
        unshown.start(program, {});
        QString unshownLog;
        QTRY_VERIFY_WITH_TIMEOUT(
            (unshownLog += QString::fromLocal8Bit(unshown.readAllStandardError()))
                .contains("start-up: window shown"),
            20000);
        unshown.terminate();
        QVERIFY(unshown.waitForFinished(8000));
        QVERIFY2(minimisedWait >= 0 && 2 * minimisedWait < windowWait(unshownLog),
                 qPrintable(log + unshownLog));
    }
};

QTEST_MAIN(TestStartUnderWindowManager)

#include "test_start_under_window_manager.moc"
