#include "desktop/instance_handover.h"
#include "desktop/desktop_log.h"

#include "base/native_path.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

namespace
{

// The listener's answers: it took the line, or it serves as many callers as
// it takes just now.
constexpr char kTaken[] = "taken\n";
constexpr char kBusy[] = "busy\n";

int remaining(const QDeadlineTimer &deadline)
{
    return int(qMax<qint64>(deadline.remainingTime(), 0));
}

enum class Delivery { Taken, TurnedAway, NoAnswer };

// One try on a connected socket: the line sent, the answer read.
Delivery deliver(QLocalSocket &socket, const QByteArray &line, const QDeadlineTimer &deadline)
{
    // A caller turned away may find the socket closed before it writes.
    socket.write(line);
    socket.waitForBytesWritten(remaining(deadline));
    while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState) {
        if (!socket.waitForReadyRead(remaining(deadline)))
            break;
    }
    if (socket.canReadLine())
        return socket.readLine() == kTaken ? Delivery::Taken : Delivery::TurnedAway;
    if (socket.state() == QLocalSocket::ConnectedState)
        return Delivery::NoAnswer;
    // Closed without a word: a running instance of an earlier make, which
    // reads the line and closes without answering.  Sending again would
    // play the movie twice.
    return Delivery::Taken;
}

} // namespace

InstanceHandover::InstanceHandover(QObject *parent)
    : QObject(parent), server_(new QLocalServer(this)), check_(new QTimer(this))
{
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceHandover::accept);
    check_->setInterval(kCheckIntervalMs);
    connect(check_, &QTimer::timeout, this, &InstanceHandover::checkListening);
}

InstanceHandover::~InstanceHandover()
{
    server_->close();
}

bool InstanceHandover::listen(const QString &socketPath)
{
    if (socketPath.isEmpty()) {
        qCInfo(lcDesktop) << "no private runtime folder: a second start cannot reach this one";
        return false;
    }
    socketPath_ = socketPath;
    check_->start();
    QLocalServer::removeServer(socketPath);
    if (server_->listen(socketPath))
        return true;
    qCInfo(lcDesktop) << "a second start cannot reach this one:" << server_->errorString();
    return false;
}

// The server closes itself, and removes its socket, when accepting fails
// (no descriptor left); every later second start would lose its movie.
void InstanceHandover::checkListening()
{
    if (server_->isListening())
        return;
    qCWarning(lcDesktop) << "the hand-over socket stopped listening:" << server_->errorString()
                         << "- listening again";
    QLocalServer::removeServer(socketPath_);
    server_->listen(socketPath_);
}

void InstanceHandover::accept()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        if (callers_.size() >= kMostCallers) {
            qCInfo(lcDesktop) << "too many second starts at once; one is turned away";
            // Told, so that it tries again rather than take the close for a
            // line taken.
            socket->write(kBusy);
            socket->flush();
            socket->abort();
            socket->deleteLater();
            continue;
        }
        callers_.insert(socket);
        // Whatever the caller sends beyond one line's worth is not read.
        socket->setReadBufferSize(kLongestMessage + 1);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readFrom(socket);
            drop(socket);
        });
        QTimer::singleShot(callerTimeoutMs_, socket, [this, socket] {
            if (callers_.contains(socket)) {
                qCInfo(lcDesktop) << "a second start sent no whole line in time";
                drop(socket);
            }
        });
        // The line may be waiting already.
        readFrom(socket);
    }
}

void InstanceHandover::drop(QLocalSocket *socket)
{
    if (!callers_.remove(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

// One line from one caller, once it is whole.
void InstanceHandover::readFrom(QLocalSocket *socket)
{
    if (!callers_.contains(socket))
        return;
    const QByteArray head = socket->peek(kLongestMessage + 1);
    const qsizetype end = head.indexOf('\n');
    if (end < 0) {
        if (head.size() > kLongestMessage) {
            qCInfo(lcDesktop) << "a second start sent a line too long; refused";
            drop(socket);
        }
        return;
    }
    const QString commandLine = native_path::decode(socket->read(end + 1).chopped(1));
    // Sent before the socket is let go: the caller waits for it.
    socket->write(kTaken);
    socket->flush();
    drop(socket);
    qCDebug(lcDesktop) << "handed over:" << commandLine;
    // Not from inside the socket's own signal: playing the movie waits in an
    // event loop of its own, where the socket may go away under its caller.
    QMetaObject::invokeMethod(
        this, [this, commandLine] { emit received(commandLine); }, Qt::QueuedConnection);
}

bool InstanceHandover::handOver(const QString &socketPath, const QString &commandLine,
                                int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // A path holding a line break cannot be handed over, but neither can it
    // be typed on a command line.
    const QByteArray line = native_path::encode(commandLine) + '\n';
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(remaining(deadline))) {
            switch (deliver(socket, line, deadline)) {
            case Delivery::Taken:
                return true;
            case Delivery::NoAnswer:
                return false;
            case Delivery::TurnedAway:
                break;
            }
        }
        if (deadline.hasExpired())
            return false;
        // Not there yet, or serving as many callers as it takes.
        QThread::msleep(50);
    }
}
