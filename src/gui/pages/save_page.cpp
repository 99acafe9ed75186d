// Page 5, "Exportar": the format tabs with their settings, the "Revisión" list beside
// them, "Copiar arquivos", "Empaquetar", "Ver no navegador" and "Gardar".

#include "formats/paper_test.h"
#include "pages/page_parts.h"
#include "preguntas.h"

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
#include <QStackedWidget>
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

void TForm1::buildSavePage() {
    page5 = new QWidget;
    page5->setObjectName(QStringLiteral("page5"));
    nota->addWidget(page5);
    auto* column = new QVBoxLayout(page5);
    column->setContentsMargins(8, 8, 8, 0);
    column->setSpacing(0);

    ctformatos = new QTabWidget(page5);
    ctformatos->setObjectName(QStringLiteral("ctformatos"));
    ctformatos->setDocumentMode(true);
    // The tabs are drawn as buttons.
    ctformatos->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px solid rgb(150, 150, 150); border-radius: 4px;"
        " padding: 5px 7px; margin: 2px 4px 6px 0; background: rgb(250, 250, 245); }"
        "QTabBar::tab:selected { background: rgb(255, 222, 40); border-color: rgb(120, 110, 20);"
        " font-weight: bold; }"
        "QTabBar::tab:hover { background: rgb(255, 240, 160); }"));
    // The tabs and, beside them, the review of the quiz.
    auto* body = new QHBoxLayout;
    body->setSpacing(8);
    body->addWidget(ctformatos, 1);
    auto* reviewColumn = new QVBoxLayout;
    reviewColumn->setContentsMargins(0, 6, 0, 6);
    reviewColumn->setSpacing(4);
    auto* reviewCaption = new QLabel(QStringLiteral("Revisión"), page5);
    QFont captionFont = reviewCaption->font();
    captionFont.setBold(true);
    reviewCaption->setFont(captionFont);
    listarevision = new QListWidget(page5);
    listarevision->setObjectName(QStringLiteral("listarevision"));
    listarevision->setAccessibleName(QStringLiteral("Revisión"));
    listarevision->setWordWrap(true);
    listarevision->setTextElideMode(Qt::ElideNone);
    listarevision->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listarevision->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    listarevision->setUniformItemSizes(false);
    listarevision->setItemDelegate(new WrappedEntryDelegate(listarevision));
    listarevision->setResizeMode(QListView::Adjust); // wrapped lines measured again when the width changes
    listarevision->setMinimumWidth(220);
    listarevision->setSpacing(3);
    listarevision->setIconSize(QSize(16, 16));
    reviewCaption->setBuddy(listarevision);
    reviewColumn->addWidget(reviewCaption);
    reviewColumn->addWidget(listarevision, 1);
    body->addLayout(reviewColumn, 1);
    column->addLayout(body, 1);

    auto* xmlTab = new QWidget;
    xmlTab->setObjectName(QStringLiteral("TabSheet1"));
    auto* templateCaption = makeCaption(xmlTab, QStringLiteral("Plantilla HTML:"), 16, 16, 130);
    txtplant = new QLineEdit(xmlTab);
    txtplant->setObjectName(QStringLiteral("txtplant"));
    txtplant->setGeometry(146, 16, 300, 24);
    auto* templateButton =
        makeIconButton(xmlTab, "btabrson11", "open-file", QStringLiteral("Folla de estilo"), 26);
    templateButton->move(450, 15);
    for (QWidget* hidden : {static_cast<QWidget*>(templateCaption), static_cast<QWidget*>(txtplant),
                            static_cast<QWidget*>(templateButton)})
        hidden->hide();
    auto* xmlNote = new QLabel(QStringLiteral("Garda o cuestionario no formato propio de Vireta, "
                                              "para abrilo e editalo de novo."),
                               xmlTab);
    xmlNote->setWordWrap(true);
    xmlNote->setGeometry(16, 16, 360, 60);
    ctformatos->addTab(xmlTab, QStringLiteral("XML"));

    auto* htmlTab = new QWidget;
    htmlTab->setObjectName(QStringLiteral("TabSheet2"));
    // The boxes leave room for the review beside the tabs.
    constexpr int box = 220;
    estilo = addTabBox(htmlTab, "estilo", QStringLiteral("Folla de estilo:"), 12, box);
    auto* styleButton =
        makeIconButton(htmlTab, "btabrson10", "open-file", QStringLiteral("Folla de estilo"), 26);
    styleButton->move(16 + 130 + box + 4, 11);
    enviar = addTabBox(htmlTab, "enviar", QStringLiteral("Enviar a ...."), 42, box);
    Campo1 = addTabBox(htmlTab, "Campo1", QStringLiteral("Campo1"), 72, 90);
    lonx1 = addLabelledBox(htmlTab, "lonx1", QStringLiteral("Lonxitude"), 246, 72, 76, 44);
    lonx1->setText(QStringLiteral("20"));
    lonx1->setAccessibleName(QStringLiteral("Lonxitude do campo 1"));
    campo2 = addTabBox(htmlTab, "campo2", QStringLiteral("Campo2"), 102, 90);
    lonx2 = addLabelledBox(htmlTab, "lonx2", QStringLiteral("Lonxitude"), 246, 102, 76, 44);
    lonx2->setText(QStringLiteral("20"));
    lonx2->setAccessibleName(QStringLiteral("Lonxitude do campo 2"));
    oculto = addTabBox(htmlTab, "oculto", QStringLiteral("Campo oculto:"), 132, box);
    texto = addTabBox(htmlTab, "texto", QStringLiteral("Texto:"), 162, box);
    chkutf = new QCheckBox(QStringLiteral("UTF-8"), htmlTab);
    chkutf->setObjectName(QStringLiteral("chkutf"));
    chkutf->setChecked(true);
    chkutf->setGeometry(146, 196, 80, 24);
    chkrevolver = new QCheckBox(QStringLiteral("Revolver respostas"), htmlTab);
    chkrevolver->setObjectName(QStringLiteral("chkrevolver"));
    chkrevolver->setGeometry(230, 196, 170, 24);
    ctformatos->addTab(htmlTab, QStringLiteral("HTML"));

    auto* jsTab = new QWidget;
    jsTab->setObjectName(QStringLiteral("TabSheet3"));
    estilojs = addTabBox(jsTab, "estilojs", QStringLiteral("Folla de estilo:"), 12, box);
    auto* styleJsButton =
        makeIconButton(jsTab, "btabrson12", "open-file", QStringLiteral("Folla de estilo"), 26);
    styleJsButton->move(16 + 130 + box + 4, 11);
    txboton = addTabBox(jsTab, "txboton", QStringLiteral("Texto do botón:"), 42, box);
    ctformatos->addTab(jsTab, QStringLiteral("JavaScript"));

    auto* ebkTab = new QWidget;
    ebkTab->setObjectName(QStringLiteral("TabSheet4"));
    auto* ebkNote = new QLabel(QStringLiteral("Garda o cuestionario como libro ebk, na orde das "
                                              "preguntas, para o reprodutor de libros."),
                               ebkTab);
    ebkNote->setWordWrap(true);
    ebkNote->setGeometry(16, 16, 360, 60);
    ctformatos->addTab(ebkTab, QStringLiteral("EBK"));

    auto* webTab = new QWidget;
    webTab->setObjectName(QStringLiteral("TabSheet5"));
    auto* webNote = new QLabel(QStringLiteral("Garda o cuestionario como xogo para calquera "
                                              "navegador: unha pregunta cada vez, coas súas "
                                              "mensaxes e sons."),
                               webTab);
    webNote->setWordWrap(true);
    webNote->setGeometry(16, 16, 360, 60);
    chkunarquivo = new QCheckBox(QStringLiteral("Todo nun só arquivo"), webTab);
    chkunarquivo->setObjectName(QStringLiteral("chkunarquivo"));
    chkunarquivo->setGeometry(16, 86, 300, 24);
    chkscorm = new QCheckBox(QStringLiteral("Paquete SCORM"), webTab);
    chkscorm->setObjectName(QStringLiteral("chkscorm"));
    chkscorm->setGeometry(16, 116, 300, 24);
    auto* passCaption = makeCaption(webTab, QStringLiteral("Nota para aprobar (%)"), 40, 149, 170);
    notaaprobar = new QSpinBox(webTab);
    notaaprobar->setObjectName(QStringLiteral("notaaprobar"));
    notaaprobar->setRange(0, 100);
    notaaprobar->setValue(50);
    notaaprobar->setGeometry(214, 146, 70, 26);
    notaaprobar->setAccessibleName(QStringLiteral("Nota para aprobar (%)"));
    notaaprobar->setEnabled(false);
    passCaption->setBuddy(notaaprobar);
    passCaption->setEnabled(false);
    connect(chkscorm, &QCheckBox::toggled, notaaprobar, &QWidget::setEnabled);
    connect(chkscorm, &QCheckBox::toggled, passCaption, &QWidget::setEnabled);
    ctformatos->addTab(webTab, QStringLiteral("Web"));
    // Tab 5, "Outros": the formats of learning platforms' question banks.
    TabSheet6 = new QWidget;
    TabSheet6->setObjectName(QStringLiteral("TabSheet6"));
    auto* otherCaption = makeCaption(TabSheet6, QStringLiteral("Formato:"), 16, 12, 130);
    (void)otherCaption;
    outrosformato = new QButtonGroup(TabSheet6);
    outrosformato->setObjectName(QStringLiteral("outrosformato"));
    const struct {
        QRadioButton** button;
        const char* name;
        QString caption;
        QString note;
        Format format;
    } choices[] = {
        {&optmoodle, "optmoodle", QStringLiteral("Moodle XML"),
         QStringLiteral("Banco de preguntas para Moodle, coas imaxes e os sons dentro."),
         Format::Moodle},
        {&optgift, "optgift", QStringLiteral("GIFT"),
         QStringLiteral("Texto para Moodle e outras plataformas; non leva imaxes nin sons."),
         Format::Gift},
        {&optaiken, "optaiken", QStringLiteral("Aiken"),
         QStringLiteral("Texto simple: enunciado, opcións e resposta correcta."), Format::Aiken},
        {&optcsv, "optcsv", QStringLiteral("Folla de cálculo (CSV)"),
         QStringLiteral("Unha pregunta por fila, para LibreOffice Calc e outras follas."),
         Format::Csv},
    };
    int y = 12;
    for (const auto& c : choices) {
        auto* b = new QRadioButton(c.caption, TabSheet6);
        b->setObjectName(QLatin1String(c.name));
        b->setGeometry(146, y, 250, 24);
        b->setAccessibleDescription(c.note);
        // Each note under its choice, so the tab leaves room for the review beside it.
        auto* note = new QLabel(c.note, TabSheet6);
        note->setGeometry(170, y + 22, 240, 32);
        note->setWordWrap(true);
        outrosformato->addButton(b, static_cast<int>(c.format));
        *c.button = b;
        y += 60;
    }
    optmoodle->setChecked(true);
    // The tab stands for the format chosen in it.
    TabSheet6->setProperty("format", static_cast<int>(Format::Moodle));
    ctformatos->addTab(TabSheet6, QStringLiteral("Outros"));

    // The paper test: its tab stands seventh, after the web and other formats.
    paperTab = new QWidget;
    paperTab->setObjectName(QStringLiteral("TabSheet7"));
    paperTab->setProperty("format", static_cast<int>(Format::Pdf));
    makeCaption(paperTab, QStringLiteral("Modelos:"), 16, 16, 130);
    paperVersions = new QSpinBox(paperTab);
    paperVersions->setObjectName(QStringLiteral("paperVersions"));
    paperVersions->setRange(1, kMaxPaperVersions);
    paperVersions->setValue(1);
    paperVersions->setAccessibleName(QStringLiteral("Modelos"));
    paperVersions->setGeometry(146, 14, 60, 24);
    makeCaption(paperTab, QStringLiteral("Papel:"), 16, 48, 130);
    paperSize = new QComboBox(paperTab);
    paperSize->setObjectName(QStringLiteral("paperSize"));
    paperSize->addItems({QStringLiteral("A4"), QStringLiteral("Carta (EUA)")});
    paperSize->setAccessibleName(QStringLiteral("Papel"));
    paperSize->setGeometry(146, 46, 140, 24);
    paperShuffleAnswers = new QCheckBox(QStringLiteral("Revolver respostas"), paperTab);
    paperShuffleAnswers->setObjectName(QStringLiteral("paperShuffleAnswers"));
    paperShuffleAnswers->setChecked(true);
    paperShuffleAnswers->setGeometry(146, 80, 220, 24);
    paperKeyApart = new QCheckBox(QStringLiteral("Solucións á parte"), paperTab);
    paperKeyApart->setObjectName(QStringLiteral("paperKeyApart"));
    paperKeyApart->setGeometry(146, 108, 220, 24);
    paperPrint = makeSectionButton(paperTab, "paperPrint", QStringLiteral("Imprimir…"), "print");
    paperPrint->setGeometry(146, 146, 110, 56);
    auto* paperNote = new QLabel(QStringLiteral("Garda a proba en papel como PDF, cada modelo coa súa "
                                                "orde, e as solucións ao final."),
                                 paperTab);
    paperNote->setWordWrap(true);
    paperNote->setGeometry(16, 214, 360, 60);
    ctformatos->insertTab(6, paperTab, QStringLiteral("Papel"));

    auto* strip = makePanel(page5, "Panel19");
    strip->setFixedHeight(76);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(16, 0, 16, 0);
    chkcopia = new QCheckBox(QStringLiteral("Copiar arquivos"), strip);
    chkcopia->setObjectName(QStringLiteral("chkcopia"));
    chkcopia->setChecked(true);
    chkempaqueta = new QCheckBox(QStringLiteral("Empaquetar"), strip);
    chkempaqueta->setObjectName(QStringLiteral("chkempaqueta"));
    chkempaqueta->setChecked(true);
    btnavegador =
        makeSectionButton(strip, "btnavegador", QStringLiteral("Ver no navegador"), "browser");
    btnavegador->setToolTip(QStringLiteral("Abrir esta páxina no navegador sen gardala"));
    btgarda = makeSectionButton(strip, "btgarda", QStringLiteral("Gardar"), "export");
    btgarda->setMinimumWidth(80);
    // As tall as "Gardar", so the three share a row of the tab order and Tab reaches
    // both check boxes before the button.
    for (QCheckBox* box : {chkcopia, chkempaqueta})
        box->setFixedHeight(btgarda->sizeHint().height());
    row->addWidget(chkcopia);
    row->addSpacing(24);
    row->addWidget(chkempaqueta);
    row->addStretch(1);
    row->addWidget(btnavegador);
    row->addSpacing(8);
    row->addWidget(btgarda);
    column->addWidget(strip);

    // The tabs' controls stand where they were put: the tabs ask for the width of the
    // widest of them beside the review (a new tab's controls should still stay within
    // about 410 pixels, the room the design width leaves).
    // (childrenRect() would not do: before the window is shown every child counts as
    // hidden; only the ones hidden on purpose are left out here.)
    int widest = 0;
    for (int i = 0; i < ctformatos->count(); ++i) {
        for (QWidget* w : ctformatos->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!(w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide)))
                widest = std::max(widest, w->geometry().right() + 1);
        }
    }
    ctformatos->setMinimumWidth(std::max(widest + 12, ctformatos->tabBar()->sizeHint().width()));

    connect(ctformatos, &QTabWidget::currentChanged, this, &TForm1::ctformatosChange);
    connect(outrosformato, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked)
            return;
        TabSheet6->setProperty("format", id);
        ctformatosChange(ctformatos->currentIndex());
    });
    connect(btgarda, &QToolButton::clicked, this, &TForm1::btgardaClick);
    connect(btnavegador, &QToolButton::clicked, this, &TForm1::btnavegadorClick);
    connect(listarevision, &QListWidget::itemActivated, this, &TForm1::listarevisionActivated);
    connect(chkrevolver, &QCheckBox::toggled, this, &TForm1::refreshReview);
    connect(styleButton, &QToolButton::clicked, this, &TForm1::btabrson10Click);
    connect(templateButton, &QToolButton::clicked, this, &TForm1::btabrson10Click);
    connect(styleJsButton, &QToolButton::clicked, this, &TForm1::btabrson12Click);
    connect(paperPrint, &QToolButton::clicked, this, &TForm1::btimprimirClick);
}

} // namespace vireta
