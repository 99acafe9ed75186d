// The main window: the section bar, the pages and the handlers that bind the
// controls to the quiz model in core.
#pragma once

#include "dialogs.h"
#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "formats/shuffle.h"
#include "model/question_editor.h"
#include "model/quiz.h"
#include "model/quiz_snapshot.h"
#include "save/save_step.h"

#include <QWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QToolButton;

namespace vireta {

class TXMLDoc;
class PreviewCache;
class PreviewBox;
class SoundPlayer;

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

    // --- the operations of the question editor ---
    void pasa();       // commit the question controls into the current record
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
    // Returns whether the document was written.
    bool garda(const SaveRequest& request);
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
    // what was left out. The questions change in one call (`change` inside), the one an
    // undo step is to wrap; nothing else of the quiz changes.
    void applyImportResult(const ImportResult& result);

    // --- media attachments ---
    void abreimaxe(QLineEdit* path); // pick an image into the path box
    void abreson(QLineEdit* path);   // pick a sound into the path box
    void ponimaxe(PreviewBox* box, QLineEdit* path);
    void sona(const QString& path);
    const SoundPlayer& soundPlayer() const { return *player_; }

    // --- ordering ---
    // Whether the list accepts a drag that comes from `source`.
    bool listapreguntasDragOver(const QObject* source) const;
    // Moves the selected entry to the place of the entry under `point` (list coordinates).
    void listapreguntasDragDrop(const QPoint& point);

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
    void btabrson10Click(); // style sheet of the form page
    void btabrson12Click(); // style sheet of the self-marking page

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormResize();
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
    void fillCommonValues();
    void fillOrderingList();
    void markSaved(); // the quiz as it is now counts as saved
    // The format a save-page tab stands for (on "Outros", the choice made in it).
    Format formatOfTab(int index) const;

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
    std::unique_ptr<TXMLDoc> document_; // the one document every open reuses
    std::unique_ptr<PreviewCache> previews_; // question pictures, decoded once and ahead
    QuizSnapshot saved_;                // the quiz as last started, opened or saved

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

    // ordering page
    QListWidget* listapreguntas = nullptr;
    QToolButton* btordea = nullptr;

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
    QCheckBox* chkcopia = nullptr;
    QCheckBox* chkempaqueta = nullptr;
    QToolButton* btgarda = nullptr;
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
