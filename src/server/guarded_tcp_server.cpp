#include "guarded_tcp_server.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace vireta::server {
namespace {

// Lives as the socket's child, so it goes with the socket whoever deletes it (the
// HTTP server, or the WebSocket that took the socket over).
class ConnectionGuard : public QObject {
public:
    ConnectionGuard(GuardedTcpServer* server, QTcpSocket* socket)
        : QObject(socket), server_(server), address_(socket->peerAddress()) {
        // Connected before the HTTP server's own reader, so it sees every byte that
        // arrives unread. The HTTP server cuts every connection of the socket when it
        // hands it to the WebSocket, which then keeps limits of its own.
        reading_ = connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            idle_.start();
            read_ += socket->bytesAvailable();
            if (read_ > kMostHttpBytes)
                socket->abort();
        });
        // A browser keeps a page's connections open once it has what it asked for; 200
        // phones would use up the connections the server may hold.
        idle_.setSingleShot(true);
        idle_.setInterval(kHttpIdleMs);
        connect(&idle_, &QTimer::timeout, this, [this, socket] {
            if (reading_) // still HTTP: a WebSocket has no such limit
                socket->abort();
        });
        idle_.start();
    }
    ~ConnectionGuard() override {
        if (server_)
            server_->release(address_);
    }

private:
    QPointer<GuardedTcpServer> server_;
    QHostAddress address_;
    qint64 read_ = 0;
    QMetaObject::Connection reading_; // cut when the socket becomes a WebSocket's
    QTimer idle_;
};

} // namespace

bool GuardedTcpServer::take(const QHostAddress& address) {
    int& mine = perAddress_[address];
    if (live_ >= kMostConnections || (!address.isLoopback() && mine >= kConnectionsPerAddress)) {
        if (mine == 0)
            perAddress_.remove(address);
        return false;
    }
    ++mine;
    ++live_;
    return true;
}

void GuardedTcpServer::release(const QHostAddress& address) {
    const auto it = perAddress_.find(address);
    if (it == perAddress_.end())
        return;
    if (--*it <= 0)
        perAddress_.erase(it);
    --live_;
}

void GuardedTcpServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor) || !take(socket->peerAddress())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    new ConnectionGuard(this, socket);
    addPendingConnection(socket);
}

} // namespace vireta::server
