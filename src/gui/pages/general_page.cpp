#include "pages/general_page.h"

#include "qt_text.h"
#include "text.h"

#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vireta {

GeneralPage::GeneralPage() {
    setObjectName(QStringLiteral("page1"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    panelb_ = makePanel(this, "panelb");
    page->addWidget(panelb_);

    // The general data in one column, the introduction's sound beside the title; the
    // introduction takes the height a taller window gives.
    auto* column = new QVBoxLayout(panelb_);
    column->setContentsMargins(16, 16, 20, 13);
    column->setSpacing(0);
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(0);
    form->setVerticalSpacing(8);
    column->addLayout(form, 1);
    const int cw = 74, bw = 330, soundWidth = 224;
    titulotx_ = addLabelledBox(panelb_, form, 0, 0, "titulotx", QStringLiteral("Título"), cw, bw);
    subtitulotx_ = addLabelledBox(panelb_, form, 1, 0, "subtitulotx", QStringLiteral("Subtítulo"), cw, bw);
    autortx_ = addLabelledBox(panelb_, form, 2, 0, "autortx", QStringLiteral("Autor"), cw, bw);
    axudatx_ = addLabelledBox(panelb_, form, 3, 0, "axudatx", QStringLiteral("Axuda"), cw, bw);
    auto* timeRow = new QHBoxLayout;
    timeRow->setSpacing(0);
    tempotx_ = addLabelledBox(panelb_, timeRow, "tempotx", QStringLiteral("Tempo"), cw, 80);
    tempotx_->setFixedWidth(80);
    tempotx_->setToolTip(QStringLiteral(
        "Tempo para todo o xogo: 5:00, 90s ou 2 min (o xogo web conta cara atrás); outro texto "
        "só se mostra."));
    timeRow->addSpacing(30);
    ordech_ = new QCheckBox(QStringLiteral("Con orde"), panelb_);
    ordech_->setObjectName(QStringLiteral("ordech"));
    timeRow->addWidget(ordech_);
    timeRow->addStretch(1);
    form->addLayout(timeRow, 4, 0, 1, 2);
    form->setColumnMinimumWidth(2, 20);
    const PathBox intro = makePathBox(panelb_, "sontx", "btabrson1", "btponson1", soundWidth,
                                      QStringLiteral("Son da introdución"));
    form->addLayout(intro.row, 0, 3);
    sontx_ = intro.box;

    QLabel* introCaption = makeCaption(panelb_, QStringLiteral("Intro"), cw);
    form->addWidget(introCaption, 5, 0, Qt::AlignTop);
    introtx_ = new QPlainTextEdit(panelb_);
    introtx_->setObjectName(QStringLiteral("introtx"));
    introtx_->setMinimumHeight(104);
    introtx_->setAccessibleName(QStringLiteral("Intro"));
    introtx_->setTabChangesFocus(true);
    form->addWidget(introtx_, 5, 1, 1, 3);
    form->setRowStretch(5, 1);
    form->setColumnStretch(1, bw);
    form->setColumnStretch(3, soundWidth);

    auto* common = new QFrame(panelb_);
    common->setObjectName(QStringLiteral("GroupBox1"));
    common->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    column->addSpacing(16);
    column->addWidget(common);
    auto* commonColumn = new QVBoxLayout(common);
    const int frame = common->frameWidth();
    commonColumn->setContentsMargins(10 - frame, 4 - frame, 10 - frame, 10 - frame);
    commonColumn->setSpacing(6);
    auto* heading = makeCaption(common, QStringLiteral("Repetir para todos..."), 300);
    QFont f = heading->font();
    f.setBold(true);
    heading->setFont(f);
    commonColumn->addWidget(heading);
    auto* commonForm = new QGridLayout;
    commonForm->setHorizontalSpacing(0);
    commonForm->setVerticalSpacing(8);
    commonColumn->addLayout(commonForm);
    const int commonWidth = 270, commonSoundWidth = 266;
    txtcorcomun_ = addLabelledBox(common, commonForm, 0, 0, "txtcorcomun", QStringLiteral("Correcto"), 80,
                                  commonWidth);
    const PathBox right = makePathBox(common, "txtsoncorcomun", "btabrson2", "btponson2", commonSoundWidth,
                                      QStringLiteral("Son común de acerto"));
    commonForm->addLayout(right.row, 0, 3);
    txtsoncorcomun_ = right.box;
    txtincorcomun_ = addLabelledBox(common, commonForm, 1, 0, "txtincorcomun", QStringLiteral("Incorrecto"),
                                    80, commonWidth);
    const PathBox wrong = makePathBox(common, "txtsonincorcomun", "btabrson3", "btponson3",
                                      commonSoundWidth, QStringLiteral("Son común de erro"));
    commonForm->addLayout(wrong.row, 1, 3);
    txtsonincorcomun_ = wrong.box;
    commonForm->setColumnMinimumWidth(2, 12);
    commonForm->setColumnStretch(1, commonWidth);
    commonForm->setColumnStretch(3, commonSoundWidth);
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

} // namespace vireta
