#include "actions/file_actions.h"

#include "actions/save_actions.h"
#include "dialogs.h"
#include "editing/question_navigator.h"
#include "formats/quiz_file.h"
#include "media/picture_preview.h"
#include "pages/quiz_screen.h"
#include "qt_text.h"
#include "quiz_session.h"

namespace vireta {

FileActions::FileActions(QuizSession& session, QuizScreen& screen, QuestionNavigator& navigator,
                         PicturePreview& picture, SaveActions& save, Dialogs& dialogs, QWidget* window)
    : session_(session), screen_(screen), navigator_(navigator), picture_(picture), save_(save),
      dialogs_(dialogs), window_(window) {
    connect(&save_, &SaveActions::quizFileSaved, this, [this](const QString& path) {
        session_.setQuizPath(path);
        markSaved();
    });
}

void FileActions::btnovoClick() {
    navigator_.pasa();
    if (hasUnsavedChanges()) {
        if (!settleUnsavedWork())
            return;
    } else if (!dialogs_.confirmDestroying(
                   window_, QStringLiteral("Novo arquivo de preguntas (Se preme Aceptar perderá os datos) ?"),
                   QString())) {
        return;
    }
    navigator_.pushQuestionsChange(QStringLiteral("Novo"), [this] { session_.editor().reset(); });
    emit sectionWanted(Section::Inicio);
    session_.setQuizPath(QString());
    markSaved();
}

void FileActions::btabrirClick() {
    navigator_.pasa();
    if (!settleUnsavedWork())
        return;
    const auto chosen = dialogs_.openFile(window_, QString::fromUtf8(kOpenFileTitle),
                                          QStringLiteral("*.xml|*.xml;*.XML"), session_.dialogFolder());
    if (!chosen)
        return;
    session_.rememberDialogChoice(*chosen);
    LoadItem(*chosen);
}

void FileActions::LoadItem(const QString& path) {
    OpenedQuiz opened;
    try {
        // The document lives only while the quiz is read from it: a large file is not
        // kept in memory beside the quiz.
        opened = openQuizFile(toUtf8(path));
    } catch (const QuizFileError& e) {
        dialogs_.inform(window_, QStringLiteral("Erro no arquivo :") + path + QLatin1Char('\n') +
                                     fromUtf8(e.userReason()));
        return;
    }
    // The file replaces the quiz: no step, the history starts again.
    session_.replaceQuiz([&] {
        navigator_.iniciar();
        GeneralData general;
        applyOpenedQuiz(std::move(opened), session_.model(), general);
        // The common messages are for new quizzes: they never replace what was loaded.
        session_.model().fresh = false;
        screen_.setGeneralData(general);
        // The general page is shown first: the open does not wait for the first
        // question's picture.
        picture_.deferNextPicture();
        navigator_.mostra();
    });
    emit sectionWanted(Section::Inicio);
    session_.setQuizPath(path);
    markSaved();
}

bool FileActions::saveQuiz() {
    navigator_.pasa();
    return save_.saveQuizFile(session_.quizPath());
}

bool FileActions::settleUnsavedWork() {
    if (!hasUnsavedChanges())
        return true;
    switch (dialogs_.askToSave(window_, QStringLiteral("Hai cambios sen gardar no cuestionario. Quere gardalos?"))) {
    case Dialogs::SaveAnswer::Save: return saveQuiz();
    case Dialogs::SaveAnswer::Discard: return true;
    case Dialogs::SaveAnswer::Cancel: break;
    }
    return false;
}

bool FileActions::hasUnsavedChanges() {
    navigator_.pasa();
    return session_.hasUnsavedChanges(screen_.generalData());
}

void FileActions::markSaved() {
    navigator_.pasa();
    session_.markSaved(screen_.generalData());
}

} // namespace vireta
