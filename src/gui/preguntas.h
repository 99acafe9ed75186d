// The main window: the section bar over the pages, the quiz session, and the
// controllers that do the work of each concern. The window itself only switches
// sections, keeps the title and handles closing; the pages lay themselves out.
#pragma once

#include "sections.h"

#include <QStringList>
#include <QWidget>

#include <memory>

class QStackedWidget;

namespace vireta {

class AboutPage;
class BrowserPreview;
class ClassroomActions;
class Dialogs;
class EndPage;
class FileActions;
class GeneralPage;
class ImportActions;
class OrderingPage;
class PaperActions;
class PicturePreview;
class QuestionNavigator;
class QuestionOrdering;
class QuestionsPage;
class QuizSession;
class ReviewPanel;
class SaveActions;
class SavePage;
class SectionStrip;
class SoundActions;
class StockPage;
class TopBar;
class UndoController;
struct QuizScreen;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The window uses `dialogs` for every modal interaction; it must outlive the window.
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // Design size of the window's outer frame.
    static constexpr int kDesignWidth = 700;
    static constexpr int kDesignHeight = 529;

    // The folders searched for the help file, in order: the program's own, then the
    // installed share/vireta. "Axuda" looks in these unless told others.
    static QStringList helpFolders();
    void setHelpFolders(QStringList folders) { helpFolders_ = std::move(folders); }

    QuizSession& session() { return *session_; }
    QuizScreen& quizScreen() { return *screen_; }
    OrderingPage& orderingPage() { return *ordering_; }
    SavePage& savePage() { return *save_; }

    QuestionNavigator& navigator() { return *navigator_; }
    UndoController& undoController() { return *undo_; }
    FileActions& fileActions() { return *fileActions_; }
    SaveActions& saveActions() { return *saveActions_; }
    BrowserPreview& browserPreview() { return *browser_; }
    ClassroomActions& classroomActions() { return *classroom_; }
    ImportActions& importActions() { return *import_; }
    ReviewPanel& reviewPanel() { return *review_; }
    SoundActions& soundActions() { return *sounds_; }

public slots:
    void FormCreate();
    void btinicioClick();
    void btpregClick();
    void btfinalClick();
    void btexportarClick();
    void btmostraClick(); // the ordering page
    void btaxudaClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControllers(Dialogs& dialogs);
    void connectControls();
    void showSection(Section section);
    // Shows a section's page; false when the ordering page keeps the window there.
    bool showPage(QWidget* page, const QString& caption);
    // Settles the moves on the ordering page, when it is shown; false when the
    // teacher cancels.
    bool leaveOrdering();
    void questionsChanged(); // the counter, the title and the review after any change of the quiz
    void updateTitle();

    Dialogs& dialogs_;
    std::unique_ptr<QuizSession> session_;
    TopBar* topBar_ = nullptr;
    SectionStrip* strip_ = nullptr;
    QStackedWidget* nota_ = nullptr;
    GeneralPage* general_ = nullptr;
    QuestionsPage* questions_ = nullptr;
    EndPage* end_ = nullptr;
    OrderingPage* ordering_ = nullptr;
    SavePage* save_ = nullptr;
    AboutPage* about_ = nullptr;
    StockPage* stock_ = nullptr;
    std::unique_ptr<QuizScreen> screen_;

    std::unique_ptr<PicturePreview> picture_;
    std::unique_ptr<SoundActions> sounds_;
    std::unique_ptr<QuestionNavigator> navigator_;
    std::unique_ptr<UndoController> undo_;
    std::unique_ptr<QuestionOrdering> orderingActions_;
    std::unique_ptr<ReviewPanel> review_;
    std::unique_ptr<PaperActions> paperActions_;
    std::unique_ptr<SaveActions> saveActions_;
    std::unique_ptr<BrowserPreview> browser_;
    std::unique_ptr<ImportActions> import_;
    std::unique_ptr<ClassroomActions> classroom_;
    std::unique_ptr<FileActions> fileActions_;
    QStringList helpFolders_ = helpFolders();
};

} // namespace vireta
