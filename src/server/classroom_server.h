// The classroom game's server: the student and presenter pages, the quiz's media by
// number, the QR code and the WebSocket /ws that feeds the game (docs/classroom.md).
// It lives on the thread that made it and never blocks it.
#pragma once

#include "classroom/game.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>
#include <string>

class QWebSocket;

namespace vireta::server {

class PageServer;

// How many ports from the first one are tried before giving up.
inline constexpr int kPortsTried = 21;

struct ServerOptions {
    std::string quizPath;        // the results are saved beside it
    quint16 port = 8080;         // the first port tried
    QString listen;              // an address to listen on; empty: every address
    classroom::GameSettings settings;
};

class ClassroomServer : public QObject {
    Q_OBJECT
public:
    ClassroomServer(classroom::GameQuiz quiz, ServerOptions options, QObject* parent = nullptr);
    ~ClassroomServer() override;

    // Listens at the first free port from options.port on; false with a message for
    // the teacher when none is free or the address is not the machine's.
    bool start(QString* error);

    QString studentUrl() const;   // http://ADDRESS:PORT/ for the phones
    QString presenterUrl() const; // with the presenter's secret
    QString code() const;
    quint16 port() const { return port_; }
    // The results file, once the game has started.
    QString resultsPath() const;

    void setSettings(classroom::GameSettings settings);
    // Ends the game as "Rematar" does and saves the results; the pages stay served.
    void endGame();
    classroom::Game::Phase phase() const { return game_.phase(); }

signals:
    void playersChanged(int connected);
    void phaseChanged(int phase); // a classroom::Game::Phase
    void resultsSaved(const QString& path);
    void resultsFailed(const QString& message);

private:
    struct Client;

    void acceptSockets();
    void received(classroom::ConnectionId id, const QString& text);
    void dropped(classroom::ConnectionId id);
    void deliver(classroom::Outbox out);
    void saveResults();
    void armDeadline();
    void checkClients(); // pings, and drops the silent
    void checkUnread();  // drops the pages that do not read, or never joined
    long long nowMs() const { return clock_.elapsed(); }

    classroom::Game game_;
    ServerOptions options_;
    std::unique_ptr<PageServer> pages_;
    QHostAddress shownAddress_;
    quint16 port_ = 0;
    QElapsedTimer clock_;
    QTimer deadline_;
    QTimer heartbeat_;
    QTimer unread_;
    std::map<classroom::ConnectionId, std::unique_ptr<Client>> clients_;
    classroom::ConnectionId nextId_ = 1;
    QString resultsPath_;
    int lastPhase_ = 0;
    int lastConnected_ = -1;
};

// The address a phone on the same network reaches this machine at: the first IPv4
// address of an interface that is up and not the loopback, a private one first;
// 127.0.0.1 when there is none.
QHostAddress reachableAddress();

} // namespace vireta::server
