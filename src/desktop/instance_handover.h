#pragma once

#include <QObject>
#include <QSet>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QTimer;

// A second start hands its command line over to the instance already running
// for the same program folder, through a local socket in the runtime folder.
// The running instance listens; the second start sends and ends.
//
// A caller sends one line and waits for the listener's answer that it took
// it; a caller turned away (too many at once) tries again until its time is
// up, and then says the line was not delivered.  One that sends nothing, or
// too much, must not wear the listener down: a few callers at a time, each
// closed when its line is not whole soon, a line longer than kLongestMessage
// refused.
// Should the listener stop all the same (the system refused it a descriptor),
// it listens again.
class InstanceHandover : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMostCallers = 8;
    static constexpr int kLongestMessage = 64 * 1024;
    static constexpr int kCallerTimeoutMs = 2000;
    // How often the listener is checked, and made anew when it stopped.
    static constexpr int kCheckIntervalMs = 1000;

    explicit InstanceHandover(QObject *parent = nullptr);
    ~InstanceHandover() override;

    // Listens at socketPath (a socket left behind by an earlier run is
    // replaced: the caller holds the instance lock).  False when it cannot.
    bool listen(const QString &socketPath);
    // How long a caller may take to send its whole line.
    void setCallerTimeout(int ms) { callerTimeoutMs_ = ms; }

    // Sends commandLine (absolute; "" only asks for the window) to the
    // instance listening at socketPath, trying for up to timeoutMs while
    // that instance may still be starting or busy with other callers.  True
    // once the instance answered that it took the line.  Blocks: never to be
    // called on the thread of the listener.
    static bool handOver(const QString &socketPath, const QString &commandLine, int timeoutMs);

signals:
    // A second start sent its command line.
    void received(const QString &commandLine);

private:
    void accept();
    void readFrom(QLocalSocket *socket);
    void drop(QLocalSocket *socket);
    void checkListening();

    QLocalServer *server_;
    QTimer *check_;
    QString socketPath_;
    QSet<QLocalSocket *> callers_;
    int callerTimeoutMs_ = kCallerTimeoutMs;
};
