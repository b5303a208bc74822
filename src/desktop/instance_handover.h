#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// A second start hands its command line over to the instance already running
// for the same program folder, through a local socket in the runtime folder.
// The running instance listens; the second start sends and ends.
class InstanceHandover : public QObject
{
    Q_OBJECT
public:
    explicit InstanceHandover(QObject *parent = nullptr);
    ~InstanceHandover() override;

    // Listens at socketPath (a socket left behind by an earlier run is
    // replaced: the caller holds the instance lock).  False when it cannot.
    bool listen(const QString &socketPath);

    // Sends commandLine (absolute; "" only asks for the window) to the
    // instance listening at socketPath, trying for up to timeoutMs while
    // that instance may still be starting.  True when it was delivered.
    static bool handOver(const QString &socketPath, const QString &commandLine, int timeoutMs);

signals:
    // A second start sent its command line.
    void received(const QString &commandLine);

private:
    void accept();
    void readFrom(QLocalSocket *socket);

    QLocalServer *server_;
};
