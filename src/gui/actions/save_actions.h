// "Gardar" on the save page: the review's question when it found errors, the writer of
// the chosen format (from the format table), the save dialog with the name it offers,
// and the save step with its media; and the quiz file saved by Ctrl+S.
#pragma once

#include "formats/export_settings.h"
#include "formats/output_buffer.h"

#include <QObject>
#include <QString>

#include <optional>

class QWidget;

namespace vireta {

class Dialogs;
class PaperActions;
class QuizSession;
class ReviewPanel;
struct QuizScreen;

class SaveActions : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    SaveActions(QuizSession& session, QuizScreen& screen, PaperActions& paper, ReviewPanel& review,
                Dialogs& dialogs, QWidget* window);

    void btgardaClick();
    // The quiz file written to `path` (the save dialog asks for one when it is empty),
    // with "Copiar arquivos" and "Empaquetar" as the save page has them. Failures are
    // reported as "Gardar" reports them; true when the quiz file was written.
    bool saveQuizFile(const QString& path);
    void btabrson10Click(); // the form page's style sheet
    void btabrson12Click(); // the self-marking page's

    // The output buffer every writer fills.
    const OutputBuffer& memo() const { return memo_; }

signals:
    // The quiz file was written to `path`: the quiz as it is counts as saved.
    void quizFileSaved(const QString& path);
    // A document of any format was written to `path` (the archive, if any, beside it).
    void documentSaved(const QString& path);

private:
    // Runs the chosen format's writer, asks for the name and saves.
    void saveChosenFormat();
    void gardarpdf();
    // Asks for the name, then saves the filled buffer in `format`.
    bool garda(const SaveRequest& request, Format format);
    // The save dialog, and the question before a name completed with the format's
    // extension replaces a file; nothing when the user cancels either.
    std::optional<QString> askSaveName(const SaveRequest& request);
    // Writes the filled buffer to `path` in `format`, with media as the save page says.
    bool saveDocument(const SaveRequest& request, Format format, const QString& path);

    QuizSession& session_;
    QuizScreen& screen_;
    PaperActions& paper_;
    ReviewPanel& review_;
    Dialogs& dialogs_;
    QWidget* window_;
    OutputBuffer memo_;
};

} // namespace vireta
