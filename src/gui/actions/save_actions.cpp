#include "actions/save_actions.h"

#include "actions/paper_actions.h"
#include "dialogs.h"
#include "formats/format_table.h"
#include "formats/paper_test.h"
#include "formats/quiz_file.h"
#include "pages/quiz_screen.h"
#include "paper_pdf.h"
#include "qt_text.h"
#include "quiz_session.h"
#include "review/review_panel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace vireta {

SaveActions::SaveActions(QuizSession& session, QuizScreen& screen, PaperActions& paper,
                         ReviewPanel& review, Dialogs& dialogs, QWidget* window)
    : session_(session), screen_(screen), paper_(paper), review_(review), dialogs_(dialogs),
      window_(window) {
    connect(&screen_.save, &SavePage::saveClicked, this, &SaveActions::btgardaClick);
    connect(&screen_.save, &SavePage::formStyleWanted, this, &SaveActions::btabrson10Click);
    connect(&screen_.save, &SavePage::markingStyleWanted, this, &SaveActions::btabrson12Click);
}

void SaveActions::btgardaClick() {
    review_.refreshReview();
    const std::size_t errors = review_.errorCount();
    if (errors > 0) {
        const QString text =
            errors == 1 ? QStringLiteral("O cuestionario ten 1 erro. Gardar igualmente?")
                        : QStringLiteral("O cuestionario ten %1 erros. Gardar igualmente?").arg(errors);
        if (!dialogs_.choose(window_, text, QStringLiteral("Gardar"), QStringLiteral("Cancelar")))
            return;
    }
    saveChosenFormat();
    review_.refreshReview(); // the remembered save name may have changed what the review finds
}

void SaveActions::saveChosenFormat() {
    memo_.clear();
    const Format format = screen_.save.formatToSave();
    const FormatInfo& info = formatInfo(format);
    if (!info.write) {
        gardarpdf();
        return;
    }
    const GeneralData general = screen_.generalData();
    const ExportSettings settings = screen_.exportSettings();
    const QuizModel& model = session_.model();
    ExportNotes notes;
    const SaveRequest request =
        info.write({general, model.questions, model.count, settings, session_.generator(), notes}, memo_);
    if (!garda(request, format) || notes.empty())
        return;
    QString text = QStringLiteral("O formato escollido non leva todo o cuestionario:");
    for (const FormatNote& n : notes)
        text += QLatin1Char('\n') + fromUtf8(n.galician());
    dialogs_.inform(window_, text);
}

bool SaveActions::saveQuizFile(const QString& path) {
    memo_.clear();
    const SaveRequest request =
        writeQuizFile(screen_.generalData(), session_.model().questions, session_.model().count, memo_);
    // The quiz's own file is written again without a question.
    const std::optional<QString> target = path.isEmpty() ? askSaveName(request) : path;
    return target && saveDocument(request, Format::Xml, *target);
}

void SaveActions::gardarpdf() {
    const ExportSettings settings = screen_.exportSettings();
    PaperFiles files;
    try {
        files = paperTestFiles(paper_.paperDocument(settings), settings.paper);
    } catch (const std::exception&) {
        dialogs_.inform(window_, QStringLiteral("Non se puido crear o PDF."));
        return;
    }
    memo_.setText(std::move(files.test));
    const SaveRequest request = formatInfo(Format::Pdf).request(settings);
    const std::optional<QString> chosen = askSaveName(request);
    if (!chosen || !saveDocument(request, Format::Pdf, *chosen))
        return;
    if (!files.key.empty()) {
        const std::string document = completeExtension(toUtf8(*chosen), request.extension);
        try {
            writeFileReplacing(keyPathFor(document), files.key);
        } catch (const SaveError& e) {
            dialogs_.inform(window_, fromUtf8(e.userMessage()) + QLatin1Char('\n') + fromUtf8(e.userReason()));
        }
    }
    if (!files.unreadPictures.empty()) {
        QString text = QStringLiteral("Non se puideron ler estas imaxes:");
        for (const auto& path : files.unreadPictures)
            text += QLatin1Char('\n') + fromUtf8(path);
        dialogs_.inform(window_, text);
    }
}

bool SaveActions::garda(const SaveRequest& request, Format format) {
    const auto chosen = askSaveName(request);
    return chosen && saveDocument(request, format, *chosen);
}

std::optional<QString> SaveActions::askSaveName(const SaveRequest& request) {
    // The dialog offers the quiz file's name (or its title) with this format's
    // extension, and asks before a file of the name chosen is replaced.
    const auto chosen = dialogs_.saveFile(window_, QString::fromUtf8(kSaveFileTitle), fromUtf8(request.filter),
                                          session_.offeredSavePath(screen_.generalData().title, request));
    if (!chosen)
        return std::nullopt;
    session_.rememberDialogChoice(*chosen);
    // A name without an extension gets the format's: the dialog could not know that
    // name, so the window asks itself, in the dialog's own words ("Cancel" the default).
    const std::string target = completeExtension(toUtf8(*chosen), request.extension);
    if (target != toUtf8(*chosen) && QFileInfo::exists(fromUtf8(target)) &&
        !dialogs_.confirmDestroying(
            window_, QStringLiteral("Xa existe %1.\nDesexa substituílo?").arg(QFileInfo(fromUtf8(target)).fileName()),
            QString()))
        return std::nullopt;
    return chosen;
}

bool SaveActions::saveDocument(const SaveRequest& request, Format format, const QString& path) {
    const GeneralData general = screen_.generalData();
    const ExportSettings settings = screen_.exportSettings();
    SaveMedia media;
    media.copyFiles = screen_.save.copyFiles();
    media.pack = screen_.save.pack();
    media.format = format;
    media.general = &general;
    media.settings = &settings;
    media.model = &session_.model();

    // Copying and packing many files can take a while: after half a second a
    // progress dialog names the file being handled.
    QProgressDialog progress(QStringLiteral("Gardando..."), QString(), 0, 0, window_);
    progress.setWindowTitle(QStringLiteral("vireta"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    media.progress = [&progress](const std::string& source) {
        progress.setLabelText(QStringLiteral("Gardando %1").arg(fromUtf8(source)));
        progress.setValue(0);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };

    SaveResult result;
    try {
        result = session_.saveStep().save(toUtf8(path), request, memo_, media);
    } catch (const SaveError& e) {
        progress.close();
        dialogs_.inform(window_, fromUtf8(e.userMessage()) + QLatin1Char('\n') + fromUtf8(e.userReason()));
        return false;
    } catch (const std::exception&) { // anything else (out of memory...) fails the same way
        progress.close();
        dialogs_.inform(window_, QStringLiteral("Non se puido gardar o arquivo :") + path);
        return false;
    }
    progress.close();
    if (format == Format::Xml)
        emit quizFileSaved(fromUtf8(result.documentPath));
    emit documentSaved(fromUtf8(result.documentPath));
    if (result.archiveRefused)
        dialogs_.inform(window_, QStringLiteral("Non se puido gardar o arquivo :") + fromUtf8(result.archivePath) +
                                     QLatin1Char('\n') + fromUtf8(galicianReason(SaveProblem::SameNameAsDocument)));
    if (!result.failedMedia.empty()) {
        QString text = QStringLiteral("Non se puideron copiar estes arquivos:");
        for (const auto& failure : result.failedMedia)
            text += QLatin1Char('\n') + fromUtf8(failure.source) + QStringLiteral(": ") +
                    fromUtf8(galicianReason(failure.problem));
        dialogs_.inform(window_, text);
    }
    return true;
}

void SaveActions::btabrson10Click() {
    if (const auto chosen = dialogs_.openFile(window_, QString::fromUtf8(kOpenFileTitle),
                                              QStringLiteral(" *.css|*.css;*.CSS"), session_.dialogFolder()))
        screen_.save.setFormStyle(*chosen);
}

void SaveActions::btabrson12Click() {
    if (const auto chosen = dialogs_.openFile(window_, QString::fromUtf8(kOpenFileTitle),
                                              QStringLiteral(" *.css|*.css;*.CSS"), session_.dialogFolder()))
        screen_.save.setMarkingStyle(*chosen);
}

} // namespace vireta
