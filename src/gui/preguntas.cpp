#include "preguntas.h"

#include "formats/book.h"
#include "formats/form_page.h"
#include "formats/marking_page.h"
#include "formats/quiz_file.h"
#include "media/image_decoder.h"
#include "media/preview_cache.h"
#include "model/question_order.h"
#include "preview_box.h"
#include "sound_player.h"
#include "text.h"
#include "xml/XMLParser.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProgressDialog>
#include <QTabWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

// The pictures are compiled into the window's static library; make sure they are linked.
static void initResources() { Q_INIT_RESOURCE(vireta); }

namespace vireta {
namespace {

const QColor kBarYellow(255, 222, 40);
const QColor kStripLime(166, 226, 46);
const QColor kAnswerYellow(245, 233, 139);
const QColor kTextGreen(0, 110, 40);

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string toUtf8(const QString& s) { return s.toUtf8().toStdString(); }

// One icon per picture, shared by every button that shows it (so it is drawn once).
QHash<QString, QIcon>& sharedIcons() {
    static QHash<QString, QIcon> icons;
    static const bool releasedWithTheApplication = [] {
        // Icons must go before the application unloads the plugin that draws them.
        qAddPostRoutine([] { sharedIcons().clear(); });
        return true;
    }();
    (void)releasedWithTheApplication;
    return icons;
}

QIcon icon(const char* name) {
    QHash<QString, QIcon>& icons = sharedIcons();
    const QString key = QLatin1String(name);
    auto found = icons.find(key);
    if (found == icons.end())
        found = icons.insert(key, QIcon(QStringLiteral(":/icons/%1.svg").arg(key)));
    return *found;
}

void fillBackground(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

QFrame* makePanel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    return panel;
}

QToolButton* makeSectionButton(QWidget* parent, const char* name, const QString& caption,
                               const char* iconName) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setIcon(icon(iconName));
    b->setIconSize(QSize(28, 28));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::TabFocus);
    b->setAccessibleName(caption);
    return b;
}

QToolButton* makeIconButton(QWidget* parent, const char* name, const char* iconName,
                            const QString& tip, int size) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon(iconName));
    b->setIconSize(QSize(size - 8, size - 8));
    b->setAutoRaise(true);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->resize(size, size);
    return b;
}

QLabel* makeCaption(QWidget* parent, const QString& text, int x, int y, int width) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, width, 24);
    return l;
}

const QString kOpenTitle = QStringLiteral("Abrir un archivo existente");

// Tab moves through the controls of a page in reading order: row by row (controls whose
// tops are less than half a row apart share one), left to right within a row.
void orderTabsByPosition(QWidget* page) {
    struct Place {
        QWidget* widget;
        QPoint at;
    };
    // Layouts place their widgets only when activated: do it now, so positions are real.
    if (page->layout())
        page->layout()->activate();
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->layout())
            w->layout()->activate();
    }
    std::vector<Place> places;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->focusPolicy() & Qt::TabFocus && !w->isHidden() && !w->isWindow())
            places.push_back({w, w->mapTo(page, QPoint(0, 0))});
    }
    std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        if (std::abs(a.at.y() - b.at.y()) >= 12)
            return a.at.y() < b.at.y();
        return a.at.x() < b.at.x();
    });
    for (std::size_t i = 1; i < places.size(); ++i)
        QWidget::setTabOrder(places[i - 1].widget, places[i].widget);
}

// The ordering list: its drags and drops go to the window's handlers.
class OrderingList : public QListWidget {
public:
    explicit OrderingList(TForm1* form, QWidget* parent) : QListWidget(parent), form_(form) {
        setDragEnabled(true);
        setAcceptDrops(true);
        setDropIndicatorShown(false);
        setDragDropMode(QAbstractItemView::DragDrop);
        setDefaultDropAction(Qt::CopyAction);
        setSelectionMode(QAbstractItemView::SingleSelection);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { acceptFromSelf(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { acceptFromSelf(event); }
    void dropEvent(QDropEvent* event) override {
        if (!form_->listapreguntasDragOver(event->source())) {
            event->ignore();
            return;
        }
        // Copy, not move: the view must not remove the dragged item itself.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        form_->listapreguntasDragDrop(event->position().toPoint());
    }

private:
    void acceptFromSelf(QDragMoveEvent* event) {
        if (form_->listapreguntasDragOver(event->source())) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

    TForm1* form_;
};

} // namespace

TForm1::TForm1(Dialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs) {
    initResources();
    player_ = new SoundPlayer(this);
    document_ = std::make_unique<TXMLDoc>();
    previews_ = std::make_unique<PreviewCache>();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vireta"));
    setWindowIcon(icon("vireta"));

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

    for (QWidget* page : {page1, page2, page3, page4, page5})
        orderTabsByPosition(page);

    // The client area that goes with an outer frame of the design size.
    resize(kDesignWidth - 16, kDesignHeight - 39);
    FormCreate();
}

TForm1::~TForm1() = default;

// ---------------------------------------------------------------- construction

void TForm1::buildTopBar() {
    Panel1 = makePanel(this, "Panel1");
    Panel1->setFixedHeight(53);
    fillBackground(Panel1, kBarYellow);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);

    Panel3 = makePanel(Panel1, "Panel3");
    Panel3->setFixedWidth(214);
    auto* left = new QHBoxLayout(Panel3);
    left->setContentsMargins(4, 0, 4, 0);
    left->setSpacing(0);
    btinicio = makeSectionButton(Panel3, "btinicio", QStringLiteral("Inicio"), "home");
    btpreg = makeSectionButton(Panel3, "btpreg", QStringLiteral("Preguntas"), "questions");
    btfinal = makeSectionButton(Panel3, "btfinal", QStringLiteral("Final"), "finish");
    for (auto* b : {btinicio, btpreg, btfinal})
        left->addWidget(b, 1);

    Panel4 = makePanel(Panel1, "Panel4");
    Panel4->setFixedWidth(243);
    auto* right = new QHBoxLayout(Panel4);
    right->setContentsMargins(4, 0, 4, 0);
    right->setSpacing(0);
    btnovo = makeSectionButton(Panel4, "btnovo", QStringLiteral("Novo"), "new");
    btabrir = makeSectionButton(Panel4, "btabrir", QStringLiteral("Abrir"), "open");
    btexportar = makeSectionButton(Panel4, "btexportar", QStringLiteral("Exportar"), "export");
    btaxuda = makeSectionButton(Panel4, "btaxuda", QStringLiteral("Axuda"), "help");
    for (auto* b : {btnovo, btabrir, btexportar, btaxuda})
        right->addWidget(b, 1);

    bar->addWidget(Panel3);
    bar->addStretch(1);
    bar->addWidget(Panel4);

    connect(btinicio, &QToolButton::clicked, this, &TForm1::btinicioClick);
    connect(btpreg, &QToolButton::clicked, this, &TForm1::btpregClick);
    connect(btfinal, &QToolButton::clicked, this, &TForm1::btfinalClick);
    connect(btnovo, &QToolButton::clicked, this, &TForm1::btnovoClick);
    connect(btabrir, &QToolButton::clicked, this, &TForm1::btabrirClick);
    connect(btexportar, &QToolButton::clicked, this, &TForm1::btexportarClick);
    connect(btaxuda, &QToolButton::clicked, this, &TForm1::btaxudaClick);

    Panel2 = makePanel(this, "Panel2");
    Panel2->setFixedHeight(28);
    fillBackground(Panel2, kStripLime);
    auto* strip = new QHBoxLayout(Panel2);
    strip->setContentsMargins(12, 0, 12, 0);
    seccion = new QLabel(Panel2);
    seccion->setObjectName(QStringLiteral("seccion"));
    QFont bold = seccion->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    seccion->setFont(bold);
    strip->addWidget(seccion);
}

QLineEdit* TForm1::addLabelledBox(QWidget* parent, const char* name, const QString& caption,
                                  int x, int y, int captionWidth, int boxWidth) {
    auto* label = makeCaption(parent, caption, x, y, captionWidth);
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x + captionWidth, y, boxWidth, 24);
    box->setAccessibleName(caption);
    label->setBuddy(box);
    return box;
}

QLineEdit* TForm1::addPathBox(QWidget* parent, const char* name, const char* openName,
                              const char* playName, int x, int y, int width,
                              const QString& accessibleName) {
    auto* open = makeIconButton(parent, openName, "open-file",
                                QStringLiteral("Abrir: ") + accessibleName, 26);
    open->move(x, y - 1);
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x + 28, y, width - 56, 24);
    box->setAccessibleName(accessibleName);
    box->setPlaceholderText(accessibleName);
    if (playName) {
        auto* play = makeIconButton(parent, playName, "play",
                                    QStringLiteral("Escoitar: ") + accessibleName, 26);
        play->move(x + width - 26, y - 1);
        connect(open, &QToolButton::clicked, this, [this, box] { abreson(box); });
        connect(play, &QToolButton::clicked, this, [this, box] { sona(box->text()); });
    } else { // the image box: pick, then preview at once
        connect(open, &QToolButton::clicked, this, [this, box] {
            abreimaxe(box);
            ponimaxe(imaxe, box);
        });
    }
    return box;
}

void TForm1::buildGeneralPage() {
    page1 = new QWidget;
    page1->setObjectName(QStringLiteral("page1"));
    nota->addWidget(page1);
    panelb = makePanel(page1, "panelb");
    panelb->setGeometry(8, 0, 684, 404);

    const int cx = 16, cw = 74, bw = 330;
    titulotx = addLabelledBox(panelb, "titulotx", QStringLiteral("Título"), cx, 16, cw, bw);
    subtitulotx =
        addLabelledBox(panelb, "subtitulotx", QStringLiteral("Subtítulo"), cx, 48, cw, bw);
    autortx = addLabelledBox(panelb, "autortx", QStringLiteral("Autor"), cx, 80, cw, bw);
    axudatx = addLabelledBox(panelb, "axudatx", QStringLiteral("Axuda"), cx, 112, cw, bw);
    tempotx = addLabelledBox(panelb, "tempotx", QStringLiteral("Tempo"), cx, 144, cw, 80);
    ordech = new QCheckBox(QStringLiteral("Con orde"), panelb);
    ordech->setObjectName(QStringLiteral("ordech"));
    ordech->setGeometry(cx + cw + 110, 144, 140, 24);

    sontx = addPathBox(panelb, "sontx", "btabrson1", "btponson1", 440, 16, 224,
                       QStringLiteral("Son da introdución"));

    makeCaption(panelb, QStringLiteral("Intro"), cx, 176, cw);
    introtx = new QPlainTextEdit(panelb);
    introtx->setObjectName(QStringLiteral("introtx"));
    introtx->setGeometry(cx + cw, 176, 574, 104);
    introtx->setAccessibleName(QStringLiteral("Intro"));
    introtx->setTabChangesFocus(true);

    auto* common = new QFrame(panelb);
    common->setObjectName(QStringLiteral("GroupBox1"));
    common->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    common->setGeometry(cx, 296, 648, 100);
    auto* heading = makeCaption(common, QStringLiteral("Repetir para todos..."), 10, 4, 300);
    QFont f = heading->font();
    f.setBold(true);
    heading->setFont(f);
    txtcorcomun =
        addLabelledBox(common, "txtcorcomun", QStringLiteral("Correcto"), 10, 34, 80, 270);
    txtsoncorcomun = addPathBox(common, "txtsoncorcomun", "btabrson2", "btponson2", 372, 34, 266,
                                QStringLiteral("Son común de acerto"));
    txtincorcomun =
        addLabelledBox(common, "txtincorcomun", QStringLiteral("Incorrecto"), 10, 66, 80, 270);
    txtsonincorcomun = addPathBox(common, "txtsonincorcomun", "btabrson3", "btponson3", 372, 66,
                                  266, QStringLiteral("Son común de erro"));
}

void TForm1::buildQuestionsPage() {
    page2 = new QWidget;
    page2->setObjectName(QStringLiteral("page2"));
    nota->addWidget(page2);
    panelpr = makePanel(page2, "panelpr");
    panelpr->setGeometry(8, 0, 684, 404);

    txtpreg = addLabelledBox(panelpr, "txtpreg", QStringLiteral("Pregunta"), 16, 10, 74, 570);

    imaxe = new PreviewBox(panelpr);
    imaxe->setObjectName(QStringLiteral("imaxe"));
    imaxe->setGeometry(16, 44, kPreviewBoxWidth + 4, kPreviewBoxHeight + 4); // inside a 2-pixel bevel
    txtimaxe = addPathBox(panelpr, "txtimaxe", "btabrson9", nullptr, 16, 204, 200,
                          QStringLiteral("Imaxe da pregunta"));
    SpeedButton14 = makeIconButton(panelpr, "SpeedButton14", "refresh",
                                   QStringLiteral("Actualizar a imaxe"), 26);
    SpeedButton14->move(16 + 200 - 26, 203);

    makeCaption(panelpr, QStringLiteral("Respostas"), 230, 40, 120);
    auto* correct = new QFrame(panelpr);
    correct->setObjectName(QStringLiteral("Panel15"));
    correct->setGeometry(230, 64, 438, 36);
    correct->setStyleSheet(QStringLiteral("#Panel15 { background: %1; border: 2px solid %2; }")
                               .arg(kAnswerYellow.name(), kStripLime.name()));
    auto* correctCaption = makeCaption(correct, QStringLiteral("Correcta"), 8, 6, 70);
    QFont captionFont = correctCaption->font();
    captionFont.setBold(true);
    correctCaption->setFont(captionFont);
    txtresp1 = new QLineEdit(correct);
    txtresp1->setObjectName(QStringLiteral("txtresp1"));
    txtresp1->setGeometry(80, 6, 350, 24);
    txtresp1->setAccessibleName(QStringLiteral("Resposta correcta"));
    txtresp1->setStyleSheet(QStringLiteral("font-weight: bold; color: rgb(0, 0, 200);"));

    const char* wrongNames[] = {"txtresp2", "txtresp3", "txtresp4"};
    QLineEdit** wrongBoxes[] = {&txtresp2, &txtresp3, &txtresp4};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QLineEdit(panelpr);
        box->setObjectName(QLatin1String(wrongNames[i]));
        box->setGeometry(310, 108 + 30 * i, 350, 24);
        box->setAccessibleName(QStringLiteral("Resposta incorrecta %1").arg(i + 1));
        box->setStyleSheet(QStringLiteral("font-weight: bold; color: rgb(110, 110, 110);"));
        *wrongBoxes[i] = box;
    }

    txtson = addPathBox(panelpr, "txtson", "btabrson6", "btponson4", 230, 204, 438,
                        QStringLiteral("Son da pregunta"));
    txtcor = addLabelledBox(panelpr, "txtcor", QStringLiteral("Correcto"), 16, 244, 74, 300);
    txtsoncor = addPathBox(panelpr, "txtsoncor", "btabrson4", "btponson5", 400, 244, 268,
                           QStringLiteral("Son de acerto"));
    txtincor = addLabelledBox(panelpr, "txtincor", QStringLiteral("Incorrecto"), 16, 276, 74, 300);
    txtsonincor = addPathBox(panelpr, "txtsonincor", "btabrson5", "btponson6", 400, 276, 268,
                             QStringLiteral("Son de erro"));
    txtenlace = addLabelledBox(panelpr, "txtenlace", QStringLiteral("Enlace"), 16, 308, 74, 578);

    auto* nav = makePanel(panelpr, "Panel16");
    nav->setGeometry(16, 346, 652, 46);
    fillBackground(nav, kStripLime);
    auto* row = new QHBoxLayout(nav);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(4);
    struct NavButton {
        QToolButton** button;
        const char* name;
        const char* iconName;
        const char* tip;
        QKeySequence shortcut;
    };
    const NavButton navButtons[] = {
        {&btmostra, "btmostra", "list", "Ordear as preguntas", QKeySequence(Qt::ALT | Qt::Key_O)},
        {&SpeedButton20, "SpeedButton20", "delete", "Borrar a pregunta",
         QKeySequence(Qt::ALT | Qt::Key_Delete)},
        {&SpeedButton21, "SpeedButton21", "first", "Primeira pregunta",
         QKeySequence(Qt::ALT | Qt::Key_Home)},
        {&SpeedButton22, "SpeedButton22", "previous", "Pregunta anterior",
         QKeySequence(Qt::ALT | Qt::Key_PageUp)},
        {&btinserir, "btinserir", "insert", "Inserir unha pregunta",
         QKeySequence(Qt::ALT | Qt::Key_Insert)},
        {&SpeedButton24, "SpeedButton24", "next", "Seguinte pregunta",
         QKeySequence(Qt::ALT | Qt::Key_PageDown)},
        {&SpeedButton25, "SpeedButton25", "last", "Última pregunta",
         QKeySequence(Qt::ALT | Qt::Key_End)},
    };
    for (const auto& nb : navButtons) {
        *nb.button = makeIconButton(nav, nb.name, nb.iconName, QString::fromUtf8(nb.tip), 38);
        (*nb.button)->setShortcut(nb.shortcut);
        (*nb.button)->setToolTip(QStringLiteral("%1 (%2)").arg(
            QString::fromUtf8(nb.tip), nb.shortcut.toString(QKeySequence::NativeText)));
        row->addWidget(*nb.button);
    }
    npreg = new QLineEdit(QStringLiteral("00"), nav);
    npreg->setObjectName(QStringLiteral("npreg"));
    npreg->setFixedWidth(52);
    npreg->setAlignment(Qt::AlignCenter);
    npreg->setAccessibleName(QStringLiteral("Número de pregunta"));
    QFont nf = npreg->font();
    nf.setBold(true);
    npreg->setFont(nf);
    row->addWidget(npreg);
    btira = makeIconButton(nav, "btira", "goto", QStringLiteral("Ir á pregunta"), 38);
    btira->setToolTip(QStringLiteral("Ir á pregunta (Intro no número)"));
    row->addWidget(btira);
    connect(npreg, &QLineEdit::returnPressed, btira, &QToolButton::click);
    row->addStretch(1);

    questionControls_ = {txtpreg, txtresp1, txtresp2, txtresp3, txtresp4, txtimaxe,
                         txtson,  txtcor,   txtsoncor, txtincor, txtsonincor, txtenlace};

    connect(SpeedButton20, &QToolButton::clicked, this, &TForm1::SpeedButton20Click);
    connect(SpeedButton21, &QToolButton::clicked, this, &TForm1::SpeedButton21Click);
    connect(SpeedButton22, &QToolButton::clicked, this, &TForm1::SpeedButton22Click);
    connect(btinserir, &QToolButton::clicked, this, &TForm1::btinserirClick);
    connect(SpeedButton24, &QToolButton::clicked, this, &TForm1::SpeedButton24Click);
    connect(SpeedButton25, &QToolButton::clicked, this, &TForm1::SpeedButton25Click);
    connect(btira, &QToolButton::clicked, this, &TForm1::btiraClick);
    connect(btmostra, &QToolButton::clicked, this, &TForm1::btmostraClick);
    connect(SpeedButton14, &QToolButton::clicked, this, [this] { ponimaxe(imaxe, txtimaxe); });
}

void TForm1::buildEndPage() {
    page3 = new QWidget;
    page3->setObjectName(QStringLiteral("page3"));
    nota->addWidget(page3);
    Panel17 = makePanel(page3, "Panel17");
    Panel17->setGeometry(40, 70, 619, 328);
    auto* heading = makeCaption(Panel17, QStringLiteral("Mensaxes ao rematar o xogo"), 20, 0, 400);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);

    bentx = addLabelledBox(Panel17, "bentx", QStringLiteral("Xogo finalizado ben."), 20, 40, 170,
                           400);
    sonbentx = addPathBox(Panel17, "sonbentx", "btabrson7", "btponson7", 162, 74, 456,
                          QStringLiteral("Son do xogo finalizado ben"));
    maltx = addLabelledBox(Panel17, "maltx", QStringLiteral("Xogo finalizado mal."), 20, 140, 170,
                           400);
    sonmaltx = addPathBox(Panel17, "sonmaltx", "btabrson8", "btponson8", 162, 174, 456,
                          QStringLiteral("Son do xogo finalizado mal"));
}

void TForm1::buildOrderingPage() {
    page4 = new QWidget;
    page4->setObjectName(QStringLiteral("page4"));
    nota->addWidget(page4);
    auto* row = new QHBoxLayout(page4);
    row->setContentsMargins(0, 0, 8, 0);
    listapreguntas = new OrderingList(this, page4);
    listapreguntas->setObjectName(QStringLiteral("listapreguntas"));
    listapreguntas->setFixedWidth(386);
    listapreguntas->setAccessibleName(QStringLiteral("Preguntas en orde"));
    row->addWidget(listapreguntas);

    auto* side = new QVBoxLayout;
    btordea = new QToolButton(page4);
    btordea->setObjectName(QStringLiteral("btordea"));
    btordea->setText(QStringLiteral("Ordear"));
    btordea->setIcon(icon("order"));
    btordea->setIconSize(QSize(32, 32));
    btordea->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    btordea->setAutoRaise(true);
    btordea->setCursor(Qt::PointingHandCursor);
    btordea->setAccessibleName(QStringLiteral("Ordear"));
    side->addWidget(btordea, 0, Qt::AlignRight);
    auto* hint = new QLabel(QStringLiteral("Arrastre as preguntas ata o seu novo lugar e "
                                           "prema \"Ordear\" para aplicar a nova orde."),
                            page4);
    hint->setWordWrap(true);
    hint->setMaximumWidth(240);
    side->addWidget(hint, 0, Qt::AlignRight);
    side->addStretch(1);
    row->addLayout(side, 1);

    connect(btordea, &QToolButton::clicked, this, &TForm1::btordeaClick);
}

QLineEdit* TForm1::addTabBox(QWidget* tab, const char* name, const QString& caption, int y,
                             int width, const QString& text) {
    QLineEdit* box = addLabelledBox(tab, name, caption, 16, y, 130, width);
    box->setText(text);
    return box;
}

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
        " padding: 5px 16px; margin: 2px 4px 6px 0; background: rgb(250, 250, 245); }"
        "QTabBar::tab:selected { background: rgb(255, 222, 40); border-color: rgb(120, 110, 20);"
        " font-weight: bold; }"
        "QTabBar::tab:hover { background: rgb(255, 240, 160); }"));
    column->addWidget(ctformatos, 1);

    auto* xmlTab = new QWidget;
    xmlTab->setObjectName(QStringLiteral("TabSheet1"));
    auto* templateCaption = makeCaption(xmlTab, QStringLiteral("Plantilla HTML:"), 16, 16, 130);
    txtplant = new QLineEdit(xmlTab);
    txtplant->setObjectName(QStringLiteral("txtplant"));
    txtplant->setGeometry(146, 16, 300, 24);
    auto* templateButton =
        makeIconButton(xmlTab, "btabrson11", "open-file", QStringLiteral("Folla de estilo"), 26);
    templateButton->move(450, 15);
    for (QWidget* hidden : {static_cast<QWidget*>(templateCaption),
                            static_cast<QWidget*>(txtplant), static_cast<QWidget*>(templateButton)})
        hidden->hide();
    auto* xmlNote = new QLabel(QStringLiteral("Garda o cuestionario no formato propio de Vireta, "
                                              "para abrilo e editalo de novo."),
                               xmlTab);
    xmlNote->setWordWrap(true);
    xmlNote->setGeometry(16, 16, 560, 40);
    ctformatos->addTab(xmlTab, QStringLiteral("XML"));

    auto* htmlTab = new QWidget;
    htmlTab->setObjectName(QStringLiteral("TabSheet2"));
    estilo = addTabBox(htmlTab, "estilo", QStringLiteral("Folla de estilo:"), 12, 330);
    auto* styleButton =
        makeIconButton(htmlTab, "btabrson10", "open-file", QStringLiteral("Folla de estilo"), 26);
    styleButton->move(16 + 130 + 334, 11);
    enviar = addTabBox(htmlTab, "enviar", QStringLiteral("Enviar a ...."), 42, 330);
    Campo1 = addTabBox(htmlTab, "Campo1", QStringLiteral("Campo1"), 72, 200);
    lonx1 = addLabelledBox(htmlTab, "lonx1", QStringLiteral("Lonxitude"), 370, 72, 76, 50);
    lonx1->setText(QStringLiteral("20"));
    lonx1->setAccessibleName(QStringLiteral("Lonxitude do campo 1"));
    campo2 = addTabBox(htmlTab, "campo2", QStringLiteral("Campo2"), 102, 200);
    lonx2 = addLabelledBox(htmlTab, "lonx2", QStringLiteral("Lonxitude"), 370, 102, 76, 50);
    lonx2->setText(QStringLiteral("20"));
    lonx2->setAccessibleName(QStringLiteral("Lonxitude do campo 2"));
    oculto = addTabBox(htmlTab, "oculto", QStringLiteral("Campo oculto:"), 132, 330);
    texto = addTabBox(htmlTab, "texto", QStringLiteral("Texto:"), 162, 330);
    chkutf = new QCheckBox(QStringLiteral("UTF-8"), htmlTab);
    chkutf->setObjectName(QStringLiteral("chkutf"));
    chkutf->setChecked(true);
    chkutf->setGeometry(146, 196, 120, 24);
    chkrevolver = new QCheckBox(QStringLiteral("Revolver respostas"), htmlTab);
    chkrevolver->setObjectName(QStringLiteral("chkrevolver"));
    chkrevolver->setGeometry(290, 196, 200, 24);
    ctformatos->addTab(htmlTab, QStringLiteral("HTML"));

    auto* jsTab = new QWidget;
    jsTab->setObjectName(QStringLiteral("TabSheet3"));
    estilojs = addTabBox(jsTab, "estilojs", QStringLiteral("Folla de estilo:"), 12, 330);
    auto* styleJsButton =
        makeIconButton(jsTab, "btabrson12", "open-file", QStringLiteral("Folla de estilo"), 26);
    styleJsButton->move(16 + 130 + 334, 11);
    txboton = addTabBox(jsTab, "txboton", QStringLiteral("Texto do botón:"), 42, 330);
    ctformatos->addTab(jsTab, QStringLiteral("JavaScript"));

    auto* ebkTab = new QWidget;
    ebkTab->setObjectName(QStringLiteral("TabSheet4"));
    auto* ebkNote = new QLabel(QStringLiteral("Garda o cuestionario como libro ebk, na orde das "
                                              "preguntas, para o reprodutor de libros."),
                               ebkTab);
    ebkNote->setWordWrap(true);
    ebkNote->setGeometry(16, 16, 560, 40);
    ctformatos->addTab(ebkTab, QStringLiteral("EBK"));

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
    btgarda = makeSectionButton(strip, "btgarda", QStringLiteral("Gardar"), "export");
    btgarda->setMinimumWidth(80);
    row->addWidget(chkcopia);
    row->addSpacing(24);
    row->addWidget(chkempaqueta);
    row->addStretch(1);
    row->addWidget(btgarda);
    column->addWidget(strip);

    connect(ctformatos, &QTabWidget::currentChanged, this, &TForm1::ctformatosChange);
    connect(btgarda, &QToolButton::clicked, this, &TForm1::btgardaClick);
    connect(styleButton, &QToolButton::clicked, this, &TForm1::btabrson10Click);
    connect(templateButton, &QToolButton::clicked, this, &TForm1::btabrson10Click);
    connect(styleJsButton, &QToolButton::clicked, this, &TForm1::btabrson12Click);
}

void TForm1::buildAboutPage() {
    page6 = new QWidget;
    page6->setObjectName(QStringLiteral("page6"));
    nota->addWidget(page6);
    Panel18 = makePanel(page6, "Panel18");
    Panel18->resize(473, 404);

    QPalette green = Panel18->palette();
    green.setColor(QPalette::WindowText, kTextGreen);
    Panel18->setPalette(green);

    auto* logo = new QLabel(Panel18);
    logo->setPixmap(icon("vireta").pixmap(96, 96));
    logo->setGeometry(24, 40, 96, 96);

    auto* name = new QLabel(QStringLiteral("Vireta"), Panel18);
    QFont big = name->font();
    big.setPointSize(36);
    big.setBold(true);
    name->setFont(big);
    name->setGeometry(136, 44, 320, 64);

    auto* rule = new QFrame(Panel18);
    rule->setFrameStyle(QFrame::HLine | QFrame::Raised);
    rule->setLineWidth(2);
    rule->setGeometry(136, 112, 310, 6);

    auto* title = new QLabel(QStringLiteral("Editor de cuestionarios de resposta múltiple 1.0"),
                             Panel18);
    title->setWordWrap(true);
    title->setGeometry(136, 124, 320, 44);

    auto* authors = new QLabel(QStringLiteral("Autores: o equipo de Vireta"), Panel18);
    authors->setGeometry(136, 360, 320, 24);
}

void TForm1::buildStockPage() {
    page7 = new QWidget;
    page7->setObjectName(QStringLiteral("page7"));
    nota->addWidget(page7);
    flvimax = new QLabel(page7);
    flvimax->setObjectName(QStringLiteral("flvimax"));
    flvimax->setPixmap(icon("video").pixmap(128, 128));
    novale = new QLabel(page7);
    novale->setObjectName(QStringLiteral("novale"));
    novale->setPixmap(icon("invalid").pixmap(64, 64));
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

void TForm1::pasa() { editor_.commit(questionOnScreen()); }

void TForm1::mostra() {
    const Question& q = model_.currentRecord();
    for (int slot = 0; slot < kFieldSlotCount; ++slot)
        questionControls_[slot]->setText(fromUtf8(q.fields[slot]));
    ponimaxe(imaxe, txtimaxe);
    npreg->setText(QString::number(model_.current));

    // The questions shown next are most likely the neighbours: decode their pictures
    // ahead, so that stepping through camera photos stays instant.
    std::vector<std::string> ahead;
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

// Bitmaps and icons, which Qt's reader decodes; metafiles and anything else have no
// reader on this platform and give a null image.
QImage loadWithQt(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != QLatin1String("bmp") && suffix != QLatin1String("ico"))
        return {};
    QImageReader reader(file, suffix.toLatin1());
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

} // namespace

void TForm1::ponimaxe(PreviewBox* box, QLineEdit* path) {
    const QString file = path->text();
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
    if (picture.isNull())
        box->showPicture(novale->pixmap().toImage(), PreviewBox::State::InvalidImage);
    else
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

void TForm1::sona(const QString& path) { player_->play(path); }

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
    return e;
}

void TForm1::ctformatosChange(int index) { formatIndex_ = static_cast<Format>(index); }

void TForm1::btabrson10Click() {
    if (const auto chosen = dialogs_.openFile(this, kOpenTitle, QStringLiteral(" *.css|*.css;*.CSS")))
        estilo->setText(*chosen);
}

void TForm1::btabrson12Click() {
    if (const auto chosen = dialogs_.openFile(this, kOpenTitle, QStringLiteral(" *.css|*.css;*.CSS")))
        estilojs->setText(*chosen);
}

void TForm1::btgardaClick() {
    memo_.clear();
    switch (formatIndex_) {
    case Format::Xml: gardarXML(); break;
    case Format::Html: gardarHTML(); break;
    case Format::JavaScript: gardarjava(); break;
    case Format::Ebk: gardarebk(); break;
    case Format::Odt: gardarodt(); break;
    }
}

void TForm1::gardarXML() {
    garda(writeQuizFile(generalData(), model_.questions, model_.count, memo_));
}

void TForm1::gardarHTML() {
    garda(vireta::gardarHTML(generalData(), model_.questions, model_.count, exportSettings(),
                             generator_, memo_));
}

void TForm1::gardarjava() {
    garda(vireta::gardarjava(generalData(), model_.questions, model_.count, exportSettings(),
                             generator_, memo_));
}

void TForm1::gardarebk() {
    garda(vireta::gardarebk(generalData(), model_.questions, model_.count, memo_));
}

void TForm1::gardarodt() { vireta::gardarodt(memo_); }

void TForm1::garda(const SaveRequest& request) {
    saveStep_.finishLeftover();
    const auto chosen =
        dialogs_.saveFile(this, QStringLiteral("Guardar archivo como"),
                          fromUtf8(request.filter), fromUtf8(saveStep_.lastName()));
    if (!chosen)
        return;

    const GeneralData general = generalData();
    const ExportSettings settings = exportSettings();
    SaveMedia media;
    media.copyFiles = chkcopia->isChecked();
    media.pack = chkempaqueta->isChecked();
    media.format = formatIndex_;
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
        dialogs_.inform(this, fromUtf8(e.userMessage()));
        return;
    } catch (const std::exception&) { // anything else (out of memory...) fails the same way
        progress.close();
        dialogs_.inform(this, QStringLiteral("Non se puido gardar o arquivo :") + *chosen);
        return;
    }
    progress.close();
    if (formatIndex_ == Format::Xml)
        markSaved();
    if (result.archiveRefused)
        dialogs_.inform(this, QStringLiteral("Non se puido gardar o arquivo :") +
                                  fromUtf8(result.archivePath));
    if (!result.failedMedia.empty()) {
        QString text = QStringLiteral("Non se puideron copiar estes arquivos:");
        for (const auto& path : result.failedMedia)
            text += QLatin1Char('\n') + fromUtf8(path);
        dialogs_.inform(this, text);
    }
}

void TForm1::btabrirClick() {
    pasa();
    if (hasUnsavedChanges() &&
        !dialogs_.confirm(this, QStringLiteral("Abrir outro arquivo sen gardar os cambios "
                                               "(Se preme OK perderá os datos) ?")))
        return;
    const auto chosen = dialogs_.openFile(this, kOpenTitle, QStringLiteral("*.xml|*.xml;*.XML"));
    if (!chosen)
        return;
    LoadItem(*chosen);
}

void TForm1::LoadItem(const QString& path) {
    OpenedQuiz opened;
    try {
        opened = openQuizFile(*document_, toUtf8(path));
    } catch (const std::exception&) {
        dialogs_.inform(this, QStringLiteral("Erro no arquivo :") + path);
        return;
    }
    iniciar();
    showPage(page1);
    GeneralData general;
    applyOpenedQuiz(std::move(opened), model_, general);
    // The common messages are for new quizzes: they never replace what was loaded.
    model_.fresh = false;
    setGeneralData(general);
    mostra();
    markSaved();
}

void TForm1::markSaved() {
    pasa();
    saved_ = snapshotOf(generalData(), model_);
}

bool TForm1::hasUnsavedChanges() {
    pasa();
    return snapshotOf(generalData(), model_) != saved_;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (hasUnsavedChanges() &&
        !dialogs_.confirm(this, QStringLiteral("Pechar sen gardar os cambios "
                                               "(Se preme OK perderá os datos) ?"))) {
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

void TForm1::btordeaClick() {
    applyOrdering(model_, ordering_);
    ordering_ = orderingEntries(model_);
    fillOrderingList();
    mostra();
}

// ---------------------------------------------------------------- window and sections

void TForm1::FormCreate() {
    model_.openedFolder.clear();
    document_->clear();
    iniciar();
    showPage(page6);
    seccion->clear();
    ctformatos->setCurrentIndex(0);
    formatIndex_ = Format::Xml;
    markSaved();
}

void TForm1::showPage(QWidget* page) { nota->setCurrentWidget(page); }

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
}

void TForm1::btnovoClick() {
    pasa();
    if (!dialogs_.confirm(this,
                          QStringLiteral("Novo arquivo de preguntas (Se preme OK perderá os datos) ?")))
        return;
    iniciar();
    showPage(page1);
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
    if (!dialogs_.confirm(this, QStringLiteral("Borrar pregunta %1?").arg(model_.current)))
        return;
    if (editor_.deleteCurrent())
        mostra();
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
    pasa();
    if (!editor_.insertAfterCurrent(commonValues().newQuestion())) {
        dialogs_.inform(this, QStringLiteral("Non se poden engadir máis de 200 preguntas."));
        return;
    }
    mostra();
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
