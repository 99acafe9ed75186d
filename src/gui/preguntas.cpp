#include "preguntas.h"

#include "actions/browser_preview.h"
#include "actions/classroom_actions.h"
#include "actions/file_actions.h"
#include "actions/import_actions.h"
#include "actions/paper_actions.h"
#include "actions/save_actions.h"
#include "dialogs.h"
#include "editing/question_navigator.h"
#include "editing/question_ordering.h"
#include "editing/undo_controller.h"
#include "keyboard.h"
#include "media/picture_preview.h"
#include "media/sound_actions.h"
#include "pages/about_page.h"
#include "pages/ordering_page.h"
#include "pages/page_parts.h"
#include "pages/quiz_screen.h"
#include "pages/top_bar.h"
#include "quiz_session.h"
#include "review/review_panel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

// The pictures are compiled into the window's static library; make sure they are linked.
static void initResources() { Q_INIT_RESOURCE(vireta); }

namespace vireta {

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), session_(std::make_unique<QuizSession>()) {
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(icon("vireta"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    topBar_ = new TopBar(this);
    strip_ = new SectionStrip(this);
    layout->addWidget(topBar_);
    layout->addWidget(strip_);
    nota_ = new QStackedWidget(this);
    nota_->setObjectName(QStringLiteral("nota"));
    layout->addWidget(nota_, 1);
    general_ = new GeneralPage;
    questions_ = new QuestionsPage;
    end_ = new EndPage;
    ordering_ = new OrderingPage;
    save_ = new SavePage;
    about_ = new AboutPage;
    stock_ = new StockPage;
    for (QWidget* page : std::initializer_list<QWidget*>{general_, questions_, end_, ordering_, save_, about_, stock_})
        nota_->addWidget(page);
    screen_ = std::make_unique<QuizScreen>(QuizScreen{*general_, *questions_, *end_, *save_});

    // The client area that goes with an outer frame of the design size, which is also
    // the smallest the window gets: no control is ever cut off.
    resize(kDesignWidth - 16, kDesignHeight - 39);
    setMinimumSize(kDesignWidth - 16, kDesignHeight - 39);
    for (QWidget* page : std::initializer_list<QWidget*>{general_, questions_, end_, ordering_, save_})
        orderTabsByPosition(page);

    buildControllers(dialogs);
    connectControls();
    FormCreate();
}

TForm1::~TForm1() {
    // The children outlive this part of the window: what they signal while they go
    // must not reach its handlers.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

void TForm1::buildControllers(Dialogs& dialogs) {
    QuizSession& session = *session_;
    picture_ = std::make_unique<PicturePreview>(*questions_, *stock_, *session_, dialogs, this);
    sounds_ = std::make_unique<SoundActions>(*strip_, *session_, dialogs, this);
    for (const auto* boxes : {&general_->soundBoxes(), &questions_->soundBoxes(), &end_->soundBoxes()})
        sounds_->attach(*boxes);
    navigator_ = std::make_unique<QuestionNavigator>(session, *screen_, *picture_, dialogs, this);
    undo_ = std::make_unique<UndoController>(session, *navigator_,
                                             questions_->button(QuestionsPage::Button::Undo),
                                             questions_->button(QuestionsPage::Button::Redo));
    orderingActions_ = std::make_unique<QuestionOrdering>(session, *navigator_, *ordering_, dialogs, this);
    review_ = std::make_unique<ReviewPanel>(session, *screen_, *navigator_);
    paperActions_ = std::make_unique<PaperActions>(session, *screen_, dialogs, this);
    saveActions_ = std::make_unique<SaveActions>(session, *screen_, *paperActions_, *review_, dialogs, this);
    browser_ = std::make_unique<BrowserPreview>(session, *screen_, dialogs, this);
    import_ = std::make_unique<ImportActions>(session, *navigator_, dialogs, this);
    classroom_ = std::make_unique<ClassroomActions>(session, *screen_, *navigator_, dialogs, this);
    fileActions_ = std::make_unique<FileActions>(session, *screen_, *navigator_, *picture_, *saveActions_,
                                                 dialogs, this);
}

void TForm1::connectControls() {
    using B = TopBar::Button;
    connect(topBar_->button(B::Inicio), &QToolButton::clicked, this, &TForm1::btinicioClick);
    connect(topBar_->button(B::Preguntas), &QToolButton::clicked, this, &TForm1::btpregClick);
    connect(topBar_->button(B::Final), &QToolButton::clicked, this, &TForm1::btfinalClick);
    // What replaces or changes the questions first settles the ordering page's moves.
    connect(topBar_->button(B::Novo), &QToolButton::clicked, this, [this] {
        if (leaveOrdering())
            fileActions_->btnovoClick();
    });
    connect(topBar_->button(B::Abrir), &QToolButton::clicked, this, [this] {
        if (leaveOrdering())
            fileActions_->btabrirClick();
    });
    connect(topBar_->button(B::Gardar), &QToolButton::clicked, this, [this] { fileActions_->saveQuiz(); });
    connect(topBar_->button(B::Importar), &QToolButton::clicked, this, [this] {
        if (leaveOrdering())
            import_->btimportarClick();
    });
    connect(topBar_->button(B::Exportar), &QToolButton::clicked, this, &TForm1::btexportarClick);
    // The game plays the questions in the order the ordering page settles.
    connect(topBar_->button(B::Clase), &QToolButton::clicked, this, [this] {
        if (leaveOrdering())
            classroom_->btclaseClick();
    });
    connect(topBar_->button(B::Axuda), &QToolButton::clicked, this, &TForm1::btaxudaClick);
    connect(questions_->button(QuestionsPage::Button::Ordear), &QToolButton::clicked, this, &TForm1::btmostraClick);
    connect(fileActions_.get(), &FileActions::sectionWanted, this, &TForm1::showSection);
    connect(import_.get(), &ImportActions::sectionWanted, this, &TForm1::showSection);
    connect(review_.get(), &ReviewPanel::sectionWanted, this, &TForm1::showSection);
    connect(saveActions_.get(), &SaveActions::documentSaved, this, [this](const QString& path) {
        const QFileInfo saved(path);
        strip_->showNote(QStringLiteral("Gardado en %1").arg(saved.fileName()), SectionStrip::Note::Done,
                         QDir::toNativeSeparators(saved.absolutePath()));
    });

    const auto click = [](QToolButton* button) { return [button] { button->click(); }; };
    installWindowKeys(*this, {
        {QKeySequence(Qt::CTRL | Qt::Key_N), click(topBar_->button(B::Novo))},
        {QKeySequence(Qt::CTRL | Qt::Key_O), click(topBar_->button(B::Abrir))},
        {QKeySequence(Qt::CTRL | Qt::Key_S), click(topBar_->button(B::Gardar))},
        {QKeySequence(Qt::CTRL | Qt::Key_E), click(topBar_->button(B::Exportar))},
        {QKeySequence(Qt::Key_F1), click(topBar_->button(B::Axuda))},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { undo_->undo(); }},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { undo_->redo(); }},
    });

    // The title's modified marker follows every keystroke in the quiz's boxes.
    for (QWidget* page : std::initializer_list<QWidget*>{general_, questions_, end_}) {
        for (auto* box : page->findChildren<QLineEdit*>())
            connect(box, &QLineEdit::textChanged, this, &TForm1::updateTitle);
    }
    connect(general_->introBox(), &QPlainTextEdit::textChanged, this, &TForm1::updateTitle);
    connect(general_->inOrderBox(), &QCheckBox::toggled, this, &TForm1::updateTitle);
    connect(questions_, &QuestionsPage::edited, this, &TForm1::updateTitle); // kind, ticks, messages
    connect(end_, &EndPage::passMarkEdited, session_.get(), &QuizSession::recordPassMarkChange);
    connect(session_.get(), &QuizSession::passMarkRestored, end_, &EndPage::showPassMark);
    connect(session_.get(), &QuizSession::changed, this, &TForm1::questionsChanged);
    connect(session_.get(), &QuizSession::questionsRestored, this,
            [this] { orderingActions_->questionsRestored(nota_->currentWidget() == ordering_); });
    connect(nota_, &QStackedWidget::currentChanged, this, [this] {
        if (nota_->currentWidget() == questions_)
            picture_->questionsPageShown();
    });
}

void TForm1::FormCreate() {
    session_->model().openedFolder.clear();
    session_->replaceQuiz([this] { navigator_->iniciar(); });
    session_->setQuizPath(QString());
    showPage(about_, QString());
    save_->selectTab(0);
    fileActions_->markSaved();
}

void TForm1::questionsChanged() {
    questions_->showCount(session_->model().count);
    updateTitle();
    if (nota_->currentWidget() == save_) // an undo there, a save's new name
        review_->refreshReview();
}

void TForm1::updateTitle() {
    const QString& path = session_->quizPath();
    const QString name = path.isEmpty() ? QStringLiteral("Sen título") : QFileInfo(path).fileName();
    setWindowFilePath(path);
    setWindowTitle(name + QStringLiteral("[*] \u2014 Vireta"));
    setWindowModified(session_->differsOnScreen(screen_->generalData(), screen_->questionOnScreen()));
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A game under way ends last: a teacher who cancels the question about unsaved
    // work has lost nothing.
    if (!leaveOrdering() || !fileActions_->settleUnsavedWork() || !classroom_->endBeforeClosing()) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---------------------------------------------------------------- sections

bool TForm1::leaveOrdering() {
    return nota_->currentWidget() != ordering_ || orderingActions_->settlePendingMoves();
}

bool TForm1::showPage(QWidget* page, const QString& caption) {
    if (page != ordering_ && !leaveOrdering())
        return false;
    nota_->setCurrentWidget(page);
    strip_->setCaption(caption);
    return true;
}

void TForm1::showSection(Section section) {
    switch (section) {
    case Section::Inicio: btinicioClick(); break;
    case Section::Preguntas: btpregClick(); break;
    case Section::Final: btfinalClick(); break;
    case Section::Gardar: btexportarClick(); break;
    }
}

void TForm1::btinicioClick() {
    navigator_->pasa();
    showPage(general_, QStringLiteral("Inicio"));
}

void TForm1::btpregClick() {
    navigator_->pasa();
    if (!showPage(questions_, QStringLiteral("Preguntas")))
        return;
    if (session_->editor().takeFirstVisit())
        navigator_->fillCommonValues();
}

void TForm1::btfinalClick() {
    navigator_->pasa();
    showPage(end_, QStringLiteral("Final"));
}

void TForm1::btexportarClick() {
    navigator_->pasa();
    if (showPage(save_, QStringLiteral("Gardar")))
        review_->refreshReview();
}

void TForm1::btmostraClick() {
    orderingActions_->btmostraClick();
    showPage(ordering_, QStringLiteral("Ordear preguntas"));
}

QStringList TForm1::helpFolders() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {exeDir, QDir::cleanPath(exeDir + QStringLiteral("/../share/vireta"))};
}

void TForm1::btaxudaClick() {
    navigator_->pasa();
    for (const QString& folder : helpFolders_) {
        const QFileInfo help(QDir(folder), QStringLiteral("vireta.html"));
        if (help.isFile()) {
            openPageInBrowser(dialogs_, this, help.absoluteFilePath());
            return;
        }
    }
    dialogs_.warn(this, QStringLiteral("Vireta"),
                  QStringLiteral("A axuda non está dispoñible. Trate de buscar vireta.html"));
}

} // namespace vireta
