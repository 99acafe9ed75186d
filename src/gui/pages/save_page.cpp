#include "pages/save_page.h"

#include "formats/format_table.h"
#include "formats/paper_test.h"
#include "pages/page_parts.h"
#include "qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
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
    auto* templateCaption = makeCaption(xmlTab, QStringLiteral("Plantilla HTML:"), 16, 16, 130);
    txtplant_ = new QLineEdit(xmlTab);
    txtplant_->setObjectName(QStringLiteral("txtplant"));
    txtplant_->setGeometry(146, 16, 300, 24);
    auto* templateButton =
        makeIconButton(xmlTab, "btabrson11", "open-file", QStringLiteral("Folla de estilo"), 26);
    templateButton->move(450, 15);
    for (QWidget* hidden : {static_cast<QWidget*>(templateCaption), static_cast<QWidget*>(txtplant_),
                            static_cast<QWidget*>(templateButton)})
        hidden->hide();
    auto* xmlNote = new QLabel(QStringLiteral("Garda o cuestionario no formato propio de Vireta, "
                                              "para abrilo e editalo de novo."),
                               xmlTab);
    xmlNote->setWordWrap(true);
    xmlNote->setGeometry(16, 16, 360, 60);
    ctformatos_->addTab(xmlTab, QStringLiteral("XML"));

    auto* htmlTab = new QWidget;
    htmlTab->setObjectName(QStringLiteral("TabSheet2"));
    // The boxes leave room for the review beside the tabs.
    constexpr int box = 220;
    estilo_ = addTabBox(htmlTab, "estilo", QStringLiteral("Folla de estilo:"), 12, box);
    auto* styleButton =
        makeIconButton(htmlTab, "btabrson10", "open-file", QStringLiteral("Folla de estilo"), 26);
    styleButton->move(16 + 130 + box + 4, 11);
    enviar_ = addTabBox(htmlTab, "enviar", QStringLiteral("Enviar a ...."), 42, box);
    Campo1_ = addTabBox(htmlTab, "Campo1", QStringLiteral("Campo1"), 72, 90);
    lonx1_ = addLabelledBox(htmlTab, "lonx1", QStringLiteral("Lonxitude"), 246, 72, 76, 44);
    lonx1_->setText(QStringLiteral("20"));
    lonx1_->setAccessibleName(QStringLiteral("Lonxitude do campo 1"));
    campo2_ = addTabBox(htmlTab, "campo2", QStringLiteral("Campo2"), 102, 90);
    lonx2_ = addLabelledBox(htmlTab, "lonx2", QStringLiteral("Lonxitude"), 246, 102, 76, 44);
    lonx2_->setText(QStringLiteral("20"));
    lonx2_->setAccessibleName(QStringLiteral("Lonxitude do campo 2"));
    oculto_ = addTabBox(htmlTab, "oculto", QStringLiteral("Campo oculto:"), 132, box);
    texto_ = addTabBox(htmlTab, "texto", QStringLiteral("Texto:"), 162, box);
    chkutf_ = new QCheckBox(QStringLiteral("UTF-8"), htmlTab);
    chkutf_->setObjectName(QStringLiteral("chkutf"));
    chkutf_->setChecked(true);
    chkutf_->setGeometry(146, 196, 80, 24);
    chkrevolver_ = new QCheckBox(QStringLiteral("Revolver respostas"), htmlTab);
    chkrevolver_->setObjectName(QStringLiteral("chkrevolver"));
    chkrevolver_->setGeometry(230, 196, 170, 24);
    ctformatos_->addTab(htmlTab, QStringLiteral("HTML"));

    auto* jsTab = new QWidget;
    jsTab->setObjectName(QStringLiteral("TabSheet3"));
    estilojs_ = addTabBox(jsTab, "estilojs", QStringLiteral("Folla de estilo:"), 12, box);
    auto* styleJsButton =
        makeIconButton(jsTab, "btabrson12", "open-file", QStringLiteral("Folla de estilo"), 26);
    styleJsButton->move(16 + 130 + box + 4, 11);
    txboton_ = addTabBox(jsTab, "txboton", QStringLiteral("Texto do botón:"), 42, box);
    ctformatos_->addTab(jsTab, QStringLiteral("JavaScript"));

    auto* ebkTab = new QWidget;
    ebkTab->setObjectName(QStringLiteral("TabSheet4"));
    auto* ebkNote = new QLabel(QStringLiteral("Garda o cuestionario como libro ebk, na orde das "
                                              "preguntas, para o reprodutor de libros."),
                               ebkTab);
    ebkNote->setWordWrap(true);
    ebkNote->setGeometry(16, 16, 360, 60);
    ctformatos_->addTab(ebkTab, QStringLiteral("EBK"));

    auto* webTab = new QWidget;
    webTab->setObjectName(QStringLiteral("TabSheet5"));
    auto* webNote = new QLabel(QStringLiteral("Garda o cuestionario como xogo para calquera "
                                              "navegador: unha pregunta cada vez, coas súas "
                                              "mensaxes e sons."),
                               webTab);
    webNote->setWordWrap(true);
    webNote->setGeometry(16, 16, 360, 60);
    chkunarquivo_ = new QCheckBox(QStringLiteral("Todo nun só arquivo"), webTab);
    chkunarquivo_->setObjectName(QStringLiteral("chkunarquivo"));
    chkunarquivo_->setGeometry(16, 86, 300, 24);
    chkscorm_ = new QCheckBox(QStringLiteral("Paquete SCORM"), webTab);
    chkscorm_->setObjectName(QStringLiteral("chkscorm"));
    chkscorm_->setGeometry(16, 116, 300, 24);
    // The pass mark is the quiz's own, set on the end page.
    auto* passNote = new QLabel(QStringLiteral("A nota para aprobar ponse na sección «Final»."), webTab);
    passNote->setWordWrap(true);
    passNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    passNote->setGeometry(16, 150, 360, 40);
    ctformatos_->addTab(webTab, QStringLiteral("Web"));
    // Tab 5, "Outros": the formats of learning platforms' question banks.
    TabSheet6_ = new QWidget;
    TabSheet6_->setObjectName(QStringLiteral("TabSheet6"));
    auto* otherCaption = makeCaption(TabSheet6_, QStringLiteral("Formato:"), 16, 12, 130);
    (void)otherCaption;
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
    int y = 12;
    for (const auto& c : choices) {
        auto* b = new QRadioButton(c.caption, TabSheet6_);
        b->setObjectName(QLatin1String(c.name));
        b->setGeometry(146, y, 250, 24);
        b->setAccessibleDescription(c.note);
        // Each note under its choice, so the tab leaves room for the review beside it.
        auto* note = new QLabel(c.note, TabSheet6_);
        note->setGeometry(170, y + 22, 240, 32);
        note->setWordWrap(true);
        outrosformato_->addButton(b, static_cast<int>(c.format));
        y += 60;
    }
    outrosformato_->button(static_cast<int>(Format::Moodle))->setChecked(true);
    // The tab stands for the format chosen in it.
    TabSheet6_->setProperty("format", static_cast<int>(Format::Moodle));
    ctformatos_->addTab(TabSheet6_, QStringLiteral("Outros"));

    // The paper test: its tab stands seventh, after the web and other formats.
    auto* paperTab = new QWidget;
    paperTab->setObjectName(QStringLiteral("TabSheet7"));
    paperTab->setProperty("format", static_cast<int>(Format::Pdf));
    makeCaption(paperTab, QStringLiteral("Modelos:"), 16, 16, 130);
    paperVersions_ = new QSpinBox(paperTab);
    paperVersions_->setObjectName(QStringLiteral("paperVersions"));
    paperVersions_->setRange(1, kMaxPaperVersions);
    paperVersions_->setValue(1);
    paperVersions_->setAccessibleName(QStringLiteral("Modelos"));
    paperVersions_->setGeometry(146, 14, 60, 24);
    makeCaption(paperTab, QStringLiteral("Papel:"), 16, 48, 130);
    paperSize_ = new QComboBox(paperTab);
    paperSize_->setObjectName(QStringLiteral("paperSize"));
    paperSize_->addItems({QStringLiteral("A4"), QStringLiteral("Carta (EUA)")});
    paperSize_->setAccessibleName(QStringLiteral("Papel"));
    paperSize_->setGeometry(146, 46, 140, 24);
    paperShuffleAnswers_ = new QCheckBox(QStringLiteral("Revolver respostas"), paperTab);
    paperShuffleAnswers_->setObjectName(QStringLiteral("paperShuffleAnswers"));
    paperShuffleAnswers_->setChecked(true);
    paperShuffleAnswers_->setGeometry(146, 80, 220, 24);
    paperKeyApart_ = new QCheckBox(QStringLiteral("Solucións á parte"), paperTab);
    paperKeyApart_->setObjectName(QStringLiteral("paperKeyApart"));
    paperKeyApart_->setGeometry(146, 108, 220, 24);
    auto* paperPrint = makeSectionButton(paperTab, "paperPrint", QStringLiteral("Imprimir…"), "print");
    paperPrint->setGeometry(146, 146, 110, 56);
    auto* paperNote = new QLabel(QStringLiteral("Garda a proba en papel como PDF, cada modelo coa súa "
                                                "orde, e as solucións ao final."),
                                 paperTab);
    paperNote->setWordWrap(true);
    paperNote->setGeometry(16, 214, 360, 60);
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

    // The tabs' controls stand where they were put: the tabs ask for the width of the
    // widest of them beside the review (a new tab's controls should still stay within
    // about 410 pixels, the room the design width leaves).
    // (childrenRect() would not do: before the window is shown every child counts as
    // hidden; only the ones hidden on purpose are left out here.)
    int widest = 0;
    for (int i = 0; i < ctformatos_->count(); ++i) {
        for (QWidget* w : ctformatos_->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!(w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide)))
                widest = std::max(widest, w->geometry().right() + 1);
        }
    }
    ctformatos_->setMinimumWidth(std::max(widest + 12, ctformatos_->tabBar()->sizeHint().width()));

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
