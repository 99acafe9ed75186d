#include "actions/import_actions.h"

#include "dialogs.h"
#include "editing/question_navigator.h"
#include "formats/question_import.h"
#include "qt_text.h"
#include "quiz_session.h"

namespace vireta {

ImportActions::ImportActions(QuizSession& session, QuestionNavigator& navigator, Dialogs& dialogs,
                             QWidget* window)
    : session_(session), navigator_(navigator), dialogs_(dialogs), window_(window) {}

void ImportActions::btimportarClick() {
    navigator_.pasa();
    const auto chosen = dialogs_.openFile(
        window_, QStringLiteral("Importar preguntas"),
        QStringLiteral("Todos os formatos|*.txt;*.TXT;*.gift;*.GIFT;*.csv;*.CSV;*.tsv;*.TSV;*.xml;*.XML"
                       "|Aiken|*.txt;*.TXT"
                       "|GIFT|*.gift;*.GIFT;*.txt;*.TXT"
                       "|Folla de cálculo|*.csv;*.CSV;*.tsv;*.TSV"
                       "|Moodle XML|*.xml;*.XML"),
        session_.dialogFolder());
    if (!chosen)
        return;
    session_.rememberDialogChoice(*chosen);
    importar(*chosen);
}

void ImportActions::importar(const QString& path) {
    ImportResult result;
    try {
        result = importQuestions(toUtf8(path));
    } catch (const ImportError& e) {
        dialogs_.inform(window_, fromUtf8(e.userMessage()));
        return;
    } catch (const std::exception&) {
        dialogs_.inform(window_, QStringLiteral("Non se puido importar o arquivo :") + path);
        return;
    }
    applyImportResult(result);
}

void ImportActions::applyImportResult(const ImportResult& result) {
    AppliedImport applied;
    // Everything the import changes, as one step of "Desfacer".
    navigator_.pushQuestionsChange(QStringLiteral("Importar preguntas"), [&] {
        applied = applyImport(result, session_.model());
        // The common messages are for new questions typed here, not imported ones.
        if (applied.inserted > 0)
            session_.model().fresh = false;
    });
    if (applied.inserted > 0)
        emit sectionWanted(Section::Preguntas);
    QString text = applied.inserted == 1 ? QStringLiteral("Importouse 1 pregunta.")
                                         : QStringLiteral("Importáronse %1 preguntas.").arg(applied.inserted);
    // A long report is cut so that the box fits on the screen.
    constexpr std::size_t kShown = 25;
    if (!applied.notes.empty())
        text += QLatin1Char('\n');
    for (std::size_t i = 0; i < applied.notes.size() && i < kShown; ++i)
        text += QLatin1Char('\n') + fromUtf8(applied.notes[i].galician());
    if (applied.notes.size() > kShown)
        text += QStringLiteral("\n… e %1 avisos máis.").arg(applied.notes.size() - kShown);
    dialogs_.inform(window_, text);
}

} // namespace vireta
