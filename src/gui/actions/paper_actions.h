// The paper test of the "Papel" tab: its versions, kept while the quiz and the tab stay
// as they were (so the test printed and the test saved, with its key, are the same),
// and "Imprimir…", the print preview of the versions followed by the key.
#pragma once

#include "paper_pdf.h"

#include <QObject>

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace vireta {

class Dialogs;
class QuizSession;
struct QuizScreen;

class PaperActions : public QObject {
    Q_OBJECT

public:
    // `window` is the parent of the dialogs.
    PaperActions(QuizSession& session, QuizScreen& screen, Dialogs& dialogs, QWidget* window);

    // The paper test of the quiz as it stands, with the versions drawn the last time
    // unless the quiz or the "Papel" tab changed since.
    PaperDocument paperDocument(const ExportSettings& settings);
    void btimprimirClick(); // the paper test and its key in the print preview

private:
    QuizSession& session_;
    QuizScreen& screen_;
    Dialogs& dialogs_;
    QWidget* window_;
    std::optional<std::uint32_t> paperSeed_;
    std::string paperInputs_; // what the versions were drawn for
};

} // namespace vireta
