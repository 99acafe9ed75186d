#include "actions/browser_preview.h"

#include "dialogs.h"
#include "formats/format_table.h"
#include "pages/quiz_screen.h"
#include "qt_text.h"
#include "quiz_session.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

namespace vireta {

BrowserPreview::BrowserPreview(QuizSession& session, QuizScreen& screen, Dialogs& dialogs, QWidget* window)
    : session_(session), screen_(screen), dialogs_(dialogs), window_(window) {
    connect(&screen_.save, &SavePage::browserClicked, this, &BrowserPreview::btnavegadorClick);
}

BrowserPreview::~BrowserPreview() = default;

QString BrowserPreview::browserFolder() const {
    return browserDir_ && browserDir_->isValid() ? browserDir_->path() : QString();
}

void BrowserPreview::btnavegadorClick() {
    // The "Web" tab shows its page, also when it saves the SCORM package.
    const Format format = screen_.save.chosenFormat();
    const FormatInfo& info = formatInfo(format);
    if (!info.page)
        return;
    if (!browserDir_ || !browserDir_->isValid()) {
        browserDir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vireta-navegador-XXXXXX"));
        if (!browserDir_->isValid()) {
            browserDir_.reset();
            dialogs_.inform(window_, QStringLiteral("Non se puido crear un cartafol temporal para "
                                                    "ver a páxina."));
            return;
        }
    }
    // The page and its media go to the private folder through a save step of its own,
    // so the remembered save name and the copied-files list of the real saves stay as
    // they were.
    const GeneralData general = screen_.generalData();
    const ExportSettings settings = screen_.exportSettings();
    QuizModel copy = session_.model();
    OutputBuffer page;
    ExportNotes notes;
    const SaveRequest request =
        info.write({general, copy.questions, copy.count, settings, session_.generator(), notes}, page);
    SaveMedia media;
    media.copyFiles = true;
    media.pack = false;
    media.format = format;
    media.general = &general;
    media.settings = &settings;
    media.model = &copy;
    SaveStep step;
    const std::string path = toUtf8(browserDir_->path()) + "/paxina.html";
    SaveResult result;
    try {
        result = step.save(path, request, page, media);
    } catch (const SaveError& e) {
        dialogs_.inform(window_, fromUtf8(e.userMessage()));
        return;
    } catch (const std::exception&) {
        dialogs_.inform(window_, QStringLiteral("Non se puido gardar o arquivo :") + fromUtf8(path));
        return;
    }
    openPageInBrowser(dialogs_, window_, fromUtf8(result.documentPath));
}

} // namespace vireta
