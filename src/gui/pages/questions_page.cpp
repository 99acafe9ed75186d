// Page 2, "Preguntas": one question with its answers, picture, sounds, messages and
// link, and the navigation bar.

#include "media/image_decoder.h"
#include "pages/page_parts.h"
#include "preguntas.h"
#include "preview_box.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>

namespace vireta {

void TForm1::buildQuestionsPage() {
    page2 = new QWidget;
    page2->setObjectName(QStringLiteral("page2"));
    nota->addWidget(page2);
    panelpr = makePanel(page2, "panelpr");
    panelpr->setGeometry(8, 0, 684, 404);

    txtpreg = addLabelledBox(panelpr, "txtpreg", QStringLiteral("Pregunta"), 16, 10, 74, 570);

    imaxe = new PreviewBox(panelpr);
    imaxe->setObjectName(QStringLiteral("imaxe"));
    imaxe->setGeometry(16, 44, kPreviewBoxWidth + 4,
                       kPreviewBoxHeight + 4); // inside a 2-pixel bevel
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
        (*nb.button)
            ->setToolTip(QStringLiteral("%1 (%2)").arg(
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
    lbtotal = new QLabel(QStringLiteral("de 1"), nav);
    lbtotal->setObjectName(QStringLiteral("lbtotal"));
    lbtotal->setFont(nf);
    lbtotal->setMinimumWidth(lbtotal->fontMetrics().horizontalAdvance(QStringLiteral("de 200")));
    lbtotal->setAccessibleName(QStringLiteral("Número de preguntas"));
    row->addWidget(lbtotal);
    btira = makeIconButton(nav, "btira", "goto", QStringLiteral("Ir á pregunta"), 38);
    btira->setToolTip(QStringLiteral("Ir á pregunta (Intro no número)"));
    row->addWidget(btira);
    connect(npreg, &QLineEdit::returnPressed, btira, &QToolButton::click);
    row->addStretch(1);
    btdesfacer = makeIconButton(nav, "btdesfacer", "undo", QStringLiteral("Desfacer"), 38);
    btrefacer = makeIconButton(nav, "btrefacer", "redo", QStringLiteral("Refacer"), 38);
    row->addWidget(btdesfacer);
    row->addWidget(btrefacer);
    connect(btdesfacer, &QToolButton::clicked, this, &TForm1::undo);
    connect(btrefacer, &QToolButton::clicked, this, &TForm1::redo);

    questionControls_ = {txtpreg, txtresp1, txtresp2,  txtresp3, txtresp4,    txtimaxe,
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
    connect(txtimaxe, &QLineEdit::returnPressed, this, [this] { ponimaxe(imaxe, txtimaxe); });
}

} // namespace vireta
