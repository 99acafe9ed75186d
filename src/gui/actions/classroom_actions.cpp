#include "actions/classroom_actions.h"

#include "classroom/classroom_window.h"
#include "classroom/game_quiz.h"
#include "dialogs.h"
#include "editing/question_navigator.h"
#include "formats/format_table.h"
#include "pages/quiz_screen.h"
#include "qt_text.h"
#include "quiz_session.h"

#include <QFileInfo>

namespace vireta {

ClassroomActions::ClassroomActions(QuizSession& session, QuizScreen& screen,
                                   QuestionNavigator& navigator, Dialogs& dialogs, QWidget* window)
    : session_(session), screen_(screen), navigator_(navigator), dialogs_(dialogs),
      window_(window) {}

ClassroomActions::~ClassroomActions() = default;

void ClassroomActions::btclaseClick() {
    if (game_ && !game_->ended()) {
        game_->show();
        game_->raise();
        game_->activateWindow();
        return;
    }
    if (game_) // a game over, its results shown: a new one takes its place
        game_->close();
    navigator_.pasa();
    const GeneralData general = screen_.generalData();
    const QuizModel& model = session_.model();
    classroom::GameQuiz quiz = classroom::gameQuiz(general, model.questions, model.count);
    if (quiz.questions.empty()) {
        dialogs_.inform(
            window_, QStringLiteral("Non hai ningunha pregunta para xogar en clase: cada pregunta "
                                    "precisa o seu enunciado e unha resposta correcta."));
        return;
    }
    // The results go beside the quiz file; a quiz never saved has none yet, so they go
    // where the save dialog would put it, under the name it would offer.
    QString quizPath = session_.quizPath();
    const bool saved = !quizPath.isEmpty();
    if (!saved)
        quizPath = session_.offeredSavePath(
            general.title, formatInfo(Format::Xml).request(screen_.exportSettings()));
    server::ServerOptions options = options_;
    options.quizPath = toUtf8(quizPath);

    auto* game = new ClassroomWindow(dialogs_, window_);
    QString error;
    if (!game->start(std::move(quiz), std::move(options),
                     {QFileInfo(quizPath).absolutePath(), saved}, &error)) {
        delete game;
        dialogs_.error(window_, QStringLiteral("Non se puido comezar o xogo en clase.\n") + error);
        return;
    }
    game_ = game;
    game->show();
}

ClassroomWindow* ClassroomActions::classroomWindow() const {
    return game_;
}

bool ClassroomActions::endBeforeClosing() {
    return !game_ || game_->close();
}

} // namespace vireta
