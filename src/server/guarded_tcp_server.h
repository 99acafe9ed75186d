// The listening socket of the classroom server, with the limits Qt HttpServer does not
// keep itself: it holds a request's body in memory whole, and keeps any number of
// connections open. Here one device (one address other than this machine's loopback)
// has at most kConnectionsPerAddress connections at once, all together at most
// kMostConnections, and a connection still speaking HTTP (not yet a WebSocket) is
// dropped once it has sent more than kMostHttpBytes, or nothing for kHttpIdleMs.
#pragma once

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>

namespace vireta::server {

inline constexpr int kConnectionsPerAddress = 24;
inline constexpr int kMostConnections = 900;
inline constexpr int kHttpIdleMs = 15000;
inline constexpr qint64 kMostHttpBytes = 1024 * 1024;

class GuardedTcpServer : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

    // One connection more or fewer from `address`; false when it is one too many.
    bool take(const QHostAddress& address);
    void release(const QHostAddress& address);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QHash<QHostAddress, int> perAddress_;
    int live_ = 0;
};

} // namespace vireta::server
