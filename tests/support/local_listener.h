#pragma once

#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A TCP port on this machine that only counts who connects to it: the web
// address that a hostile file points at.  The kernel completes a connection
// whether or not it has been accepted yet, so connections() sees every
// attempt made so far.
class LocalListener
{
public:
    LocalListener()
    {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            listen(fd_, 16) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
    }
    ~LocalListener()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    LocalListener(const LocalListener &) = delete;
    LocalListener &operator=(const LocalListener &) = delete;

    bool listening() const { return port_ != 0; }
    // http://127.0.0.1:<port>/name
    QString url(const QString &name) const
    {
        return QString("http://127.0.0.1:%1/%2").arg(port_).arg(name);
    }
    // Connections made so far.
    int connections()
    {
        for (int client; (client = accept(fd_, nullptr, nullptr)) >= 0;) {
            close(client);
            ++connections_;
        }
        return connections_;
    }

private:
    int fd_ = -1;
    quint16 port_ = 0;
    int connections_ = 0;
};
