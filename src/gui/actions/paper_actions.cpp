#include "actions/paper_actions.h"

#include "dialogs.h"
#include "formats/quiz_file.h"
#include "pages/quiz_screen.h"
#include "qt_text.h"
#include "quiz_session.h"

#include <QPrinter>

namespace vireta {

PaperActions::PaperActions(QuizSession& session, QuizScreen& screen, Dialogs& dialogs, QWidget* window)
    : session_(session), screen_(screen), dialogs_(dialogs), window_(window) {
    connect(&screen_.save, &SavePage::printClicked, this, &PaperActions::btimprimirClick);
}

PaperDocument PaperActions::paperDocument(const ExportSettings& settings) {
    const GeneralData general = screen_.generalData();
    const QuizModel& model = session_.model();
    OutputBuffer quiz;
    writeQuizFile(general, model.questions, model.count, quiz);
    std::string inputs = quiz.text();
    inputs += '\n' + std::to_string(settings.paper.versions) + (settings.paper.shuffleAnswers ? " revolver" : "");
    if (!paperSeed_ || inputs != paperInputs_) {
        ShuffleGenerator& generator = session_.generator();
        generator.reseed();
        paperSeed_ = static_cast<std::uint32_t>(generator.draw(0x7FFFFFFF));
        paperInputs_ = std::move(inputs);
    }
    auto generator = ShuffleGenerator::withFixedSeed(*paperSeed_);
    return makePaperDocument(general, model.questions, model.count, settings, generator);
}

void PaperActions::btimprimirClick() {
    const ExportSettings settings = screen_.exportSettings();
    std::optional<PaperDocument> doc;
    try {
        loadPaperFonts();
        doc = paperDocument(settings);
    } catch (const std::exception&) {
        dialogs_.inform(window_, QStringLiteral("Non se puido crear o PDF."));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(fromUtf8(screen_.generalData().title));
    setPaperLayout(printer, settings.paper.letter);
    // The versions and then the key, with the key apart too: the saved test and its
    // key are two files, but one print run gives both (the key on pages of its own).
    dialogs_.printPreview(window_, printer, [&](QPrinter* target) {
        try {
            drawPaperTest(*target, *doc, PaperPart::Whole);
        } catch (const std::exception&) {
            // The preview stays empty; nothing else can be drawn.
        }
    });
}

} // namespace vireta
