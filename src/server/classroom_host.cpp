#include "classroom_host.h"

#include <QMetaObject>

namespace vireta::server {

ClassroomHost::ClassroomHost(QObject* parent) : QObject(parent) {
    thread_.setObjectName(QStringLiteral("clase"));
}

ClassroomHost::~ClassroomHost() { stop(); }

bool ClassroomHost::start(classroom::GameQuiz quiz, ServerOptions options, QString* error) {
    stop();
    thread_.start();
    auto* server = new ClassroomServer(std::move(quiz), std::move(options));
    server->moveToThread(&thread_);
    bool listening = false;
    QMetaObject::invokeMethod(
        server,
        [&] {
            listening = server->start(error);
            if (listening) {
                studentUrl_ = server->studentUrl();
                presenterUrl_ = server->presenterUrl();
                code_ = server->code();
                port_ = server->port();
            }
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        thread_.quit();
        thread_.wait();
        delete server; // its thread is over: nothing of it runs any more
        return false;
    }
    server_ = server;
    connect(server, &ClassroomServer::playersChanged, this, &ClassroomHost::playersChanged);
    connect(server, &ClassroomServer::phaseChanged, this, [this](int phase) {
        phase_ = phase;
        emit phaseChanged(phase);
    });
    connect(server, &ClassroomServer::resultsSaved, this, &ClassroomHost::resultsSaved);
    connect(server, &ClassroomServer::resultsFailed, this, &ClassroomHost::resultsFailed);
    return true;
}

void ClassroomHost::stop() {
    if (server_) {
        ClassroomServer* server = server_;
        server_ = nullptr;
        // The results are saved on the server's thread; the server, its sockets and its
        // port go when that thread ends.
        QMetaObject::invokeMethod(server, &ClassroomServer::endGame, Qt::BlockingQueuedConnection);
        server->disconnect(this);
        server->deleteLater();
    }
    if (thread_.isRunning()) {
        thread_.quit();
        thread_.wait();
    }
    phase_ = 0;
}

bool ClassroomHost::gameRunning() const {
    using Phase = classroom::Game::Phase;
    const auto phase = static_cast<Phase>(phase_);
    return server_ && (phase == Phase::Asking || phase == Phase::Showing);
}

void ClassroomHost::setSettings(classroom::GameSettings settings) {
    if (server_)
        QMetaObject::invokeMethod(server_, [server = server_, settings] { server->setSettings(settings); });
}

} // namespace vireta::server
