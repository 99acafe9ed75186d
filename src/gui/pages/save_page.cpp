#include "pages/save_page.h"

#include "formats/format_table.h"
#include "formats/paper_test.h"
#include "pages/page_parts.h"
#include "qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vireta {
namespace {

// The review's entries wrap to the list's width: each is measured against the width
// its text really gets beside the icon, so no line is cut off.
class WrappedEntryDelegate : public QStyledItemDelegate {
public:
    explicit WrappedEntryDelegate(QListWidget* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const int width = std::max(80, list_->viewport()->width() - 2 * list_->spacing());
        o.rect = QRect(0, 0, width, 10000);
        QStyle* style = list_->style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &o, list_);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &o, list_) + 1;
        const QRect needed = o.fontMetrics.boundingRect(
            QRect(0, 0, std::max(40, textRect.width() - 2 * margin), 10000),
            Qt::TextWordWrap, o.text);
        return QSize(width, std::max(needed.height() + 6, o.decorationSize.height() + 4));
    }

private:
    QListWidget* list_;
};

// The tabs are this wide at the design size: the room the review leaves them.
constexpr int kTabWidth = 422;

// The margins of a tab's layout: 16 in, its first row `top` down, and `right` where its
// widest row ends at the design size, so that there every control keeps its design
// width; a wider window widens the boxes and the notes.
QMargins tabMargins(int top, int right) { return QMargins(16, top, kTabWidth - right, 0); }

// A tab of notes and choices in one column, its rows kept to the top.
QVBoxLayout* tabColumn(QWidget* tab, int top, int right) {
    auto* column = new QVBoxLayout(tab);
    column->setContentsMargins(tabMargins(top, right));
    column->setSpacing(0);
    column->setAlignment(Qt::AlignTop);
    return column;
}

// A tab of boxes: their captions in a column 130 wide, the boxes after them, and a
// column for the boxes' open buttons; the rows 30 apart, kept to the top.
QGridLayout* tabGrid(QWidget* tab, int top, int right) {
    auto* grid = new QGridLayout(tab);
    grid->setContentsMargins(tabMargins(top, right));
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(2, 30);
    grid->setAlignment(Qt::AlignTop);
    return grid;
}

// A box of a tab's grid in the row `row`, with its caption.
QLineEdit* addTabBox(QWidget* tab, QGridLayout* grid, int row, const char* name, const QString& caption,
                     int width) {
    return addLabelledBox(tab, grid, row, 0, name, caption, 130, width);
}

// The open button of the box in the row `row` of a tab's grid.
QToolButton* addOpenButton(QWidget* tab, QGridLayout* grid, int row, const char* name) {
    QToolButton* button = makeBoxButton(tab, name, "open-file", QStringLiteral("Folla de estilo"));
    grid->addWidget(button, row, 2, Qt::AlignRight);
    return button;
}

// What a tab's format is, wrapped to the tab's width.
QLabel* makeNote(QWidget* tab, const QString& text) {
    auto* note = new QLabel(text, tab);
    note->setWordWrap(true);
    note->setMinimumSize(360, 60);
    return note;
}

} // namespace

SavePage::SavePage() {
    setObjectName(QStringLiteral("page5"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 0);
    column->setSpacing(0);

    ctformatos_ = new QTabWidget(this);
    ctformatos_->setObjectName(QStringLiteral("ctformatos"));
    ctformatos_->setDocumentMode(true);
    // The tabs are drawn as buttons.
    ctformatos_->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px solid rgb(150, 150, 150); border-radius: 4px;"
        " padding: 5px 7px; margin: 2px 4px 6px 0; background: rgb(250, 250, 245); }"
        "QTabBar::tab:selected { background: rgb(255, 222, 40); border-color: rgb(120, 110, 20);"
        " font-weight: bold; }"
        "QTabBar::tab:hover { background: rgb(255, 240, 160); }"));
    // The tabs and, beside them, the review of the quiz.
    auto* body = new QHBoxLayout;
    body->setSpacing(8);
    body->addWidget(ctformatos_, 1);
    auto* reviewColumn = new QVBoxLayout;
    reviewColumn->setContentsMargins(0, 6, 0, 6);
    reviewColumn->setSpacing(4);
    auto* reviewCaption = new QLabel(QStringLiteral("Revisión"), this);
    QFont captionFont = reviewCaption->font();
    captionFont.setBold(true);
    reviewCaption->setFont(captionFont);
    listarevision_ = new QListWidget(this);
    listarevision_->setObjectName(QStringLiteral("listarevision"));
    listarevision_->setAccessibleName(QStringLiteral("Revisión"));
    listarevision_->setWordWrap(true);
    listarevision_->setTextElideMode(Qt::ElideNone);
    listarevision_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listarevision_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    listarevision_->setUniformItemSizes(false);
    listarevision_->setItemDelegate(new WrappedEntryDelegate(listarevision_));
    listarevision_->setResizeMode(QListView::Adjust); // wrapped lines measured again when the width changes
    listarevision_->setMinimumWidth(220);
    listarevision_->setSpacing(3);
    listarevision_->setIconSize(QSize(16, 16));
    reviewCaption->setBuddy(listarevision_);
    reviewColumn->addWidget(reviewCaption);
    reviewColumn->addWidget(listarevision_, 1);
    body->addLayout(reviewColumn, 1);
    column->addLayout(body, 1);

    auto* xmlTab = new QWidget;
    xmlTab->setObjectName(QStringLiteral("TabSheet1"));
    QVBoxLayout* xmlColumn = tabColumn(xmlTab, 16, 376);
    auto* templateRow = new QHBoxLayout;
    templateRow->setSpacing(0);
    auto* templateCaption = makeCaption(xmlTab, QStringLiteral("Plantilla HTML:"), 130);
    txtplant_ = new QLineEdit(xmlTab);
    txtplant_->setObjectName(QStringLiteral("txtplant"));
    auto* templateButton =
        makeBoxButton(xmlTab, "btabrson11", "open-file", QStringLiteral("Folla de estilo"));
    templateRow->addWidget(templateCaption);
    templateRow->addWidget(txtplant_, 1);
    templateRow->addSpacing(4);
    templateRow->addWidget(templateButton);
    xmlColumn->addLayout(templateRow);
    for (QWidget* hidden : {static_cast<QWidget*>(templateCaption), static_cast<QWidget*>(txtplant_),
                            static_cast<QWidget*>(templateButton)})
        hidden->hide();
    xmlColumn->addWidget(makeNote(xmlTab, QStringLiteral("Garda o cuestionario no formato propio de Vireta, "
                                                         "para abrilo e editalo de novo.")));
    ctformatos_->addTab(xmlTab, QStringLiteral("XML"));

    auto* htmlTab = new QWidget;
    htmlTab->setObjectName(QStringLiteral("TabSheet2"));
    QGridLayout* htmlForm = tabGrid(htmlTab, 12, 396);
    // The boxes leave room for the review beside the tabs.
    constexpr int box = 220;
    estilo_ = addTabBox(htmlTab, htmlForm, 0, "estilo", QStringLiteral("Folla de estilo:"), box);
    QToolButton* styleButton = addOpenButton(htmlTab, htmlForm, 0, "btabrson10");
    enviar_ = addTabBox(htmlTab, htmlForm, 1, "enviar", QStringLiteral("Enviar a ...."), box);
    // A field's caption and its length, neither wider in a wider window.
    const auto addField = [&](int row, const char* name, const QString& caption, const char* lengthName,
                              const QString& lengthCaption, QLineEdit*& length) {
        QLabel* label = makeCaption(htmlTab, caption, 130);
        QLineEdit* field = makeBox(htmlTab, name, 90, caption);
        field->setFixedWidth(90);
        label->setBuddy(field);
        htmlForm->addWidget(label, row, 0);
        auto* fieldRow = new QHBoxLayout;
        fieldRow->setSpacing(0);
        fieldRow->addWidget(field);
        fieldRow->addSpacing(10);
        length = addLabelledBox(htmlTab, fieldRow, lengthName, QStringLiteral("Lonxitude"), 76, 44);
        length->setFixedWidth(44);
        length->setText(QStringLiteral("20"));
        length->setAccessibleName(lengthCaption);
        fieldRow->addStretch(1);
        htmlForm->addLayout(fieldRow, row, 1);
        return field;
    };
    Campo1_ = addField(2, "Campo1", QStringLiteral("Campo1"), "lonx1",
                       QStringLiteral("Lonxitude do campo 1"), lonx1_);
    campo2_ = addField(3, "campo2", QStringLiteral("Campo2"), "lonx2",
                       QStringLiteral("Lonxitude do campo 2"), lonx2_);
    oculto_ = addTabBox(htmlTab, htmlForm, 4, "oculto", QStringLiteral("Campo oculto:"), box);
    texto_ = addTabBox(htmlTab, htmlForm, 5, "texto", QStringLiteral("Texto:"), box);
    // What each box does on the page.
    enviar_->setToolTip(QStringLiteral(
        "Enderezo ao que a páxina envía as respostas: con el, a páxina leva un formulario e un "
        "botón «Enviar» ao final. Baleiro: sen formulario."));
    Campo1_->setToolTip(QStringLiteral(
        "Texto dun primeiro campo para encher na cabeceira da páxina (por exemplo «Nome»), "
        "enviado co nome campo1. Baleiro: sen campo."));
    campo2_->setToolTip(QStringLiteral(
        "Texto dun segundo campo para encher (por exemplo «Curso»), enviado co nome campo2. "
        "Baleiro: sen campo."));
    for (QLineEdit* length : {lonx1_, lonx2_})
        length->setToolTip(QStringLiteral("Ancho da caixa do campo, en caracteres."));
    oculto_->setToolTip(QStringLiteral(
        "Valor que o formulario envía sen mostralo, co nome oculto (por exemplo o código do "
        "grupo). Baleiro: nada."));
    texto_->setToolTip(QStringLiteral(
        "Unha liña de texto baixo o subtítulo, na páxina HTML e na páxina con autocorrección."));
    chkutf_ = new QCheckBox(QStringLiteral("UTF-8"), htmlTab);
    chkutf_->setObjectName(QStringLiteral("chkutf"));
    chkutf_->setChecked(true);
    chkutf_->setMinimumWidth(80);
    chkutf_->setFixedHeight(kBoxHeight);
    chkrevolver_ = new QCheckBox(QStringLiteral("Revolver respostas"), htmlTab);
    chkrevolver_->setObjectName(QStringLiteral("chkrevolver"));
    chkrevolver_->setFixedHeight(kBoxHeight);
    auto* checkRow = new QHBoxLayout;
    checkRow->setContentsMargins(0, 4, 0, 0);
    checkRow->setSpacing(4);
    checkRow->addWidget(chkutf_);
    checkRow->addWidget(chkrevolver_);
    checkRow->addStretch(1);
    htmlForm->addLayout(checkRow, 6, 1, 1, 2);
    ctformatos_->addTab(htmlTab, QStringLiteral("HTML"));

    auto* jsTab = new QWidget;
    jsTab->setObjectName(QStringLiteral("TabSheet3"));
    QGridLayout* jsForm = tabGrid(jsTab, 12, 396);
    estilojs_ = addTabBox(jsTab, jsForm, 0, "estilojs", QStringLiteral("Folla de estilo:"), box);
    QToolButton* styleJsButton = addOpenButton(jsTab, jsForm, 0, "btabrson12");
    txboton_ = addTabBox(jsTab, jsForm, 1, "txboton", QStringLiteral("Texto do botón:"), box);
    ctformatos_->addTab(jsTab, QStringLiteral("JavaScript"));

    auto* ebkTab = new QWidget;
    ebkTab->setObjectName(QStringLiteral("TabSheet4"));
    tabColumn(ebkTab, 16, 376)
        ->addWidget(makeNote(ebkTab, QStringLiteral("Garda o cuestionario como libro ebk, na orde das "
                                                    "preguntas, para o reprodutor de libros.")));
    ctformatos_->addTab(ebkTab, QStringLiteral("EBK"));

    auto* webTab = new QWidget;
    webTab->setObjectName(QStringLiteral("TabSheet5"));
    QVBoxLayout* webColumn = tabColumn(webTab, 16, 376);
    webColumn->addWidget(makeNote(webTab, QStringLiteral("Garda o cuestionario como xogo para calquera "
                                                         "navegador: unha pregunta cada vez, coas súas "
                                                         "mensaxes e sons.")));
    chkunarquivo_ = new QCheckBox(QStringLiteral("Todo nun só arquivo"), webTab);
    chkunarquivo_->setObjectName(QStringLiteral("chkunarquivo"));
    chkunarquivo_->setFixedHeight(kBoxHeight);
    webColumn->addSpacing(10);
    webColumn->addWidget(chkunarquivo_);
    chkscorm_ = new QCheckBox(QStringLiteral("Paquete SCORM"), webTab);
    chkscorm_->setObjectName(QStringLiteral("chkscorm"));
    chkscorm_->setFixedHeight(kBoxHeight);
    webColumn->addSpacing(6);
    webColumn->addWidget(chkscorm_);
    // The pass mark is the quiz's own, set on the end page.
    webColumn->addSpacing(10);
    webColumn->addWidget(makeNote(webTab, QStringLiteral("A nota para aprobar ponse na sección «Final».")));
    ctformatos_->addTab(webTab, QStringLiteral("Web"));
    // Tab 5, "Outros": the formats of learning platforms' question banks.
    TabSheet6_ = new QWidget;
    TabSheet6_->setObjectName(QStringLiteral("TabSheet6"));
    auto* otherRow = new QHBoxLayout;
    otherRow->setSpacing(0);
    tabColumn(TabSheet6_, 12, 410)->addLayout(otherRow);
    otherRow->addWidget(makeCaption(TabSheet6_, QStringLiteral("Formato:"), 130), 0, Qt::AlignTop);
    auto* otherChoices = new QVBoxLayout;
    otherChoices->setSpacing(0);
    otherRow->addLayout(otherChoices, 1);
    outrosformato_ = new QButtonGroup(TabSheet6_);
    outrosformato_->setObjectName(QStringLiteral("outrosformato"));
    const struct {
        const char* name;
        QString caption;
        QString note;
        Format format;
    } choices[] = {
        {"optmoodle", QStringLiteral("Moodle XML"),
         QStringLiteral("Banco de preguntas para Moodle, coas imaxes e os sons dentro."),
         Format::Moodle},
        {"optgift", QStringLiteral("GIFT"),
         QStringLiteral("Texto para Moodle e outras plataformas; non leva imaxes nin sons."),
         Format::Gift},
        {"optaiken", QStringLiteral("Aiken"),
         QStringLiteral("Texto simple: enunciado, opcións e resposta correcta."), Format::Aiken},
        {"optcsv", QStringLiteral("Folla de cálculo (CSV)"),
         QStringLiteral("Unha pregunta por fila, para LibreOffice Calc e outras follas."),
         Format::Csv},
    };
    for (const auto& c : choices) {
        auto* b = new QRadioButton(c.caption, TabSheet6_);
        b->setObjectName(QLatin1String(c.name));
        b->setFixedHeight(kBoxHeight);
        b->setAccessibleDescription(c.note);
        // Each note under its choice, so the tab leaves room for the review beside it.
        auto* note = new QLabel(c.note, TabSheet6_);
        note->setMinimumSize(240, 30);
        note->setWordWrap(true);
        note->setAlignment(Qt::AlignLeft | Qt::AlignTop); // a line under its choice, however wide
        auto* noteRow = new QHBoxLayout;
        noteRow->setSpacing(0);
        noteRow->addSpacing(24);
        noteRow->addWidget(note, 1);
        if (otherChoices->count() > 0)
            otherChoices->addSpacing(6);
        otherChoices->addWidget(b);
        otherChoices->addLayout(noteRow);
        outrosformato_->addButton(b, static_cast<int>(c.format));
    }
    outrosformato_->button(static_cast<int>(Format::Moodle))->setChecked(true);
    // The tab stands for the format chosen in it.
    TabSheet6_->setProperty("format", static_cast<int>(Format::Moodle));
    ctformatos_->addTab(TabSheet6_, QStringLiteral("Outros"));

    // The paper test: its tab stands seventh, after the web and other formats.
    auto* paperTab = new QWidget;
    paperTab->setObjectName(QStringLiteral("TabSheet7"));
    paperTab->setProperty("format", static_cast<int>(Format::Pdf));
    QVBoxLayout* paperColumn = tabColumn(paperTab, 14, 376);
    // A row of the paper's settings, after the caption column.
    const auto addPaperRow = [&](QWidget* control, const QString& caption, int above) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addWidget(makeCaption(paperTab, caption, 130));
        row->addWidget(control);
        row->addStretch(1);
        paperColumn->addSpacing(above);
        paperColumn->addLayout(row);
    };
    paperVersions_ = new QSpinBox(paperTab);
    paperVersions_->setObjectName(QStringLiteral("paperVersions"));
    paperVersions_->setRange(1, kMaxPaperVersions);
    paperVersions_->setValue(1);
    paperVersions_->setAccessibleName(QStringLiteral("Modelos"));
    paperVersions_->setFixedSize(60, kBoxHeight);
    addPaperRow(paperVersions_, QStringLiteral("Modelos:"), 0);
    paperSize_ = new QComboBox(paperTab);
    paperSize_->setObjectName(QStringLiteral("paperSize"));
    paperSize_->addItems({QStringLiteral("A4"), QStringLiteral("Carta (EUA)")});
    paperSize_->setAccessibleName(QStringLiteral("Papel"));
    paperSize_->setFixedSize(140, kBoxHeight);
    addPaperRow(paperSize_, QStringLiteral("Papel:"), 8);
    paperShuffleAnswers_ = new QCheckBox(QStringLiteral("Revolver respostas"), paperTab);
    paperShuffleAnswers_->setObjectName(QStringLiteral("paperShuffleAnswers"));
    paperShuffleAnswers_->setChecked(true);
    paperShuffleAnswers_->setFixedHeight(kBoxHeight);
    addPaperRow(paperShuffleAnswers_, QString(), 10);
    paperKeyApart_ = new QCheckBox(QStringLiteral("Solucións á parte"), paperTab);
    paperKeyApart_->setObjectName(QStringLiteral("paperKeyApart"));
    paperKeyApart_->setFixedHeight(kBoxHeight);
    addPaperRow(paperKeyApart_, QString(), 4);
    auto* paperPrint = makeSectionButton(paperTab, "paperPrint", QStringLiteral("Imprimir…"), "print");
    paperPrint->setFixedSize(110, 56);
    addPaperRow(paperPrint, QString(), 14);
    paperColumn->addSpacing(12);
    paperColumn->addWidget(makeNote(paperTab, QStringLiteral("Garda a proba en papel como PDF, cada "
                                                             "modelo coa súa orde, e as solucións ao "
                                                             "final.")));
    ctformatos_->insertTab(6, paperTab, QStringLiteral("Papel"));

    auto* strip = makePanel(this, "Panel19");
    strip->setFixedHeight(76);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(16, 0, 16, 0);
    chkcopia_ = new QCheckBox(QStringLiteral("Copiar arquivos"), strip);
    chkcopia_->setObjectName(QStringLiteral("chkcopia"));
    chkcopia_->setChecked(true);
    chkempaqueta_ = new QCheckBox(QStringLiteral("Empaquetar"), strip);
    chkempaqueta_->setObjectName(QStringLiteral("chkempaqueta"));
    chkempaqueta_->setChecked(true);
    btnavegador_ =
        makeSectionButton(strip, "btnavegador", QStringLiteral("Ver no navegador"), "browser");
    btnavegador_->setToolTip(QStringLiteral("Abrir esta páxina no navegador sen gardala"));
    auto* btgarda = makeSectionButton(strip, "btgarda", QStringLiteral("Gardar"), "export");
    btgarda->setMinimumWidth(80);
    // As tall as "Gardar", so the three share a row of the tab order and Tab reaches
    // both check boxes before the button.
    for (QCheckBox* box : {chkcopia_, chkempaqueta_})
        box->setFixedHeight(btgarda->sizeHint().height());
    row->addWidget(chkcopia_);
    row->addSpacing(24);
    row->addWidget(chkempaqueta_);
    row->addStretch(1);
    row->addWidget(btnavegador_);
    row->addSpacing(8);
    row->addWidget(btgarda);
    column->addWidget(strip);

    // The tabs ask for the width of the widest of them beside the review (a new tab's
    // layout should ask for no more than kTabWidth, the room the design width leaves).
    int widest = 0;
    for (int i = 0; i < ctformatos_->count(); ++i)
        widest = std::max(widest, ctformatos_->widget(i)->minimumSizeHint().width());
    ctformatos_->setMinimumWidth(std::max(widest, ctformatos_->tabBar()->sizeHint().width()));

    connect(ctformatos_, &QTabWidget::currentChanged, this, &SavePage::ctformatosChange);
    connect(outrosformato_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked)
            return;
        TabSheet6_->setProperty("format", id);
        ctformatosChange(ctformatos_->currentIndex());
    });
    connect(btgarda, &QToolButton::clicked, this, &SavePage::saveClicked);
    connect(btnavegador_, &QToolButton::clicked, this, &SavePage::browserClicked);
    connect(chkrevolver_, &QCheckBox::toggled, this, &SavePage::shuffleAnswersToggled);
    connect(styleButton, &QToolButton::clicked, this, &SavePage::formStyleWanted);
    connect(templateButton, &QToolButton::clicked, this, &SavePage::formStyleWanted);
    connect(styleJsButton, &QToolButton::clicked, this, &SavePage::markingStyleWanted);
    connect(paperPrint, &QToolButton::clicked, this, &SavePage::printClicked);
    btnavegador_->setVisible(formatInfo(chosenFormat()).page);
}

// A tab whose format is not its index names it in its "format" property.
Format SavePage::chosenFormat() const {
    const int index = ctformatos_->currentIndex();
    const QWidget* tab = ctformatos_->widget(index);
    const QVariant format = tab ? tab->property("format") : QVariant();
    return static_cast<Format>(format.isValid() ? format.toInt() : index);
}

Format SavePage::formatToSave() const {
    const Format chosen = chosenFormat();
    return chosen == Format::Web && chkscorm_->isChecked() ? Format::Scorm : chosen;
}

void SavePage::ctformatosChange(int) {
    btnavegador_->setVisible(formatInfo(chosenFormat()).page);
    emit formatChanged();
}

ExportSettings SavePage::exportSettings() const {
    ExportSettings e;
    e.style = toUtf8(estilo_->text());
    e.action = toUtf8(enviar_->text());
    e.field1Label = toUtf8(Campo1_->text());
    e.field1Size = toUtf8(lonx1_->text());
    e.field2Label = toUtf8(campo2_->text());
    e.field2Size = toUtf8(lonx2_->text());
    e.hidden = toUtf8(oculto_->text());
    e.text = toUtf8(texto_->text());
    e.utf8 = chkutf_->isChecked();
    e.shuffleAnswers = chkrevolver_->isChecked();
    e.styleJs = toUtf8(estilojs_->text());
    e.buttonText = toUtf8(txboton_->text());
    e.paper.versions = paperVersions_->value();
    e.paper.keyApart = paperKeyApart_->isChecked();
    e.paper.letter = paperSize_->currentIndex() == 1;
    e.paper.shuffleAnswers = paperShuffleAnswers_->isChecked();
    e.singleFile = chkunarquivo_->isChecked();
    return e;
}

bool SavePage::copyFiles() const { return chkcopia_->isChecked(); }
bool SavePage::pack() const { return chkempaqueta_->isChecked(); }
void SavePage::selectTab(int index) { ctformatos_->setCurrentIndex(index); }
void SavePage::setFormStyle(const QString& path) { estilo_->setText(path); }
void SavePage::setMarkingStyle(const QString& path) { estilojs_->setText(path); }

} // namespace vireta
