#include "desktop/instance_handover.h"
#include "desktop/desktop_log.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace
{

// A command line is one line of UTF-8; a path holding a line break cannot be
// handed over, but neither can it be typed on a command line.
constexpr int kLongestMessage = 64 * 1024;

} // namespace

InstanceHandover::InstanceHandover(QObject *parent)
    : QObject(parent), server_(new QLocalServer(this))
{
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceHandover::accept);
}

InstanceHandover::~InstanceHandover()
{
    server_->close();
}

bool InstanceHandover::listen(const QString &socketPath)
{
    QLocalServer::removeServer(socketPath);
    if (server_->listen(socketPath))
        return true;
    qCInfo(lcDesktop) << "a second start cannot reach this one:" << server_->errorString();
    return false;
}

void InstanceHandover::accept()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readFrom(socket);
            socket->deleteLater();
        });
        // The line may be waiting already.
        readFrom(socket);
    }
}

// One line from one caller, once it is whole.
void InstanceHandover::readFrom(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestMessage)
            socket->abort();
        return;
    }
    const QString commandLine = QString::fromUtf8(socket->readLine()).chopped(1);
    socket->disconnect(this);
    socket->deleteLater();
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
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(int(qMax<qint64>(deadline.remainingTime(), 0))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    socket.write(commandLine.toUtf8() + '\n');
    // Once written the line waits in the socket for the running instance,
    // which may be busy just now; no need to wait for it to read.
    return socket.waitForBytesWritten(int(qMax<qint64>(deadline.remainingTime(), 100)));
}
