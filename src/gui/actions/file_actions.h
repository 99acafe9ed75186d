// The quiz as a whole: "Novo", "Abrir" (and `vireta QUIZ`), Ctrl+S, and the question
// about unsaved work before any of them, or closing, would lose it.
#pragma once

#include "sections.h"

#include <QObject>
#include <QString>

class QWidget;

namespace vireta {

class Dialogs;
class PicturePreview;
class QuestionNavigator;
class QuizSession;
class SaveActions;
struct QuizScreen;

class FileActions : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    FileActions(QuizSession& session, QuizScreen& screen, QuestionNavigator& navigator,
                PicturePreview& picture, SaveActions& save, Dialogs& dialogs, QWidget* window);

    void btnovoClick();
    void btabrirClick();
    // Reads the quiz file at `path`; on failure the quiz stays as it was and the
    // message "Erro no arquivo :" with the path is shown, and why on a second line.
    void LoadItem(const QString& path);
    // Ctrl+S: writes the quiz file to the session's quiz path, asking for a name with
    // the save dialog when there is none. True when the quiz file was written.
    bool saveQuiz();
    // With unsaved changes, the question "Gardar", "Non gardar", "Cancelar"; true when
    // the caller may go on (nothing unsaved, saved, or not to be saved).
    bool settleUnsavedWork();
    // Whether the quiz differs from what it was when it was started, reset, opened or
    // last saved as a quiz file. Commits the question on screen first.
    bool hasUnsavedChanges();
    void markSaved(); // the quiz as it is now counts as saved

signals:
    void sectionWanted(Section section);

private:
    QuizSession& session_;
    QuizScreen& screen_;
    QuestionNavigator& navigator_;
    PicturePreview& picture_;
    SaveActions& save_;
    Dialogs& dialogs_;
    QWidget* window_;
};

} // namespace vireta
