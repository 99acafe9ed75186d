#include "pages/end_page.h"

#include "qt_text.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include <utility>

namespace vireta {

EndPage::EndPage() {
    setObjectName(QStringLiteral("page3"));
    Panel17_ = makePanel(this, "Panel17");
    Panel17_->setGeometry(40, 70, 619, 328);
    auto* heading = makeCaption(Panel17_, QStringLiteral("Mensaxes ao rematar o xogo"), 20, 0, 400);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);

    bentx_ = addLabelledBox(Panel17_, "bentx", QStringLiteral("Xogo finalizado ben."), 20, 40, 170, 400);
    const PathBox well = addPathBox(Panel17_, "sonbentx", "btabrson7", "btponson7", 162, 74, 456,
                                    QStringLiteral("Son do xogo finalizado ben"));
    maltx_ = addLabelledBox(Panel17_, "maltx", QStringLiteral("Xogo finalizado mal."), 20, 140, 170, 400);
    const PathBox bad = addPathBox(Panel17_, "sonmaltx", "btabrson8", "btponson8", 162, 174, 456,
                                   QStringLiteral("Son do xogo finalizado mal"));
    sonbentx_ = well.box;
    sonmaltx_ = bad.box;
    sounds_ = {well, bad};

    const QString passNote = QStringLiteral(
        "Desde esta porcentaxe de acertos, o xogo web remata ben (coa mensaxe e o son de "
        "«Xogo finalizado ben.») e o paquete SCORM comunica o aprobado á plataforma.");
    auto* passCaption = makeCaption(Panel17_, QStringLiteral("Nota para aprobar (%)"), 20, 240, 170);
    notaaprobar_ = new QSpinBox(Panel17_);
    notaaprobar_->setObjectName(QStringLiteral("notaaprobar"));
    notaaprobar_->setRange(0, 100);
    notaaprobar_->setValue(kDefaultPassMark);
    notaaprobar_->setGeometry(190, 239, 70, 26);
    notaaprobar_->setAccessibleName(QStringLiteral("Nota para aprobar (%)"));
    notaaprobar_->setAccessibleDescription(passNote);
    notaaprobar_->setToolTip(passNote);
    passCaption->setBuddy(notaaprobar_);
    auto* note = new QLabel(passNote, Panel17_);
    note->setWordWrap(true);
    note->setGeometry(20, 272, 580, 48);
    connect(notaaprobar_, &QSpinBox::valueChanged, this, [this](int value) {
        const int before = std::exchange(shownPassMark_, value);
        emit passMarkEdited(before, value);
    });
}

void EndPage::addEndMessages(GeneralData& g) const {
    g.endWell = toUtf8(bentx_->text());
    g.endWellSound = toUtf8(sonbentx_->text());
    g.endBad = toUtf8(maltx_->text());
    g.endBadSound = toUtf8(sonmaltx_->text());
    g.passMark = notaaprobar_->value();
}

void EndPage::setEndMessages(const GeneralData& g) {
    bentx_->setText(fromUtf8(g.endWell));
    sonbentx_->setText(fromUtf8(g.endWellSound));
    maltx_->setText(fromUtf8(g.endBad));
    sonmaltx_->setText(fromUtf8(g.endBadSound));
    for (QLineEdit* box : {bentx_, sonbentx_, maltx_, sonmaltx_})
        box->setCursorPosition(0); // a long text shows its start
    showPassMark(g.passMark);
}

void EndPage::showPassMark(int passMark) {
    const QSignalBlocker quiet(notaaprobar_);
    notaaprobar_->setValue(passMark);
    shownPassMark_ = notaaprobar_->value();
}

QWidget* EndPage::field(GeneralField place) const {
    switch (place) {
    case GeneralField::EndWell: return bentx_;
    case GeneralField::EndWellSound: return sonbentx_;
    case GeneralField::EndBad: return maltx_;
    case GeneralField::EndBadSound: return sonmaltx_;
    default: return nullptr;
    }
}

void EndPage::centrePanel(int windowWidth) {
    Panel17_->move(centredLeft(windowWidth, Panel17_->width()), Panel17_->y());
}

} // namespace vireta
