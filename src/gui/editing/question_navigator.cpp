#include "editing/question_navigator.h"

#include "dialogs.h"
#include "media/picture_preview.h"
#include "pages/quiz_screen.h"
#include "qt_text.h"
#include "quiz_session.h"

#include <QLineEdit>
#include <QToolButton>

namespace vireta {

QuestionNavigator::QuestionNavigator(QuizSession& session, QuizScreen& screen, PicturePreview& picture,
                                     Dialogs& dialogs, QWidget* window)
    : session_(session), screen_(screen), picture_(picture), dialogs_(dialogs), window_(window) {
    QuestionsPage& page = screen_.questions;
    using B = QuestionsPage::Button;
    connect(page.button(B::Delete), &QToolButton::clicked, this, &QuestionNavigator::SpeedButton20Click);
    connect(page.button(B::First), &QToolButton::clicked, this, &QuestionNavigator::SpeedButton21Click);
    connect(page.button(B::Previous), &QToolButton::clicked, this, &QuestionNavigator::SpeedButton22Click);
    connect(page.button(B::Insert), &QToolButton::clicked, this, &QuestionNavigator::btinserirClick);
    connect(page.button(B::Next), &QToolButton::clicked, this, &QuestionNavigator::SpeedButton24Click);
    connect(page.button(B::Last), &QToolButton::clicked, this, &QuestionNavigator::SpeedButton25Click);
    connect(page.button(B::GoTo), &QToolButton::clicked, this, &QuestionNavigator::btiraClick);
    connect(&session_, &QuizSession::questionsRestored, this, &QuestionNavigator::mostra);
}

void QuestionNavigator::pasa() { session_.commit(screen_.questionOnScreen()); }

void QuestionNavigator::mostra() {
    const QuizModel& model = session_.model();
    screen_.questions.show(model.currentRecord());
    picture_.showQuestionPicture();
    screen_.questions.showNumber(model.current, model.count);
    picture_.prefetchNeighbours(model);
}

void QuestionNavigator::borradatos() {
    screen_.questions.clear();
    picture_.showQuestionPicture();
    screen_.questions.showNumber(session_.model().current, session_.model().count);
}

void QuestionNavigator::iniciar() {
    session_.editor().reset();
    borradatos();
}

void QuestionNavigator::fillCommonValues() {
    const CommonValues common = screen_.commonValues();
    QuestionsPage& page = screen_.questions;
    page.field(FieldSlot::sonben)->setText(fromUtf8(common.rightSound));
    page.field(FieldSlot::sonmal)->setText(fromUtf8(common.wrongSound));
    page.field(FieldSlot::ben)->setText(fromUtf8(common.right));
    page.field(FieldSlot::mal)->setText(fromUtf8(common.wrong));
}

void QuestionNavigator::pushQuestionsChange(const QString& text, const std::function<void()>& change) {
    pasa();
    session_.applyChange(text, change);
    mostra();
}

void QuestionNavigator::SpeedButton20Click() {
    pasa();
    borra();
}

void QuestionNavigator::borra() {
    const QuizModel& model = session_.model();
    if (model.current < 1)
        return;
    if (!dialogs_.confirmDestroying(window_, QStringLiteral("Borrar pregunta %1?").arg(model.current),
                                    fromUtf8(model.currentRecord()[FieldSlot::enunciado])))
        return;
    pushQuestionsChange(QStringLiteral("Borrar a pregunta"), [this] { session_.editor().deleteCurrent(); });
}

void QuestionNavigator::SpeedButton21Click() {
    pasa();
    session_.editor().first();
    mostra();
}

void QuestionNavigator::SpeedButton22Click() {
    pasa();
    if (session_.editor().previous())
        mostra();
}

void QuestionNavigator::SpeedButton24Click() {
    pasa();
    if (session_.editor().next())
        mostra();
}

void QuestionNavigator::SpeedButton25Click() {
    pasa();
    session_.editor().last();
    mostra();
}

void QuestionNavigator::btinserirClick() {
    bool inserted = false;
    pushQuestionsChange(QStringLiteral("Inserir unha pregunta"), [this, &inserted] {
        inserted = session_.editor().insertAfterCurrent(screen_.commonValues().newQuestion());
    });
    if (!inserted) {
        dialogs_.inform(window_, QStringLiteral("Non se poden engadir máis de 200 preguntas."));
        return;
    }
    screen_.questions.field(FieldSlot::enunciado)->setFocus(); // ready for the statement
}

void QuestionNavigator::btiraClick() {
    pasa();
    // A whole decimal number, possibly signed; leading blanks are allowed, trailing ones not.
    const QString typed = screen_.questions.typedNumber();
    qsizetype start = 0;
    while (start < typed.size() && typed[start] == QLatin1Char(' '))
        ++start;
    const QStringView digits = QStringView(typed).mid(start);
    bool ok = !digits.isEmpty() && !digits.back().isSpace();
    const int n = ok ? digits.toInt(&ok, 10) : 0;
    if (!ok) {
        dialogs_.error(window_, QStringLiteral("'%1' is not a valid integer value.").arg(typed));
        return;
    }
    if (session_.editor().goTo(n))
        mostra();
}

} // namespace vireta
