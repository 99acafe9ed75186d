#include "classroom_server.h"

#include "classroom/qr_code.h"
#include "io/pending_file.h"
#include "io/save_problem.h"
#include "classroom/flood_guard.h"
#include "classroom/messages.h"
#include "guarded_tcp_server.h"
#include "page_server.h"

#include <QDateTime>
#include <QNetworkInterface>
#include <QWebSocket>

#include <random>

namespace vireta::server {
namespace {

// A page that has not read this much of what it was sent is not reading: it is
// dropped rather than left to fill the laptop's memory.
constexpr qint64 kMostUnread = 256 * 1024;
// The server pings every page this often, and drops one that answered no ping for
// three rounds (a phone gone from the network without a word).
constexpr int kHeartbeatMs = 10000;
constexpr long long kSilenceMs = 3 * kHeartbeatMs;
// A page that has neither joined nor presented in this time is dropped: it holds a
// place among the connections for nothing.
constexpr long long kIdleMs = 10000;
// How often the server looks for pages that do not read what they are sent (pongs to
// their pings included) or take no part, and how much of what a page sends it takes in
// at a time.
constexpr int kUnreadCheckMs = 250;
constexpr qint64 kReadBuffer = 16 * 1024;
// The close code a page gets when its player goes on playing on another connection (a
// second tab, the same phone after a change of network), so it does not take it back.
constexpr auto kReplacedCode = static_cast<QWebSocketProtocol::CloseCode>(4000);

bool isPrivate(const QHostAddress& a) {
    return a.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8) ||
           a.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12) ||
           a.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16);
}

classroom::RandomSource unpredictable() {
    auto device = std::make_shared<std::random_device>();
    return [device] { return static_cast<std::uint32_t>((*device)()); };
}

} // namespace

QHostAddress reachableAddress() {
    QHostAddress other;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            const QHostAddress a = e.ip();
            if (a.protocol() != QAbstractSocket::IPv4Protocol || a.isLoopback() || a.isLinkLocal())
                continue;
            if (isPrivate(a))
                return a;
            if (other.isNull())
                other = a;
        }
    }
    return other.isNull() ? QHostAddress(QHostAddress::LocalHost) : other;
}

struct ClassroomServer::Client {
    std::unique_ptr<QWebSocket> socket;
    classroom::FloodGuard guard;
    long long lastHeardMs = 0;
    long long openedMs = 0;
};

ClassroomServer::ClassroomServer(classroom::GameQuiz quiz, ServerOptions options, QObject* parent)
    : QObject(parent), game_(std::move(quiz), options.settings, unpredictable()), options_(std::move(options)),
      deadline_(this), heartbeat_(this), unread_(this) { // children: they move with the server to its thread
    clock_.start();
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, [this] { deliver(game_.tick(nowMs())); });
    heartbeat_.setInterval(kHeartbeatMs);
    connect(&heartbeat_, &QTimer::timeout, this, &ClassroomServer::checkClients);
    unread_.setInterval(kUnreadCheckMs);
    connect(&unread_, &QTimer::timeout, this, &ClassroomServer::checkUnread);
}

ClassroomServer::~ClassroomServer() {
    // The pages go first, and with them every socket, before the clients' map.
    for (auto& [id, client] : clients_)
        client->socket->disconnect(this);
    clients_.clear();
}

bool ClassroomServer::start(QString* error) {
    QHostAddress listenAddress(QHostAddress::Any);
    if (!options_.listen.isEmpty() && !listenAddress.setAddress(options_.listen)) {
        *error = QStringLiteral("O enderezo «%1» non é un enderezo IP.").arg(options_.listen);
        return false;
    }
    const bool everyAddress = listenAddress == QHostAddress(QHostAddress::Any) ||
                              listenAddress == QHostAddress(QHostAddress::AnyIPv4) ||
                              listenAddress == QHostAddress(QHostAddress::AnyIPv6);
    shownAddress_ = everyAddress ? reachableAddress() : listenAddress;
    for (int i = 0; i < kPortsTried && options_.port + i <= 65535; ++i) {
        const auto port = static_cast<quint16>(options_.port + i);
        auto tcp = std::make_unique<GuardedTcpServer>();
        if (!tcp->listen(listenAddress, port)) {
            if (tcp->serverError() == QAbstractSocket::AddressInUseError)
                continue; // the next port
            *error = QStringLiteral("Non se pode escoitar en %1: %2")
                         .arg(listenAddress.toString(), tcp->errorString());
            return false;
        }
        port_ = port;
        const QString student = studentUrl();
        pages_ = std::make_unique<PageServer>(
            game_.quiz().media, code(), QByteArray::fromStdString(classroom::qrSvg(classroom::qrCode(
                                    (student + QStringLiteral("?codigo=") + code()).toStdString()))));
        tcp->setParent(pages_.get());
        pages_->bind(tcp.release());
        connect(pages_.get(), &QAbstractHttpServer::newWebSocketConnection, this,
                &ClassroomServer::acceptSockets);
        game_.setAddress(student.toStdString());
        heartbeat_.start();
        unread_.start();
        return true;
    }
    *error = QStringLiteral("Non hai ningún porto libre entre o %1 e o %2.")
                 .arg(options_.port)
                 .arg(std::min(65535, options_.port + kPortsTried - 1));
    return false;
}

QString ClassroomServer::studentUrl() const {
    const QString host = shownAddress_.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + shownAddress_.toString() + QLatin1Char(']')
                             : shownAddress_.toString();
    return QStringLiteral("http://%1:%2/").arg(host).arg(port_);
}

QString ClassroomServer::presenterUrl() const {
    return studentUrl() + QStringLiteral("presentador?chave=") + QString::fromStdString(game_.presenterKey());
}

QString ClassroomServer::code() const { return QString::fromStdString(game_.code()); }

QString ClassroomServer::resultsPath() const { return resultsPath_; }

void ClassroomServer::acceptSockets() {
    while (pages_->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = pages_->nextPendingWebSocketConnection();
        if (!socket)
            continue;
        // Only the game's own pages may open it: a page of another site that a phone
        // has open is refused (browsers always send the page's origin).
        const QUrl origin(socket->origin());
        const QUrl target = socket->requestUrl();
        // And only by an address, not a name: a name can be made to point here by a
        // site the phone has open.
        const bool byName = QHostAddress(target.host()).isNull() && target.host() != QLatin1String("localhost");
        const bool foreign = byName || (!socket->origin().isEmpty() && (origin.host() != target.host() ||
                                                                         origin.port(80) != target.port(80)));
        if (target.path() != QLatin1String("/ws") || foreign ||
            clients_.size() >= classroom::kMostPlayers + 50) {
            socket->abort();
            continue;
        }
        socket->setMaxAllowedIncomingMessageSize(classroom::kMostMessageBytes);
        socket->setMaxAllowedIncomingFrameSize(classroom::kMostMessageBytes);
        // What it sends waits in the network, not here, while the server catches up.
        socket->setReadBufferSize(kReadBuffer);
        const classroom::ConnectionId id = nextId_++;
        QWebSocket* s = socket.get();
        connect(s, &QWebSocket::textMessageReceived, this, [this, id](const QString& text) { received(id, text); });
        connect(s, &QWebSocket::binaryMessageReceived, this, [this, id] { dropped(id); });
        connect(s, &QWebSocket::disconnected, this, [this, id] { dropped(id); });
        connect(s, &QWebSocket::pong, this, [this, id] {
            if (auto it = clients_.find(id); it != clients_.end())
                it->second->lastHeardMs = nowMs();
        });
        auto client = std::make_unique<Client>();
        client->socket = std::move(socket);
        client->lastHeardMs = nowMs();
        client->openedMs = nowMs();
        clients_.emplace(id, std::move(client));
    }
}

void ClassroomServer::received(classroom::ConnectionId id, const QString& text) {
    const auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    it->second->lastHeardMs = nowMs();
    if (!it->second->guard.allow(nowMs())) {
        dropped(id);
        return;
    }
    deliver(game_.receive(id, text.toStdString(), nowMs()));
}

void ClassroomServer::dropped(classroom::ConnectionId id) {
    const auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    std::unique_ptr<Client> client = std::move(it->second);
    clients_.erase(it);
    client->socket->disconnect(this);
    client->socket->abort();
    // Deleted once the signal that brought us here has returned.
    client->socket.release()->deleteLater();
    deliver(game_.disconnected(id, nowMs()));
}

void ClassroomServer::deliver(classroom::Outbox out) {
    std::vector<classroom::ConnectionId> slow;
    for (const classroom::Outbox::Message& m : out.messages) {
        const auto it = clients_.find(m.to);
        if (it == clients_.end())
            continue;
        QWebSocket& socket = *it->second->socket;
        socket.sendTextMessage(QString::fromStdString(m.text));
        if (socket.bytesToWrite() > kMostUnread)
            slow.push_back(m.to);
    }
    for (classroom::ConnectionId id : out.close) {
        if (auto it = clients_.find(id); it != clients_.end())
            it->second->socket->close(QWebSocketProtocol::CloseCodePolicyViolated);
    }
    for (classroom::ConnectionId id : out.replaced) {
        if (auto it = clients_.find(id); it != clients_.end())
            it->second->socket->close(kReplacedCode, QStringLiteral("O xogador segue noutra páxina"));
    }
    // The results file is named after the game's start, so one game writes one file.
    if (game_.started() && resultsPath_.isEmpty()) {
        const QDateTime start = QDateTime::currentDateTime();
        const QDate d = start.date();
        const QTime t = start.time();
        resultsPath_ = QString::fromStdString(
            classroom::resultsPath(options_.quizPath, d.year(), d.month(), d.day(), t.hour(), t.minute()));
    }
    if (out.resultsDue)
        saveResults();
    for (classroom::ConnectionId id : slow)
        dropped(id);
    armDeadline();

    const int phase = static_cast<int>(game_.phase());
    if (phase != lastPhase_) {
        lastPhase_ = phase;
        emit phaseChanged(phase);
    }
    const int connected = static_cast<int>(game_.connectedCount());
    if (connected != lastConnected_) {
        lastConnected_ = connected;
        emit playersChanged(connected);
    }
}

void ClassroomServer::armDeadline() {
    const std::optional<long long> deadline = game_.deadlineMs();
    if (!deadline) {
        deadline_.stop();
        return;
    }
    deadline_.start(static_cast<int>(std::max(0LL, *deadline - nowMs())));
}

void ClassroomServer::checkClients() {
    std::vector<classroom::ConnectionId> silent;
    for (auto& [id, client] : clients_) {
        if (nowMs() - client->lastHeardMs > kSilenceMs)
            silent.push_back(id);
        else
            client->socket->ping();
    }
    for (classroom::ConnectionId id : silent)
        dropped(id);
}

void ClassroomServer::checkUnread() {
    std::vector<classroom::ConnectionId> slow;
    for (auto& [id, client] : clients_) {
        const bool idle = !game_.takesPart(id) && nowMs() - client->openedMs > kIdleMs;
        if (idle || client->socket->bytesToWrite() > kMostUnread)
            slow.push_back(id);
    }
    for (classroom::ConnectionId id : slow)
        dropped(id);
}

void ClassroomServer::saveResults() {
    if (resultsPath_.isEmpty())
        return; // not started: nothing to save
    try {
        writeFileReplacing(resultsPath_.toStdString(), classroom::resultsCsv(game_.results()));
        emit resultsSaved(resultsPath_);
    } catch (const SaveError& e) {
        emit resultsFailed(QString::fromStdString(e.userMessage() + "\n" + e.userReason()));
    }
}

void ClassroomServer::setSettings(classroom::GameSettings settings) { deliver(game_.changeSettings(settings)); }

void ClassroomServer::endGame() {
    if (game_.started())
        deliver(game_.end());
}

} // namespace vireta::server
