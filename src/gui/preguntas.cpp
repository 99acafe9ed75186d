#include "preguntas.h"

#include "formats/aiken.h"
#include "formats/book.h"
#include "formats/form_page.h"
#include "formats/gift.h"
#include "formats/marking_page.h"
#include "formats/moodle_xml.h"
#include "formats/question_import.h"
#include "formats/paper_test.h"
#include "formats/quiz_file.h"
#include "formats/spreadsheet.h"
#include "formats/web_game.h"
#include "image_dialog.h"
#include "media/image_decoder.h"
#include "media/preview_cache.h"
#include "model/question_order.h"
#include "model/undo_step.h"
#include "pages/page_parts.h"
#include "preview_box.h"
#include "qt_text.h"
#include "sound_player.h"
#include "text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QComboBox>
#include <QPrinter>
#include <QSpinBox>
#include <QProgressDialog>
#include <QResizeEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTemporaryDir>
#include <QUrl>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

// The pictures are compiled into the window's static library; make sure they are linked.
static void initResources() { Q_INIT_RESOURCE(vireta); }

namespace vireta {
namespace {

const QString kOpenTitle = QStringLiteral("Abrir un archivo existente");
const QString kUnsavedQuestion =
    QStringLiteral("Hai cambios sen gardar no cuestionario. Quere gardalos?");

// One step of "Desfacer": the questions before and after an operation. Pushed after the
// operation has run, so its first redo does nothing.
class QuestionsCommand : public QUndoCommand {
public:
    QuestionsCommand(UndoStep step, std::function<void(const QuestionsState&)> restore)
        : QUndoCommand(fromUtf8(step.text)), step_(std::move(step)), restore_(std::move(restore)) {}

    void undo() override { restore_(step_.before); }
    void redo() override {
        if (pushed_)
            restore_(step_.after);
        pushed_ = true;
    }

private:
    UndoStep step_;
    std::function<void(const QuestionsState&)> restore_;
    bool pushed_ = false;
};

// The formats whose document is a page a browser shows.
bool isPage(Format f) {
    return f == Format::Html || f == Format::JavaScript || f == Format::Web || f == Format::Scorm;
}

} // namespace

TForm1::TForm1(Dialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs) {
    initResources();
    player_ = new SoundPlayer(this);
    connect(player_, &SoundPlayer::failed, this, [this](const QString& text) {
        if (soundButton_)
            soundButton_->setToolTip(soundButton_->property("tip").toString() +
                                     QLatin1Char('\n') + text);
        showNote(text);
    });
    previews_ = std::make_unique<PreviewCache>();
    // A preview decoded in the background is shown on the interface thread.
    previews_->setReadyHandler([this](const std::string& path) {
        QMetaObject::invokeMethod(
            this, [this, path] { previewReady(path); }, Qt::QueuedConnection);
    });
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(icon("vireta"));
    undoStack_ = new QUndoStack(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildTopBar();
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);

    nota = new QStackedWidget(this);
    nota->setObjectName(QStringLiteral("nota"));
    layout->addWidget(nota, 1);
    buildGeneralPage();
    buildQuestionsPage();
    buildEndPage();
    buildOrderingPage();
    buildSavePage();
    buildAboutPage();
    buildStockPage();

    // The client area that goes with an outer frame of the design size, which is also
    // the smallest the window gets: no control is ever cut off.
    resize(kDesignWidth - 16, kDesignHeight - 39);
    setMinimumSize(kDesignWidth - 16, kDesignHeight - 39);
    for (QWidget* page : {page1, page2, page3, page4, page5})
        orderTabsByPosition(page);
    buildShortcuts();

    // The title's modified marker follows every keystroke in the quiz's boxes.
    for (QWidget* page : {page1, page2, page3}) {
        for (auto* box : page->findChildren<QLineEdit*>())
            connect(box, &QLineEdit::textChanged, this, &TForm1::updateTitle);
    }
    connect(introtx, &QPlainTextEdit::textChanged, this, &TForm1::updateTitle);
    connect(ordech, &QCheckBox::toggled, this, &TForm1::updateTitle);
    connect(undoStack_, &QUndoStack::indexChanged, this, [this] { questionsChanged(); });

    connect(nota, &QStackedWidget::currentChanged, this, [this] {
        if (picturePending_ && nota->currentWidget() == page2)
            ponimaxe(imaxe, txtimaxe); // waits for the background decode under way
    });
    FormCreate();
}

TForm1::~TForm1() {
    previews_->setReadyHandler(nullptr);
    // The children outlive this part of the window: what they signal while they go
    // (the undo stack clearing itself) must not reach its handlers.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

// ---------------------------------------------------------------- the model on screen

GeneralData TForm1::generalData() const {
    GeneralData g;
    g.title = toUtf8(titulotx->text());
    g.subtitle = toUtf8(subtitulotx->text());
    g.time = toUtf8(tempotx->text());
    g.inOrder = ordech->isChecked();
    g.help = toUtf8(axudatx->text());
    g.author = toUtf8(autortx->text());
    g.intro = toCrLf(toUtf8(introtx->toPlainText()));
    g.introSound = toUtf8(sontx->text());
    g.endWell = toUtf8(bentx->text());
    g.endWellSound = toUtf8(sonbentx->text());
    g.endBad = toUtf8(maltx->text());
    g.endBadSound = toUtf8(sonmaltx->text());
    return g;
}

void TForm1::setGeneralData(const GeneralData& g) {
    titulotx->setText(fromUtf8(g.title));
    subtitulotx->setText(fromUtf8(g.subtitle));
    tempotx->setText(fromUtf8(g.time));
    ordech->setChecked(g.inOrder);
    axudatx->setText(fromUtf8(g.help));
    autortx->setText(fromUtf8(g.author));
    introtx->setPlainText(fromUtf8(toLf(g.intro)));
    sontx->setText(fromUtf8(g.introSound));
    bentx->setText(fromUtf8(g.endWell));
    sonbentx->setText(fromUtf8(g.endWellSound));
    maltx->setText(fromUtf8(g.endBad));
    sonmaltx->setText(fromUtf8(g.endBadSound));
    // A long text shows its start, not its end.
    for (QLineEdit* box : {titulotx, subtitulotx, tempotx, axudatx, autortx, sontx, bentx,
                           sonbentx, maltx, sonmaltx})
        box->setCursorPosition(0);
}

CommonValues TForm1::commonValues() const {
    return CommonValues{toUtf8(txtcorcomun->text()), toUtf8(txtincorcomun->text()),
                        toUtf8(txtsoncorcomun->text()), toUtf8(txtsonincorcomun->text())};
}

Question TForm1::questionOnScreen() const {
    Question q;
    for (int slot = 0; slot < kFieldSlotCount; ++slot)
        q.fields[slot] = toUtf8(questionControls_[slot]->text());
    return q;
}

void TForm1::pasa() {
    const Question onScreen = questionOnScreen();
    if (auto step = editStepOf(model_, onScreen); step && !restoring_)
        undoStack_->push(new QuestionsCommand(std::move(*step), [this](const QuestionsState& s) {
            restoreQuestions(s);
        }));
    editor_.commit(onScreen);
}

void TForm1::pushQuestionsChange(const QString& text, const std::function<void()>& change) {
    pasa();
    QuestionsState before = questionsStateOf(model_);
    change();
    if (auto step = stepOf(toUtf8(text), std::move(before), questionsStateOf(model_)))
        undoStack_->push(new QuestionsCommand(std::move(*step), [this](const QuestionsState& s) {
            restoreQuestions(s);
        }));
    mostra();
    questionsChanged();
}

void TForm1::undo() {
    pasa();
    undoStack_->undo();
}

void TForm1::redo() {
    pasa();
    undoStack_->redo();
}

void TForm1::restoreQuestions(const QuestionsState& state) {
    restoring_ = true;
    restoreQuestionsState(model_, state);
    mostra();
    if (nota->currentWidget() == page4) { // the ordering list follows
        ordering_ = orderingEntries(model_);
        fillOrderingList();
    }
    restoring_ = false;
}

void TForm1::questionsChanged() {
    lbtotal->setText(QStringLiteral("de %1").arg(model_.count));
    btdesfacer->setEnabled(undoStack_->canUndo());
    btrefacer->setEnabled(undoStack_->canRedo());
    const QString undoTip = QStringLiteral("Desfacer (Ctrl+Z)");
    const QString redoTip = QStringLiteral("Refacer (Ctrl+Shift+Z)");
    btdesfacer->setToolTip(undoStack_->canUndo()
                               ? undoTip + QStringLiteral(": ") + undoStack_->undoText()
                               : undoTip);
    btrefacer->setToolTip(undoStack_->canRedo()
                              ? redoTip + QStringLiteral(": ") + undoStack_->redoText()
                              : redoTip);
    updateTitle();
}

void TForm1::updateTitle() {
    if (!undoStack_ || !lbtotal)
        return; // still being built
    const QString name =
        quizPath_.isEmpty() ? QStringLiteral("Sen título") : QFileInfo(quizPath_).fileName();
    setWindowFilePath(quizPath_);
    setWindowTitle(name + QStringLiteral("[*] \u2014 Vireta"));
    setWindowModified(!sameQuiz(saved_, generalData(), model_, questionOnScreen()));
}

void TForm1::mostra() {
    const Question& q = model_.currentRecord();
    for (int slot = 0; slot < kFieldSlotCount; ++slot) {
        questionControls_[slot]->setText(fromUtf8(q.fields[slot]));
        questionControls_[slot]->setCursorPosition(0); // a long text shows its start
    }
    if (deferPictures_)
        deferPicture();
    else
        ponimaxe(imaxe, txtimaxe);
    npreg->setText(QString::number(model_.current));
    lbtotal->setText(QStringLiteral("de %1").arg(model_.count));

    // The questions shown next are most likely the neighbours: decode their pictures
    // ahead, so that stepping through camera photos stays instant. A picture waited
    // for goes first.
    std::vector<std::string> ahead;
    if (picturePending_)
        ahead.push_back(toUtf8(txtimaxe->text()));
    for (int k : {model_.current + 1, model_.current - 1}) {
        if (k >= 1 && k <= model_.count && !model_.questions.record(k)[FieldSlot::imaxe].empty())
            ahead.push_back(model_.questions.record(k)[FieldSlot::imaxe]);
    }
    previews_->prefetch(ahead);
}

void TForm1::borradatos() {
    for (auto* control : questionControls_)
        control->clear();
    ponimaxe(imaxe, txtimaxe);
    npreg->setText(QString::number(model_.current));
    lbtotal->setText(QStringLiteral("de %1").arg(model_.count));
}

void TForm1::iniciar() {
    editor_.reset();
    borradatos();
}

void TForm1::fillCommonValues() {
    txtsoncor->setText(txtsoncorcomun->text());
    txtsonincor->setText(txtsonincorcomun->text());
    txtcor->setText(txtcorcomun->text());
    txtincor->setText(txtincorcomun->text());
}

namespace {

// A preview from the cache as a QImage that shares its pixels; the QImage keeps
// them alive after the cache lets go of them.
QImage toQImage(const std::shared_ptr<const Image>& picture) {
    auto* keep = new std::shared_ptr<const Image>(picture);
    return QImage(
        picture->pixels.data(), picture->width, picture->height,
        static_cast<qsizetype>(picture->rowBytes()),
        picture->channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888,
        [](void* held) { delete static_cast<std::shared_ptr<const Image>*>(held); }, keep);
}

} // namespace

void TForm1::deferPicture() {
    const std::string file = toUtf8(txtimaxe->text());
    if (imageFormatOf(file) == ImageFormat::Other || previews_->cached(file)) {
        ponimaxe(imaxe, txtimaxe); // nothing to decode, or decoded already
        return;
    }
    imaxe->clear();
    picturePending_ = true;
}

void TForm1::previewReady(const std::string& path) {
    if (picturePending_ && toUtf8(txtimaxe->text()) == path)
        ponimaxe(imaxe, txtimaxe);
}

void TForm1::ponimaxe(PreviewBox* box, QLineEdit* path) {
    if (box == imaxe)
        picturePending_ = false;
    const QString file = path->text();
    box->setToolTip(QString());
    if (file.isEmpty()) {
        box->clear();
        return;
    }
    if (file.endsWith(QLatin1String("flv")) || file.endsWith(QLatin1String("FLV")) ||
        file.endsWith(QLatin1String("swf")) || file.endsWith(QLatin1String("SWF"))) {
        box->showPicture(flvimax->pixmap().toImage(), PreviewBox::State::VideoPlaceholder);
        return;
    }
    QImage picture;
    const PreviewResult preview = previews_->get(toUtf8(file));
    switch (preview.status) {
    case PreviewResult::Status::Picture: picture = toQImage(preview.image); break;
    case PreviewResult::Status::Failed: break;
    case PreviewResult::Status::NotMine: picture = loadWithQt(file); break;
    }
    if (picture.isNull()) {
        box->showPicture(novale->pixmap().toImage(), PreviewBox::State::InvalidImage);
        const bool missing = !QFileInfo(file).isFile();
        box->setToolTip(pictureProblemText(
            missing ? PictureProblem::Missing
                    : preview.status == PreviewResult::Status::Failed ? PictureProblem::Damaged
                                                                      : PictureProblem::Unreadable));
    } else
        box->showPicture(picture);
}

void TForm1::abreimaxe(QLineEdit* path) {
    const auto chosen = dialogs_.openImage(
        this, kOpenTitle,
        QStringLiteral("Imaxes *.jpeg,*.png|*.jpg;*.JPG;*.jpeg;*.JPEG;*.png;*.PNG|*.*|*.*"));
    if (chosen)
        path->setText(*chosen);
}

void TForm1::abreson(QLineEdit* path) {
    const auto chosen =
        dialogs_.openFile(this, kOpenTitle, QStringLiteral("Sons mp3|*.mp3;*.MP3|*.*|*.*"));
    if (chosen)
        path->setText(*chosen);
}

void TForm1::sona(const QString& path, QToolButton* button) {
    if (button) {
        // The button's own tooltip comes back once a sound plays.
        if (!button->property("tip").isValid())
            button->setProperty("tip", button->toolTip());
        button->setToolTip(button->property("tip").toString());
    }
    soundButton_ = button;
    player_->play(path);
}

void TForm1::showNote(const QString& text) {
    aviso->setText(text);
    aviso->show();
    auto* timer = aviso->findChild<QTimer*>();
    if (!timer) {
        timer = new QTimer(aviso);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, aviso, [this] {
            aviso->hide();
            aviso->clear();
        });
    }
    timer->start(6000);
}

// ---------------------------------------------------------------- saving and opening

ExportSettings TForm1::exportSettings() const {
    ExportSettings e;
    e.style = toUtf8(estilo->text());
    e.action = toUtf8(enviar->text());
    e.field1Label = toUtf8(Campo1->text());
    e.field1Size = toUtf8(lonx1->text());
    e.field2Label = toUtf8(campo2->text());
    e.field2Size = toUtf8(lonx2->text());
    e.hidden = toUtf8(oculto->text());
    e.text = toUtf8(texto->text());
    e.utf8 = chkutf->isChecked();
    e.shuffleAnswers = chkrevolver->isChecked();
    e.styleJs = toUtf8(estilojs->text());
    e.buttonText = toUtf8(txboton->text());
    e.paper.versions = paperVersions->value();
    e.paper.keyApart = paperKeyApart->isChecked();
    e.paper.letter = paperSize->currentIndex() == 1;
    e.paper.shuffleAnswers = paperShuffleAnswers->isChecked();
    e.singleFile = chkunarquivo->isChecked();
    e.passMark = notaaprobar->value();
    return e;
}

// A tab whose format is not its index names it in its "format" property.
void TForm1::ctformatosChange(int index) {
    const QWidget* tab = ctformatos->widget(index);
    const QVariant format = tab ? tab->property("format") : QVariant();
    formatIndex_ = static_cast<Format>(format.isValid() ? format.toInt() : index);
    btnavegador->setVisible(isPage(formatIndex_));
    refreshReview();
}

// ---------------------------------------------------------------- the review

void TForm1::refreshReview() {
    const CommonValues common = commonValues();
    ReviewOptions options;
    options.format = formatIndex_;
    options.shuffleAnswers = chkrevolver->isChecked();
    // The document's name as the save dialog will offer it for this format.
    if (const auto request = requestOfChosenFormat(); request && !saveStep_.lastName().empty())
        options.documentName = bareFileName(saveStep_.offeredName(*request));
    options.common = &common;
    findings_ = reviewQuiz(generalData(), model_, options);

    listarevision->clear();
    if (findings_.empty()) {
        auto* item = new QListWidgetItem(QStringLiteral("Non se atopou ningún problema."),
                                         listarevision);
        item->setFlags(Qt::ItemIsEnabled);
        return;
    }
    const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (std::size_t i = 0; i < findings_.size(); ++i) {
        const ReviewFinding& f = findings_[i];
        const bool error = f.severity == Severity::Error;
        // The severity is in the words too, not only in the icon.
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 (%2): %3")
                .arg(fromUtf8(placeNameGl(f.place)),
                     error ? QStringLiteral("erro") : QStringLiteral("aviso"), fromUtf8(f.textGl)),
            listarevision);
        item->setIcon(error ? errorIcon : warningIcon);
        item->setToolTip(item->text());
        item->setData(Qt::UserRole, static_cast<int>(i));
    }
}

std::optional<SaveRequest> TForm1::requestOfChosenFormat() const {
    // A throwaway run of the writer, with a generator of its own: the window's
    // generator (fixed by tests) draws only for real saves.
    OutputBuffer scratch;
    ShuffleGenerator generator;
    switch (formatIndex_) {
    case Format::Xml: return writeQuizFile(generalData(), model_.questions, model_.count, scratch);
    case Format::Html:
        return vireta::writeFormPage(generalData(), model_.questions, model_.count, exportSettings(),
                                  generator, scratch);
    case Format::JavaScript:
        return vireta::writeMarkingPage(generalData(), model_.questions, model_.count, exportSettings(),
                                  generator, scratch);
    case Format::Ebk: return vireta::writeBook(generalData(), model_.questions, model_.count, scratch);
    case Format::Web:
    case Format::Scorm:
        // A page or package that carries its media has nothing copied beside it.
        if (chkscorm->isChecked() || chkunarquivo->isChecked())
            break;
        return vireta::writeWebGame(generalData(), model_.questions, model_.count, exportSettings(),
                                 scratch);
    case Format::Pdf: break; // the paper test's pictures are inside it
    case Format::Moodle: // the question-bank formats: no name is compared
    case Format::Gift:
    case Format::Aiken:
    case Format::Csv: break;
    }
    return std::nullopt;
}

void TForm1::listarevisionActivated(QListWidgetItem* item) {
    if (!item)
        return;
    bool ok = false;
    const int i = item->data(Qt::UserRole).toInt(&ok);
    if (ok && i >= 0 && static_cast<std::size_t>(i) < findings_.size()) {
        const ReviewPlace place = findings_[static_cast<std::size_t>(i)].place; // a copy: going
        goToPlace(place); // there may review the quiz again
    }
}

void TForm1::goToPlace(const ReviewPlace& place) {
    QWidget* target = nullptr;
    if (place.area == ReviewArea::Question) {
        if (place.question < 1 || place.question > model_.count)
            return;
        btpregClick();
        if (editor_.goTo(place.question))
            mostra();
        target = questionControls_[static_cast<std::size_t>(place.slot)];
    } else {
        switch (place.field) {
        case GeneralField::None: btinicioClick(); break;
        case GeneralField::Title: btinicioClick(); target = titulotx; break;
        case GeneralField::Subtitle: btinicioClick(); target = subtitulotx; break;
        case GeneralField::Time: btinicioClick(); target = tempotx; break;
        case GeneralField::Help: btinicioClick(); target = axudatx; break;
        case GeneralField::Author: btinicioClick(); target = autortx; break;
        case GeneralField::Intro: btinicioClick(); target = introtx; break;
        case GeneralField::IntroSound: btinicioClick(); target = sontx; break;
        case GeneralField::EndWell: btfinalClick(); target = bentx; break;
        case GeneralField::EndWellSound: btfinalClick(); target = sonbentx; break;
        case GeneralField::EndBad: btfinalClick(); target = maltx; break;
        case GeneralField::EndBadSound: btfinalClick(); target = sonmaltx; break;
        case GeneralField::ShuffleAnswers:
            ctformatos->setCurrentIndex(static_cast<int>(Format::Html));
            target = chkrevolver;
            break;
        }
    }
    if (!target)
        return;
    target->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(target))
        line->end(false);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(target))
        text->moveCursor(QTextCursor::End);
}

QString TForm1::browserFolder() const {
    return browserDir_ && browserDir_->isValid() ? browserDir_->path() : QString();
}

void TForm1::btnavegadorClick() {
    if (!isPage(formatIndex_))
        return;
    if (!browserDir_ || !browserDir_->isValid()) {
        browserDir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                      QStringLiteral("/vireta-navegador-XXXXXX"));
        if (!browserDir_->isValid()) {
            browserDir_.reset();
            dialogs_.inform(this, QStringLiteral("Non se puido crear un cartafol temporal para "
                                                 "ver a páxina."));
            return;
        }
    }
    // The page and its media go to the private folder through a save step of its own,
    // so the remembered save name, the output buffer and the copied-files list of the
    // real saves stay as they were.
    const GeneralData general = generalData();
    const ExportSettings settings = exportSettings();
    QuizModel copy = model_;
    OutputBuffer page;
    // The "Web" tab shows its page, also when it saves the SCORM package.
    const SaveRequest request =
        formatIndex_ == Format::Html
            ? vireta::writeFormPage(general, copy.questions, copy.count, settings, generator_, page)
        : formatIndex_ == Format::JavaScript
            ? vireta::writeMarkingPage(general, copy.questions, copy.count, settings, generator_, page)
            : vireta::writeWebGame(general, copy.questions, copy.count, settings, page);
    SaveMedia media;
    media.copyFiles = true;
    media.pack = false;
    media.format = formatIndex_;
    media.general = &general;
    media.settings = &settings;
    media.model = &copy;
    SaveStep step;
    const std::string path = toUtf8(browserDir_->path()) + "/paxina.html";
    SaveResult result;
    try {
        result = step.save(path, request, page, media);
    } catch (const SaveError& e) {
        dialogs_.inform(this, fromUtf8(e.userMessage()));
        return;
    } catch (const std::exception&) {
        dialogs_.inform(this, QStringLiteral("Non se puido gardar o arquivo :") + fromUtf8(path));
        return;
    }
    dialogs_.openUrl(QUrl::fromLocalFile(fromUtf8(result.documentPath)));
}

void TForm1::btabrson10Click() {
    if (const auto chosen = dialogs_.openFile(this, kOpenTitle, QStringLiteral(" *.css|*.css;*.CSS")))
        estilo->setText(*chosen);
}

void TForm1::btabrson12Click() {
    if (const auto chosen = dialogs_.openFile(this, kOpenTitle, QStringLiteral(" *.css|*.css;*.CSS")))
        estilojs->setText(*chosen);
}

void TForm1::btgardaClick() {
    refreshReview();
    const std::size_t errors = errorCount(findings_);
    if (errors > 0) {
        const QString text =
            errors == 1 ? QStringLiteral("O cuestionario ten 1 erro. Gardar igualmente?")
                        : QStringLiteral("O cuestionario ten %1 erros. Gardar igualmente?")
                              .arg(errors);
        if (!dialogs_.choose(this, text, QStringLiteral("Gardar"), QStringLiteral("Cancelar")))
            return;
    }
    saveFormat();
    refreshReview(); // the remembered save name may have changed what the review finds
}

void TForm1::saveFormat() {
    memo_.clear();
    switch (formatIndex_) {
    case Format::Xml: gardarXML(); break;
    case Format::Html: gardarHTML(); break;
    case Format::JavaScript: gardarjava(); break;
    case Format::Ebk: gardarebk(); break;
    case Format::Web:
    case Format::Scorm: gardarweb(); break;
    case Format::Moodle:
    case Format::Gift:
    case Format::Aiken:
    case Format::Csv: gardaroutros(); break;
    case Format::Pdf: gardarpdf(); break;
    }
}

void TForm1::gardarXML() {
    garda(writeQuizFile(generalData(), model_.questions, model_.count, memo_));
}

void TForm1::gardarHTML() {
    garda(vireta::writeFormPage(generalData(), model_.questions, model_.count, exportSettings(),
                             generator_, memo_));
}

void TForm1::gardarjava() {
    garda(vireta::writeMarkingPage(generalData(), model_.questions, model_.count, exportSettings(),
                             generator_, memo_));
}

void TForm1::gardarebk() {
    garda(vireta::writeBook(generalData(), model_.questions, model_.count, memo_));
}

// The "Web" tab: the web game, or its SCORM package when "Paquete SCORM" is checked.
void TForm1::gardarweb() {
    if (chkscorm->isChecked())
        garda(vireta::writeScormPackage(generalData(), model_.questions, model_.count, exportSettings(),
                                  memo_));
    else
        garda(vireta::writeWebGame(generalData(), model_.questions, model_.count, exportSettings(),
                                memo_));
}

void TForm1::gardaroutros() {
    const GeneralData general = generalData();
    ExportNotes notes;
    SaveRequest request;
    switch (formatIndex_) {
    case Format::Gift:
        request = GiftWriter::write(general, model_.questions, model_.count, memo_, notes);
        break;
    case Format::Aiken:
        request = AikenWriter::write(model_.questions, model_.count, memo_, notes);
        break;
    case Format::Csv:
        request = SpreadsheetWriter::write(model_.questions, model_.count, memo_, notes);
        break;
    default:
        request = MoodleXmlWriter::write(general, model_.questions, model_.count, memo_, notes);
        break;
    }
    saveStep_.finishLeftover();
    const std::optional<QString> chosen = askSaveName(request);
    if (!chosen || !saveDocument(request, formatIndex_, *chosen) || notes.empty())
        return;
    QString text = QStringLiteral("O formato escollido non leva todo o cuestionario:");
    for (const FormatNote& n : notes)
        text += QLatin1Char('\n') + fromUtf8(n.galician());
    dialogs_.inform(this, text);
}

PaperDocument TForm1::paperDocument(const ExportSettings& settings) {
    const GeneralData general = generalData();
    OutputBuffer quiz;
    writeQuizFile(general, model_.questions, model_.count, quiz);
    std::string inputs = quiz.text();
    inputs += '\n' + std::to_string(settings.paper.versions) +
              (settings.paper.shuffleAnswers ? " revolver" : "");
    if (!paperSeed_ || inputs != paperInputs_) {
        generator_.reseed();
        paperSeed_ = static_cast<std::uint32_t>(generator_.draw(0x7FFFFFFF));
        paperInputs_ = std::move(inputs);
    }
    auto generator = ShuffleGenerator::withFixedSeed(*paperSeed_);
    return makePaperDocument(general, model_.questions, model_.count, settings, generator);
}

void TForm1::gardarpdf() {
    const ExportSettings settings = exportSettings();
    PaperFiles files;
    try {
        files = paperTestFiles(paperDocument(settings), settings.paper);
    } catch (const std::exception&) {
        dialogs_.inform(this, QStringLiteral("Non se puido crear o PDF."));
        return;
    }
    memo_.setText(std::move(files.test));
    const SaveRequest request{kPdfFilter, "pdf"};
    saveStep_.finishLeftover();
    const std::optional<QString> chosen = askSaveName(request);
    if (!chosen || !saveDocument(request, Format::Pdf, *chosen))
        return;
    if (!files.key.empty()) {
        const std::string document = completeExtension(toUtf8(*chosen), request.extension);
        try {
            writeFileReplacing(keyPathFor(document), files.key);
        } catch (const SaveError& e) {
            dialogs_.inform(this, fromUtf8(e.userMessage()) + QLatin1Char('\n') +
                                      fromUtf8(e.userReason()));
        }
    }
    if (!files.unreadPictures.empty()) {
        QString text = QStringLiteral("Non se puideron ler estas imaxes:");
        for (const auto& path : files.unreadPictures)
            text += QLatin1Char('\n') + fromUtf8(path);
        dialogs_.inform(this, text);
    }
}

void TForm1::btimprimirClick() {
    const ExportSettings settings = exportSettings();
    std::optional<PaperDocument> doc;
    try {
        loadPaperFonts();
        doc = paperDocument(settings);
    } catch (const std::exception&) {
        dialogs_.inform(this, QStringLiteral("Non se puido crear o PDF."));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(titulotx->text());
    setPaperLayout(printer, settings.paper.letter);
    // With the key apart, the test alone goes to the printer.
    const PaperPart part = settings.paper.keyApart ? PaperPart::Test : PaperPart::Whole;
    dialogs_.printPreview(this, printer, [&](QPrinter* target) {
        try {
            drawPaperTest(*target, *doc, part);
        } catch (const std::exception&) {
            // The preview stays empty; nothing else can be drawn.
        }
    });
}

void TForm1::garda(const SaveRequest& request) {
    saveStep_.finishLeftover();
    if (const auto chosen = askSaveName(request))
        saveDocument(request, formatIndex_, *chosen);
}

std::optional<QString> TForm1::askSaveName(const SaveRequest& request) {
    // The dialog offers the previous name with this format's extension, and asks
    // before a file of the name chosen is replaced.
    const auto chosen =
        dialogs_.saveFile(this, QStringLiteral("Guardar archivo como"),
                          fromUtf8(request.filter), fromUtf8(saveStep_.offeredName(request)));
    if (!chosen)
        return std::nullopt;
    // A name without an extension gets the format's: the dialog could not know that
    // name, so the window asks itself, in the dialog's own words ("Cancel" the default).
    const std::string target = completeExtension(toUtf8(*chosen), request.extension);
    if (target != toUtf8(*chosen) && QFileInfo::exists(fromUtf8(target)) &&
        !dialogs_.confirmDestroying(this,
                                    QStringLiteral("Xa existe %1.\nDesexa substituílo?")
                                        .arg(QFileInfo(fromUtf8(target)).fileName()),
                                    QString()))
        return std::nullopt;
    return chosen;
}

bool TForm1::saveQuiz() {
    pasa();
    memo_.clear();
    const SaveRequest request = writeQuizFile(generalData(), model_.questions, model_.count, memo_);
    saveStep_.finishLeftover();
    // The quiz's own file is written again without a question.
    std::optional<QString> path = quizPath_;
    if (quizPath_.isEmpty())
        path = askSaveName(request);
    return path && saveDocument(request, Format::Xml, *path);
}

bool TForm1::saveDocument(const SaveRequest& request, Format format, const QString& path) {
    const std::optional<QString> chosen = path;
    const GeneralData general = generalData();
    const ExportSettings settings = exportSettings();
    SaveMedia media;
    media.copyFiles = chkcopia->isChecked();
    media.pack = chkempaqueta->isChecked();
    media.format = format;
    media.general = &general;
    media.settings = &settings;
    media.model = &model_;

    // Copying and packing many files can take a while: after half a second a
    // progress dialog names the file being handled.
    QProgressDialog progress(QStringLiteral("Gardando..."), QString(), 0, 0, this);
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
        result = saveStep_.save(toUtf8(*chosen), request, memo_, media);
    } catch (const SaveError& e) {
        progress.close();
        dialogs_.inform(this, fromUtf8(e.userMessage()) + QLatin1Char('\n') + fromUtf8(e.userReason()));
        return false;
    } catch (const std::exception&) { // anything else (out of memory...) fails the same way
        progress.close();
        dialogs_.inform(this, QStringLiteral("Non se puido gardar o arquivo :") + *chosen);
        return false;
    }
    progress.close();
    if (format == Format::Xml) {
        quizPath_ = fromUtf8(result.documentPath);
        markSaved();
    }
    if (result.archiveRefused)
        dialogs_.inform(this, QStringLiteral("Non se puido gardar o arquivo :") +
                                  fromUtf8(result.archivePath) + QLatin1Char('\n') +
                                  fromUtf8(galicianReason(SaveProblem::SameNameAsDocument)));
    if (!result.failedMedia.empty()) {
        QString text = QStringLiteral("Non se puideron copiar estes arquivos:");
        for (const auto& failure : result.failedMedia)
            text += QLatin1Char('\n') + fromUtf8(failure.source) + QStringLiteral(": ") +
                    fromUtf8(galicianReason(failure.problem));
        dialogs_.inform(this, text);
    }
    return true;
}

bool TForm1::settleUnsavedWork() {
    if (!hasUnsavedChanges())
        return true;
    switch (dialogs_.askToSave(this, kUnsavedQuestion)) {
    case Dialogs::SaveAnswer::Save: return saveQuiz();
    case Dialogs::SaveAnswer::Discard: return true;
    case Dialogs::SaveAnswer::Cancel: break;
    }
    return false;
}

void TForm1::btabrirClick() {
    pasa();
    if (!settleUnsavedWork())
        return;
    const auto chosen = dialogs_.openFile(this, kOpenTitle, QStringLiteral("*.xml|*.xml;*.XML"));
    if (!chosen)
        return;
    LoadItem(*chosen);
}

void TForm1::btimportarClick() {
    pasa();
    const auto chosen = dialogs_.openFile(
        this, QStringLiteral("Importar preguntas"),
        QStringLiteral("Todos os formatos|*.txt;*.TXT;*.gift;*.GIFT;*.csv;*.CSV;*.tsv;*.TSV;*.xml;*.XML"
                       "|Aiken|*.txt;*.TXT"
                       "|GIFT|*.gift;*.GIFT;*.txt;*.TXT"
                       "|Folla de cálculo|*.csv;*.CSV;*.tsv;*.TSV"
                       "|Moodle XML|*.xml;*.XML"));
    if (!chosen)
        return;
    importar(*chosen);
}

void TForm1::importar(const QString& path) {
    ImportResult result;
    try {
        result = importQuestions(toUtf8(path));
    } catch (const ImportError& e) {
        dialogs_.inform(this, fromUtf8(e.userMessage()));
        return;
    } catch (const std::exception&) {
        dialogs_.inform(this, QStringLiteral("Non se puido importar o arquivo :") + path);
        return;
    }
    applyImportResult(result);
}

void TForm1::applyImportResult(const ImportResult& result) {
    AppliedImport applied;
    // Everything the import changes, as one step of "Desfacer".
    pushQuestionsChange(QStringLiteral("Importar preguntas"), [&] {
        applied = applyImport(result, model_);
        // The common messages are for new questions typed here, not imported ones.
        if (applied.inserted > 0)
            model_.fresh = false;
    });
    if (applied.inserted > 0)
        btpregClick();
    QString text = applied.inserted == 1
                       ? QStringLiteral("Importouse 1 pregunta.")
                       : QStringLiteral("Importáronse %1 preguntas.").arg(applied.inserted);
    // A long report is cut so that the box fits on the screen.
    constexpr std::size_t kShown = 25;
    if (!applied.notes.empty())
        text += QLatin1Char('\n');
    for (std::size_t i = 0; i < applied.notes.size() && i < kShown; ++i)
        text += QLatin1Char('\n') + fromUtf8(applied.notes[i].galician());
    if (applied.notes.size() > kShown)
        text += QStringLiteral("\n… e %1 avisos máis.").arg(applied.notes.size() - kShown);
    dialogs_.inform(this, text);
}

void TForm1::LoadItem(const QString& path) {
    OpenedQuiz opened;
    try {
        // The document lives only while the quiz is read from it: a large file is not
        // kept in memory beside the quiz.
        opened = openQuizFile(toUtf8(path));
    } catch (const std::exception&) {
        dialogs_.inform(this, QStringLiteral("Erro no arquivo :") + path);
        return;
    }
    restoring_ = true; // the file replaces the quiz: no step, the history starts again
    iniciar();
    GeneralData general;
    applyOpenedQuiz(std::move(opened), model_, general);
    // The common messages are for new quizzes: they never replace what was loaded.
    model_.fresh = false;
    setGeneralData(general);
    // The general page is shown first: the open does not wait for the first
    // question's picture.
    deferPictures_ = true;
    mostra();
    deferPictures_ = false;
    restoring_ = false;
    undoStack_->clear();
    showSection(page1, QStringLiteral("Inicio"));
    quizPath_ = path;
    markSaved();
}

void TForm1::markSaved() {
    pasa();
    saved_ = snapshotOf(generalData(), model_);
    questionsChanged();
}

bool TForm1::hasUnsavedChanges() {
    pasa();
    return snapshotOf(generalData(), model_) != saved_;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!settleUnsavedWork()) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---------------------------------------------------------------- ordering

void TForm1::fillOrderingList() {
    listapreguntas->clear();
    for (const auto& entry : ordering_)
        listapreguntas->addItem(fromUtf8(entry));
}

void TForm1::btmostraClick() {
    seccion->setText(QStringLiteral("Ordear preguntas"));
    pasa();
    ordering_ = orderingEntries(model_);
    fillOrderingList();
    showPage(page4);
}

bool TForm1::listapreguntasDragOver(const QObject* source) const {
    return source == listapreguntas;
}

void TForm1::listapreguntasDragDrop(const QPoint& point) {
    const int from = listapreguntas->currentRow();
    if (from < 0 || listapreguntas->selectedItems().isEmpty())
        return;
    const QListWidgetItem* under = listapreguntas->itemAt(point);
    const int onto = under ? listapreguntas->row(under) : -1;
    moveOrderingEntry(ordering_, from, onto);
    fillOrderingList();
    listapreguntas->setCurrentRow(onto < 0 ? int(ordering_.size()) - 1 : onto);
}

void TForm1::moveSelectedEntry(int by) {
    const int from = listapreguntas->currentRow();
    const int onto = from + by;
    if (from < 0 || listapreguntas->selectedItems().isEmpty() || onto < 0 ||
        onto >= int(ordering_.size()))
        return;
    moveOrderingEntry(ordering_, from, onto);
    fillOrderingList();
    listapreguntas->setCurrentRow(onto);
}

void TForm1::btordeaClick() {
    const int row = listapreguntas->currentRow();
    pushQuestionsChange(QStringLiteral("Ordear as preguntas"),
                        [this] { applyOrdering(model_, ordering_); });
    ordering_ = orderingEntries(model_);
    fillOrderingList();
    listapreguntas->setCurrentRow(row);
}

// ---------------------------------------------------------------- window and sections

void TForm1::FormCreate() {
    model_.openedFolder.clear();
    restoring_ = true;
    iniciar();
    restoring_ = false;
    undoStack_->clear();
    quizPath_.clear();
    showPage(page6);
    seccion->clear();
    ctformatos->setCurrentIndex(0);
    formatIndex_ = Format::Xml;
    btnavegador->setVisible(isPage(formatIndex_));
    markSaved();
}

void TForm1::showPage(QWidget* page) { nota->setCurrentWidget(page); }

void TForm1::showSection(QWidget* page, const QString& caption) {
    showPage(page);
    seccion->setText(caption);
}

void TForm1::btinicioClick() {
    pasa();
    showPage(page1);
    seccion->setText(QStringLiteral("Inicio"));
}

void TForm1::btpregClick() {
    pasa();
    showPage(page2);
    seccion->setText(QStringLiteral("Preguntas"));
    if (editor_.takeFirstVisit())
        fillCommonValues();
}

void TForm1::btfinalClick() {
    pasa();
    showPage(page3);
    seccion->setText(QStringLiteral("Final"));
}

void TForm1::btexportarClick() {
    pasa();
    seccion->setText(QStringLiteral("Gardar"));
    showPage(page5);
    refreshReview();
}

void TForm1::btnovoClick() {
    pasa();
    if (hasUnsavedChanges()) {
        if (!settleUnsavedWork())
            return;
    } else if (!dialogs_.confirmDestroying(
                   this, QStringLiteral("Novo arquivo de preguntas (Se preme OK perderá os datos) ?"),
                   QString())) {
        return;
    }
    pushQuestionsChange(QStringLiteral("Novo"), [this] { editor_.reset(); });
    showSection(page1, QStringLiteral("Inicio"));
    quizPath_.clear();
    markSaved();
}

QStringList TForm1::helpFolders() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {exeDir, QDir::cleanPath(exeDir + QStringLiteral("/../share/vireta"))};
}

void TForm1::btaxudaClick() {
    pasa();
    for (const QString& folder : helpFolders()) {
        const QFileInfo help(QDir(folder), QStringLiteral("vireta.html"));
        if (help.isFile()) {
            dialogs_.openWithDesktop(help.absoluteFilePath());
            return;
        }
    }
    dialogs_.warn(this, QStringLiteral("Vireta"),
                  QStringLiteral("A axuda non está dispoñible. Trate de buscar vireta.html"));
}

int TForm1::centredLeft(int windowWidth, int panelWidth) {
    // lrint rounds halves to the nearest even number in the default rounding mode.
    return static_cast<int>(std::lrint((windowWidth - panelWidth) / 2.0));
}

void TForm1::FormResize() {
    const int outerWidth = frameGeometry().width();
    for (QFrame* panel : {panelb, panelpr, Panel17})
        panel->move(centredLeft(outerWidth, panel->width()), panel->y());
    // The about panel keeps its distance to the right and bottom edges of its page.
    Panel18->move(page6->width() - Panel18->width() - 8,
                  page6->height() - Panel18->height() - 4);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormResize();
}

// ---------------------------------------------------------------- the navigation bar

void TForm1::SpeedButton20Click() {
    pasa();
    borra();
}

void TForm1::borra() {
    if (model_.current < 1)
        return;
    if (!dialogs_.confirmDestroying(this, QStringLiteral("Borrar pregunta %1?").arg(model_.current),
                                    fromUtf8(model_.currentRecord()[FieldSlot::enunciado])))
        return;
    pushQuestionsChange(QStringLiteral("Borrar a pregunta"), [this] { editor_.deleteCurrent(); });
}

void TForm1::SpeedButton21Click() {
    pasa();
    editor_.first();
    mostra();
}

void TForm1::SpeedButton22Click() {
    pasa();
    if (editor_.previous())
        mostra();
}

void TForm1::SpeedButton24Click() {
    pasa();
    if (editor_.next())
        mostra();
}

void TForm1::SpeedButton25Click() {
    pasa();
    editor_.last();
    mostra();
}

void TForm1::btinserirClick() {
    bool inserted = false;
    pushQuestionsChange(QStringLiteral("Inserir unha pregunta"), [this, &inserted] {
        inserted = editor_.insertAfterCurrent(commonValues().newQuestion());
    });
    if (!inserted) {
        dialogs_.inform(this, QStringLiteral("Non se poden engadir máis de 200 preguntas."));
        return;
    }
    txtpreg->setFocus(); // ready for the statement
}

void TForm1::btiraClick() {
    pasa();
    // A whole decimal number, possibly signed; leading blanks are allowed, trailing ones not.
    const QString typed = npreg->text();
    qsizetype start = 0;
    while (start < typed.size() && typed[start] == QLatin1Char(' '))
        ++start;
    const QStringView digits = QStringView(typed).mid(start);
    bool ok = !digits.isEmpty() && !digits.back().isSpace();
    const int n = ok ? digits.toInt(&ok, 10) : 0;
    if (!ok) {
        dialogs_.error(this, QStringLiteral("'%1' is not a valid integer value.").arg(typed));
        return;
    }
    if (editor_.goTo(n))
        mostra();
}

} // namespace vireta
