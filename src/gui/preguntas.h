// The main window: the section bar, the pages and the handlers that bind the
// controls to the quiz model in core.
#pragma once

#include "dialogs.h"
#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "paper_pdf.h"
#include "formats/shuffle.h"
#include "model/question_editor.h"
#include "model/quiz.h"
#include "model/quiz_snapshot.h"
#include "review/quiz_review.h"
#include "save/save_step.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTemporaryDir;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class QUndoStack;

namespace vireta {

class PreviewCache;
class PreviewBox;
class SoundPlayer;
struct QuestionsState;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The window uses `dialogs` for every modal interaction; it must outlive the window.
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // Design size of the window's outer frame.
    static constexpr int kDesignWidth = 700;
    static constexpr int kDesignHeight = 529;

    // Left position that centres a panel of width `panelWidth` in a window whose outer
    // width is `windowWidth`: (W - w) / 2, a half rounded to the nearest even number.
    static int centredLeft(int windowWidth, int panelWidth);

    // The folders searched for the help file, in order.
    static QStringList helpFolders();

    const QuizModel& model() const { return model_; }
    QuizModel& model() { return model_; }

    // The general data as the general and end pages show it, and back.
    GeneralData generalData() const;
    void setGeneralData(const GeneralData& general);
    CommonValues commonValues() const;

    // The question controls as a Question, and back.
    Question questionOnScreen() const;

    // --- the title bar, Ctrl+S and undo ---
    // The quiz file the title names and Ctrl+S writes to: the file last opened, or last
    // saved as a quiz file; empty for a quiz never saved (and after "Novo").
    const QString& quizPath() const { return quizPath_; }
    // Ctrl+S: writes the quiz file ("XML" format, with "Copiar arquivos" and
    // "Empaquetar" as set on the save page) to quizPath(), asking for a name with the
    // save dialog when there is none. Failures are reported as "Gardar" reports them.
    // True when the quiz file was written.
    bool saveQuiz();
    // Runs `change`, an operation on the questions as a whole, as one step of
    // "Desfacer" named `text` (shown in the undo button's tooltip):
    //   form.pushQuestionsChange(QStringLiteral("Importar"), [&] {
    //       ... change form.model() (questions, count, current) ...
    //   });
    // The question on screen is committed first (its edit is a step of its own); then
    // `change` runs, the current question is shown and the counter and title follow.
    // An operation that changes neither the questions nor the current number makes no
    // step. `change` must not show dialogs or call this again.
    void pushQuestionsChange(const QString& text, const std::function<void()>& change);
    QUndoStack& undoStack() { return *undoStack_; }
    void undo(); // commits the question on screen, then steps back ("Desfacer", Ctrl+Z)
    void redo(); // "Refacer", Ctrl+Shift+Z

    // --- the operations of the question editor ---
    void pasa();       // commit the question controls into the current record (an undo step when they changed)
    void mostra();     // show the current record
    void borradatos(); // blank the question controls
    void iniciar();    // reset to one empty question
    void borra();      // delete the current question, after confirmation

    // --- saving and opening ---
    // The settings of the save page's "HTML" and "JavaScript" tabs.
    ExportSettings exportSettings() const;
    Format formatIndex() const { return formatIndex_; }
    const OutputBuffer& memo() const { return memo_; }
    // The shuffle generator of the HTML exports (tests fix its seed).
    ShuffleGenerator& generator() { return generator_; }
    // Whether the quiz differs from what it was when it was started, reset, opened or
    // last saved as a quiz file. Commits the question on screen first.
    bool hasUnsavedChanges();

    void gardarXML();
    void gardarHTML();
    void gardarjava();
    void gardarebk();
    void gardarweb();
    // The "Outros" tab: Moodle XML, GIFT, Aiken or spreadsheet, as chosen in it. What
    // the format cannot carry is listed after the save.
    void gardaroutros();
    void gardarpdf();
    // The paper test of the quiz as it stands, with the versions drawn the last time
    // unless the quiz or the "Papel" tab changed since.
    PaperDocument paperDocument(const ExportSettings& settings);
    void garda(const SaveRequest& request); // asks for the name, then saves

    // --- the review on the save page ---
    // Reviews the quiz again, with what the review takes from the window (the chosen
    // tab's format, "Revolver respostas", the remembered save name, the common
    // values), and fills the "Revisión" list.
    void refreshReview();
    const std::vector<ReviewFinding>& reviewFindings() const { return findings_; }
    // Shows the control of a finding's place, with the cursor in it.
    void goToPlace(const ReviewPlace& place);
    // The private folder "Ver no navegador" writes its pages into; empty before the first.
    QString browserFolder() const;
    // Reads the quiz file at `path`; on failure the quiz stays as it was and the
    // message "Erro no arquivo :" with the path is shown.
    void LoadItem(const QString& path);

    // --- importing ---
    // Reads the file at `path` ("Importar" after its dialog) and applies it with
    // applyImportResult; a file that cannot be imported changes nothing and its
    // reason is shown.
    void importar(const QString& path);
    // The questions are inserted after the current one (or replace a new quiz's blank
    // one), the first of them is shown, and the box "Importáronse N preguntas." lists
    // what was left out. The change of the questions is one step of "Desfacer"; nothing
    // else of the quiz changes.
    void applyImportResult(const ImportResult& result);

    // --- media attachments ---
    void abreimaxe(QLineEdit* path); // pick an image into the path box
    void abreson(QLineEdit* path);   // pick a sound into the path box
    // Shows the picture at the path in the box; a grey cross, whose tooltip says why,
    // when it cannot be shown.
    void ponimaxe(PreviewBox* box, QLineEdit* path);
    // Plays a sound; one that cannot be played says so in the play button's tooltip
    // (`button`, when given) and in a note on the green strip for a few seconds.
    void sona(const QString& path, QToolButton* button = nullptr);
    const SoundPlayer& soundPlayer() const { return *player_; }

    // --- ordering ---
    // Whether the list accepts a drag that comes from `source`.
    bool listapreguntasDragOver(const QObject* source) const;
    // Moves the selected entry to the place of the entry under `point` (list coordinates).
    void listapreguntasDragDrop(const QPoint& point);
    // Moves the selected entry one place up (-1) or down (+1), by the rule of a drop on
    // its neighbour ("Subir", "Baixar", Alt+Up, Alt+Down).
    void moveSelectedEntry(int by);

public slots:
    void FormCreate();
    void btinicioClick();
    void btpregClick();
    void btfinalClick();
    void btexportarClick();
    void btnovoClick();
    void btaxudaClick();

    void SpeedButton20Click(); // delete
    void SpeedButton21Click(); // first
    void SpeedButton22Click(); // previous
    void btinserirClick();
    void SpeedButton24Click(); // next
    void SpeedButton25Click(); // last
    void btiraClick();         // go to the number in npreg
    void btmostraClick();      // open the ordering page
    void btordeaClick();       // apply the order of the list
    void btabrirClick();
    void btimportarClick();
    void btgardaClick();
    void ctformatosChange(int index);
    void btnavegadorClick(); // "Ver no navegador"
    void listarevisionActivated(QListWidgetItem* item);
    void btabrson10Click(); // style sheet of the form page
    void btabrson12Click(); // style sheet of the self-marking page
    void btimprimirClick(); // the paper test in the print preview

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormResize();
    void buildShortcuts(); // keyboard.cpp
    void showSection(QWidget* page, const QString& caption);
    // With unsaved changes, the question "Gardar", "Non gardar", "Cancelar"; true when
    // the caller may go on (nothing unsaved, saved, or not to be saved).
    bool settleUnsavedWork();
    // The save dialog, and the question before a name completed with the format's
    // extension replaces a file; nothing when the user cancels either.
    std::optional<QString> askSaveName(const SaveRequest& request);
    // Writes the filled buffer to `path` in `format`, with media as the save page says.
    bool saveDocument(const SaveRequest& request, Format format, const QString& path);
    void restoreQuestions(const QuestionsState& state); // an undo or redo
    void questionsChanged(); // counter, undo buttons and title after any change
    void updateTitle();
    void showNote(const QString& text);

    // The construction of each page, one file each under pages/.
    void buildTopBar();
    void buildGeneralPage();
    void buildQuestionsPage();
    void buildEndPage();
    void buildOrderingPage();
    void buildSavePage();
    void buildAboutPage();
    void buildStockPage();
    void showPage(QWidget* page);
    // The question's picture while a quiz is being opened: shown at once when its
    // preview is cached, otherwise decoded in the background and shown when ready
    // (or when the questions page is shown, whichever comes first).
    void deferPicture();
    void previewReady(const std::string& path);
    void fillCommonValues();
    void fillOrderingList();
    void markSaved(); // the quiz as it is now counts as saved
    void saveFormat(); // runs the chosen tab's writer and the save step
    // The filter and extension the chosen tab's writer asks for; none when it writes nothing.
    std::optional<SaveRequest> requestOfChosenFormat() const;

    // Captioned boxes, built by pages/page_parts.cpp.
    // A box of a save-page tab, its caption in the tab's caption column.
    QLineEdit* addTabBox(QWidget* tab, const char* name, const QString& caption, int y,
                         int width, const QString& text = {});
    // A single-line box with its caption to the left inside `parent`.
    QLineEdit* addLabelledBox(QWidget* parent, const char* name, const QString& caption,
                              int x, int y, int captionWidth, int boxWidth);
    // A path box between an open button and a play (or refresh) button.
    QLineEdit* addPathBox(QWidget* parent, const char* name, const char* openName,
                          const char* playName, int x, int y, int width,
                          const QString& accessibleName);

    Dialogs& dialogs_;
    QuizModel model_;
    QuestionEditor editor_{model_};
    SoundPlayer* player_ = nullptr;
    std::vector<std::string> ordering_; // the ordering list's working copy
    OutputBuffer memo_;                 // the output buffer every writer fills
    Format formatIndex_ = Format::Xml;
    SaveStep saveStep_;
    ShuffleGenerator generator_;
    // The paper test keeps its versions while the quiz and the tab's settings stay as
    // they were, so the test printed and the test saved (with its key) are the same.
    std::optional<std::uint32_t> paperSeed_;
    std::string paperInputs_;
    std::unique_ptr<PreviewCache> previews_; // question pictures, decoded once and ahead
    bool deferPictures_ = false; // set while an open shows its first question
    bool picturePending_ = false; // the picture box waits for a background decode
    QuizSnapshot saved_;                // the quiz as last started, opened or saved
    QString quizPath_;                  // the quiz file of the title and Ctrl+S
    QUndoStack* undoStack_ = nullptr;
    bool restoring_ = false;            // an undo or redo is putting questions back
    QToolButton* soundButton_ = nullptr; // the play button of the last sound asked for
    std::vector<ReviewFinding> findings_; // what the "Revisión" list shows
    // The pages "Ver no navegador" wrote, removed when the window goes.
    std::unique_ptr<QTemporaryDir> browserDir_;

public:
    // The controls, named as the program's handlers know them.
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    QFrame* Panel4 = nullptr;
    QToolButton* btinicio = nullptr;
    QToolButton* btpreg = nullptr;
    QToolButton* btfinal = nullptr;
    QToolButton* btnovo = nullptr;
    QToolButton* btabrir = nullptr;
    QToolButton* btimportar = nullptr;
    QToolButton* btexportar = nullptr;
    QToolButton* btaxuda = nullptr;
    QLabel* seccion = nullptr;
    QLabel* aviso = nullptr; // a short note on the green strip (a sound that cannot play)
    QStackedWidget* nota = nullptr;
    QWidget* page1 = nullptr;
    QWidget* page2 = nullptr;
    QWidget* page3 = nullptr;
    QWidget* page4 = nullptr;
    QWidget* page5 = nullptr;
    QWidget* page6 = nullptr;
    QWidget* page7 = nullptr;

    // general page
    QFrame* panelb = nullptr;
    QLineEdit* titulotx = nullptr;
    QLineEdit* subtitulotx = nullptr;
    QLineEdit* tempotx = nullptr;
    QCheckBox* ordech = nullptr;
    QLineEdit* axudatx = nullptr;
    QLineEdit* autortx = nullptr;
    QPlainTextEdit* introtx = nullptr;
    QLineEdit* sontx = nullptr;
    QLineEdit* txtcorcomun = nullptr;
    QLineEdit* txtincorcomun = nullptr;
    QLineEdit* txtsoncorcomun = nullptr;
    QLineEdit* txtsonincorcomun = nullptr;

    // questions page
    QFrame* panelpr = nullptr;
    QLineEdit* txtpreg = nullptr;
    QLineEdit* txtresp1 = nullptr;
    QLineEdit* txtresp2 = nullptr;
    QLineEdit* txtresp3 = nullptr;
    QLineEdit* txtresp4 = nullptr;
    QLineEdit* txtimaxe = nullptr;
    QLineEdit* txtson = nullptr;
    QLineEdit* txtcor = nullptr;
    QLineEdit* txtsoncor = nullptr;
    QLineEdit* txtincor = nullptr;
    QLineEdit* txtsonincor = nullptr;
    QLineEdit* txtenlace = nullptr;
    PreviewBox* imaxe = nullptr;
    QToolButton* btmostra = nullptr;
    QToolButton* SpeedButton20 = nullptr;
    QToolButton* SpeedButton21 = nullptr;
    QToolButton* SpeedButton22 = nullptr;
    QToolButton* btinserir = nullptr;
    QToolButton* SpeedButton24 = nullptr;
    QToolButton* SpeedButton25 = nullptr;
    QLineEdit* npreg = nullptr;
    QToolButton* btira = nullptr;
    QToolButton* SpeedButton14 = nullptr;
    QLabel* lbtotal = nullptr;         // "de N" beside npreg
    QToolButton* btdesfacer = nullptr; // "Desfacer"
    QToolButton* btrefacer = nullptr;  // "Refacer"

    // ordering page
    QListWidget* listapreguntas = nullptr;
    QToolButton* btordea = nullptr;
    QToolButton* btsubir = nullptr;  // "Subir"
    QToolButton* btbaixar = nullptr; // "Baixar"

    // save page
    QTabWidget* ctformatos = nullptr;
    QLineEdit* txtplant = nullptr;
    QLineEdit* estilo = nullptr;
    QLineEdit* enviar = nullptr;
    QLineEdit* Campo1 = nullptr;
    QLineEdit* lonx1 = nullptr;
    QLineEdit* campo2 = nullptr;
    QLineEdit* lonx2 = nullptr;
    QLineEdit* oculto = nullptr;
    QLineEdit* texto = nullptr;
    QCheckBox* chkutf = nullptr;
    QCheckBox* chkrevolver = nullptr;
    QLineEdit* estilojs = nullptr;
    QLineEdit* txboton = nullptr;
    QCheckBox* chkunarquivo = nullptr; // "Todo nun só arquivo"
    QCheckBox* chkscorm = nullptr;     // "Paquete SCORM"
    QSpinBox* notaaprobar = nullptr;   // "Nota para aprobar (%)"
    // the "Papel" tab: the paper test
    QWidget* paperTab = nullptr;
    QSpinBox* paperVersions = nullptr;        // "Modelos:", 1 to 4
    QCheckBox* paperKeyApart = nullptr;       // "Solucións á parte"
    QComboBox* paperSize = nullptr;           // "Papel:", A4 or US Letter
    QCheckBox* paperShuffleAnswers = nullptr; // "Revolver respostas"
    QToolButton* paperPrint = nullptr;        // "Imprimir…"
    QCheckBox* chkcopia = nullptr;
    QCheckBox* chkempaqueta = nullptr;
    QToolButton* btgarda = nullptr;
    QToolButton* btnavegador = nullptr;
    QListWidget* listarevision = nullptr;
    // the "Outros" tab: question-bank formats
    QWidget* TabSheet6 = nullptr;
    QButtonGroup* outrosformato = nullptr;
    QRadioButton* optmoodle = nullptr;
    QRadioButton* optgift = nullptr;
    QRadioButton* optaiken = nullptr;
    QRadioButton* optcsv = nullptr;

    // end page
    QFrame* Panel17 = nullptr;
    QLineEdit* bentx = nullptr;
    QLineEdit* sonbentx = nullptr;
    QLineEdit* maltx = nullptr;
    QLineEdit* sonmaltx = nullptr;

    // about page and stock pictures
    QFrame* Panel18 = nullptr;
    QLabel* flvimax = nullptr;
    QLabel* novale = nullptr;

private:
    // The twelve question controls in field-slot order.
    std::array<QLineEdit*, kFieldSlotCount> questionControls_{};
};

} // namespace vireta
