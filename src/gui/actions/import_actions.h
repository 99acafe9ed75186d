// "Importar": another program's questions (Aiken, GIFT, a spreadsheet, Moodle XML)
// inserted after the current question, as one step of "Desfacer", with a box that
// says how many came in and what was left out.
#pragma once

#include "sections.h"

#include <QObject>
#include <QString>

class QWidget;

namespace vireta {

class Dialogs;
class QuestionNavigator;
class QuizSession;
struct ImportResult;

class ImportActions : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    ImportActions(QuizSession& session, QuestionNavigator& navigator, Dialogs& dialogs, QWidget* window);

    void btimportarClick();
    // Reads the file at `path` and applies it with applyImportResult; a file that
    // cannot be imported changes nothing and its reason is shown.
    void importar(const QString& path);
    // The questions are inserted after the current one (or replace a new quiz's blank
    // one), the first of them is shown, and the box "Importáronse N preguntas." lists
    // what was left out. Nothing else of the quiz changes.
    void applyImportResult(const ImportResult& result);

signals:
    void sectionWanted(Section section);

private:
    QuizSession& session_;
    QuestionNavigator& navigator_;
    Dialogs& dialogs_;
    QWidget* window_;
};

} // namespace vireta
