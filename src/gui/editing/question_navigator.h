// The questions page's work: the question on screen committed to the table and shown
// from it, and the green bar's first, previous, next, last, go to, insert and delete.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace vireta {

class Dialogs;
class PicturePreview;
class QuizSession;
struct QuizScreen;

class QuestionNavigator : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    QuestionNavigator(QuizSession& session, QuizScreen& screen, PicturePreview& picture,
                      Dialogs& dialogs, QWidget* window);

    void pasa();       // commit the question controls into the current record (an undo step when they changed)
    void mostra();     // show the current record
    void borradatos(); // blank the question controls
    void iniciar();    // reset to one empty question
    void borra();      // delete the current question, after confirmation
    // The first visit to the questions after a reset: the new question takes the
    // common values.
    void fillCommonValues();

    // Runs `change`, an operation on the questions as a whole, as one step of
    // "Desfacer" named `text` (shown in the undo button's tooltip):
    //   navigator.pushQuestionsChange(QStringLiteral("Importar"), [&] {
    //       ... change session.model() (questions, count, current) ...
    //   });
    // The question on screen is committed first (its edit is a step of its own); then
    // `change` runs, the current question is shown and the counter and title follow.
    // `change` must not show dialogs or call this again.
    void pushQuestionsChange(const QString& text, const std::function<void()>& change);

    void SpeedButton20Click(); // delete
    void SpeedButton21Click(); // first
    void SpeedButton22Click(); // previous
    void btinserirClick();
    void SpeedButton24Click(); // next
    void SpeedButton25Click(); // last
    void btiraClick();         // go to the number typed in npreg

private:
    QuizSession& session_;
    QuizScreen& screen_;
    PicturePreview& picture_;
    Dialogs& dialogs_;
    QWidget* window_;
};

} // namespace vireta
