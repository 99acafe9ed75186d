// "Xogo en clase": the window the teacher keeps on the laptop while the class plays. It
// runs the game's server (ClassroomHost, on a thread of its own, so typing in the editor
// never waits for a phone), shows the phones' way in (the QR code, the address, the game
// code), how many have joined and the game's settings, and opens the presenter's page
// in the desktop's browser for the projector. "Rematar", or closing the window, ends
// the game (asking first while a question is under way) and frees the port.
#pragma once

#include "classroom/game.h"
#include "classroom_host.h"

#include <QImage>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace vireta {

class Dialogs;

class ClassroomWindow : public QWidget {
    Q_OBJECT

public:
    // A window of its own over `parent`, deleted when it closes; `dialogs` asks its
    // questions and opens the browser.
    ClassroomWindow(Dialogs& dialogs, QWidget* parent);
    ~ClassroomWindow() override;

    // Where the results go, as the window says it before the first is saved.
    struct ResultsPlace {
        QString folder;
        bool quizSaved = true; // false: the folder the save dialog would offer
    };

    // Starts the server for `quiz` with the window's settings (those in `options` are
    // replaced) and opens the presenter's page. False with the server's message when it
    // could not listen; the window is then not to be shown.
    bool start(classroom::GameQuiz quiz, server::ServerOptions options, const ResultsPlace& place,
               QString* error);

    const server::ClassroomHost& host() const { return host_; }
    // Whether the server has stopped (the window shows where the results went).
    bool ended() const { return ended_; }

    // "Rematar": while a question is under way, asks first; then stops the server.
    // A game that was played stays in the window with where its results went; one
    // that never left the lobby closes the window. False when the teacher plays on.
    bool rematar();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void showJoinInfo();
    void showPlayers(int connected);
    void showPhase(int phase);
    void applySettings();
    void openPresenter();
    // Stops the server; false when the teacher chose to play on.
    bool endGame();
    void showEnded();

    Dialogs& dialogs_;
    server::ClassroomHost host_;
    ResultsPlace place_;
    bool played_ = false; // the game left the lobby
    bool ended_ = false;  // the server has stopped

    QWidget* joinBox_ = nullptr;
    QLabel* qr_ = nullptr;
    QLabel* address_ = nullptr;
    QLabel* code_ = nullptr;
    QLabel* players_ = nullptr;
    QLabel* state_ = nullptr;
    QWidget* settingsBox_ = nullptr;
    QSpinBox* seconds_ = nullptr;
    QCheckBox* noLimit_ = nullptr;
    QCheckBox* ranking_ = nullptr;
    QLabel* results_ = nullptr;
    QLabel* browserNote_ = nullptr;
    QPushButton* presenter_ = nullptr;
    QPushButton* end_ = nullptr;
};

// The QR code of `text` as a picture: black modules on white with the four-module quiet
// zone, each module a square of whole pixels, the whole at least `side` pixels wide.
// A null image when the text cannot be encoded.
QImage qrImage(const QString& text, int side);

} // namespace vireta
