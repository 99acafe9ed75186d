// The classroom server for the editor: it runs on a thread of its own, so that the
// window never waits for a phone, and tells the window what changed by signals.
#pragma once

#include "classroom_server.h"

#include <QObject>
#include <QString>
#include <QThread>

namespace vireta::server {

class ClassroomHost : public QObject {
    Q_OBJECT
public:
    explicit ClassroomHost(QObject* parent = nullptr);
    ~ClassroomHost() override; // stops the server

    // Starts a game of `quiz`; waits until it listens. False with a message for the
    // teacher when it could not.
    bool start(classroom::GameQuiz quiz, ServerOptions options, QString* error);
    // Ends the game, saves its results and stops the server; its port is free again.
    void stop();
    bool running() const { return server_ != nullptr; }

    QString studentUrl() const { return studentUrl_; }
    QString presenterUrl() const { return presenterUrl_; }
    QString code() const { return code_; }
    quint16 port() const { return port_; }
    // Whether a game has started and not ended: leaving it loses the open question.
    bool gameRunning() const;
    void setSettings(classroom::GameSettings settings);

signals:
    void playersChanged(int connected);
    void phaseChanged(int phase); // a classroom::Game::Phase
    void resultsSaved(const QString& path);
    void resultsFailed(const QString& message);

private:
    QThread thread_;
    ClassroomServer* server_ = nullptr; // lives on thread_
    QString studentUrl_, presenterUrl_, code_;
    quint16 port_ = 0;
    int phase_ = 0;
};

} // namespace vireta::server
