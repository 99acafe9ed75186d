// "En clase": the quiz on screen as the classroom game asks it, played in the "Xogo en
// clase" window, with the results saved beside the quiz file (or where the save dialog
// would put a quiz not yet saved).
#pragma once

#include "classroom_host.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace vireta {

class ClassroomWindow;
class Dialogs;
class QuestionNavigator;
class QuizSession;
struct QuizScreen;

class ClassroomActions : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs and of the game's window.
    ClassroomActions(QuizSession& session, QuizScreen& screen, QuestionNavigator& navigator,
                     Dialogs& dialogs, QWidget* window);
    ~ClassroomActions() override;

    // Starts a game of the quiz and opens its window; with a game under way, brings its
    // window forward instead.
    void btclaseClick();

    // Where the server listens and the first port it tries (every address of the
    // machine from 8080 on, unless told otherwise).
    server::ServerOptions& serverOptions() { return options_; }
    // The game's window while it is open.
    ClassroomWindow* classroomWindow() const;
    // Ends the game before the editor closes; false when the teacher plays on.
    bool endBeforeClosing();

private:
    QuizSession& session_;
    QuizScreen& screen_;
    QuestionNavigator& navigator_;
    Dialogs& dialogs_;
    QWidget* window_;
    server::ServerOptions options_;
    QPointer<ClassroomWindow> game_;
};

} // namespace vireta
