// Page 1, "Inicio": the general data of the quiz and the values common to every question.

#include "pages/page_parts.h"
#include "preguntas.h"

#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>

namespace vireta {

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

} // namespace vireta
