#include "pages/general_page.h"

#include "qt_text.h"
#include "text.h"

#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vireta {

GeneralPage::GeneralPage() {
    setObjectName(QStringLiteral("page1"));
    panelb_ = makePanel(this, "panelb");
    panelb_->setGeometry(8, 0, 684, 404);

    const int cx = 16, cw = 74, bw = 330;
    titulotx_ = addLabelledBox(panelb_, "titulotx", QStringLiteral("Título"), cx, 16, cw, bw);
    subtitulotx_ = addLabelledBox(panelb_, "subtitulotx", QStringLiteral("Subtítulo"), cx, 48, cw, bw);
    autortx_ = addLabelledBox(panelb_, "autortx", QStringLiteral("Autor"), cx, 80, cw, bw);
    axudatx_ = addLabelledBox(panelb_, "axudatx", QStringLiteral("Axuda"), cx, 112, cw, bw);
    tempotx_ = addLabelledBox(panelb_, "tempotx", QStringLiteral("Tempo"), cx, 144, cw, 80);
    ordech_ = new QCheckBox(QStringLiteral("Con orde"), panelb_);
    ordech_->setObjectName(QStringLiteral("ordech"));
    ordech_->setGeometry(cx + cw + 110, 144, 140, 24);

    const PathBox intro = addPathBox(panelb_, "sontx", "btabrson1", "btponson1", 440, 16, 224,
                                     QStringLiteral("Son da introdución"));
    sontx_ = intro.box;

    makeCaption(panelb_, QStringLiteral("Intro"), cx, 176, cw);
    introtx_ = new QPlainTextEdit(panelb_);
    introtx_->setObjectName(QStringLiteral("introtx"));
    introtx_->setGeometry(cx + cw, 176, 574, 104);
    introtx_->setAccessibleName(QStringLiteral("Intro"));
    introtx_->setTabChangesFocus(true);

    auto* common = new QFrame(panelb_);
    common->setObjectName(QStringLiteral("GroupBox1"));
    common->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    common->setGeometry(cx, 296, 648, 100);
    auto* heading = makeCaption(common, QStringLiteral("Repetir para todos..."), 10, 4, 300);
    QFont f = heading->font();
    f.setBold(true);
    heading->setFont(f);
    txtcorcomun_ = addLabelledBox(common, "txtcorcomun", QStringLiteral("Correcto"), 10, 34, 80, 270);
    const PathBox right = addPathBox(common, "txtsoncorcomun", "btabrson2", "btponson2", 372, 34,
                                     266, QStringLiteral("Son común de acerto"));
    txtsoncorcomun_ = right.box;
    txtincorcomun_ = addLabelledBox(common, "txtincorcomun", QStringLiteral("Incorrecto"), 10, 66, 80, 270);
    const PathBox wrong = addPathBox(common, "txtsonincorcomun", "btabrson3", "btponson3", 372, 66,
                                     266, QStringLiteral("Son común de erro"));
    txtsonincorcomun_ = wrong.box;
    sounds_ = {intro, right, wrong};
}

GeneralData GeneralPage::generalData() const {
    GeneralData g;
    g.title = toUtf8(titulotx_->text());
    g.subtitle = toUtf8(subtitulotx_->text());
    g.time = toUtf8(tempotx_->text());
    g.inOrder = ordech_->isChecked();
    g.help = toUtf8(axudatx_->text());
    g.author = toUtf8(autortx_->text());
    g.intro = toCrLf(toUtf8(introtx_->toPlainText()));
    g.introSound = toUtf8(sontx_->text());
    return g;
}

void GeneralPage::setGeneralData(const GeneralData& g) {
    titulotx_->setText(fromUtf8(g.title));
    subtitulotx_->setText(fromUtf8(g.subtitle));
    tempotx_->setText(fromUtf8(g.time));
    ordech_->setChecked(g.inOrder);
    axudatx_->setText(fromUtf8(g.help));
    autortx_->setText(fromUtf8(g.author));
    introtx_->setPlainText(fromUtf8(toLf(g.intro)));
    sontx_->setText(fromUtf8(g.introSound));
    // A long text shows its start, not its end.
    for (QLineEdit* box : {titulotx_, subtitulotx_, tempotx_, axudatx_, autortx_, sontx_})
        box->setCursorPosition(0);
}

CommonValues GeneralPage::commonValues() const {
    return CommonValues{toUtf8(txtcorcomun_->text()), toUtf8(txtincorcomun_->text()),
                        toUtf8(txtsoncorcomun_->text()), toUtf8(txtsonincorcomun_->text())};
}

QWidget* GeneralPage::field(GeneralField place) const {
    switch (place) {
    case GeneralField::Title: return titulotx_;
    case GeneralField::Subtitle: return subtitulotx_;
    case GeneralField::Time: return tempotx_;
    case GeneralField::Help: return axudatx_;
    case GeneralField::Author: return autortx_;
    case GeneralField::Intro: return introtx_;
    case GeneralField::IntroSound: return sontx_;
    default: return nullptr;
    }
}

void GeneralPage::centrePanel(int windowWidth) {
    panelb_->move(centredLeft(windowWidth, panelb_->width()), panelb_->y());
}

} // namespace vireta
