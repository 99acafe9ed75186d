#include "pages/end_page.h"

#include "qt_text.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace vireta {

EndPage::EndPage() {
    setObjectName(QStringLiteral("page3"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(32, 70, 33, 0);
    Panel17_ = makePanel(this, "Panel17");
    page->addWidget(Panel17_);
    page->addStretch(1);

    auto* column = new QVBoxLayout(Panel17_);
    column->setContentsMargins(20, 0, 1, 0);
    column->setSpacing(0);
    auto* heading = makeCaption(Panel17_, QStringLiteral("Mensaxes ao rematar o xogo"), 400);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    column->addWidget(heading);

    // Each message over its sound, the two boxes one above the other.
    const int boxWidth = 400;
    const auto addMessage = [&](const char* name, const QString& caption) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        QLineEdit* box = addLabelledBox(Panel17_, row, name, caption, 170, boxWidth);
        row->addSpacing(28);
        column->addLayout(row);
        return box;
    };
    const auto addSound = [&](const char* name, const char* openName, const char* playName,
                              const QString& accessibleName) {
        const PathBox sound = makePathBox(Panel17_, name, openName, playName, boxWidth + 56, accessibleName);
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addSpacing(142);
        row->addLayout(sound.row, 1);
        column->addLayout(row);
        return sound;
    };
    column->addSpacing(16);
    bentx_ = addMessage("bentx", QStringLiteral("Xogo finalizado ben."));
    column->addSpacing(10);
    const PathBox well =
        addSound("sonbentx", "btabrson7", "btponson7", QStringLiteral("Son do xogo finalizado ben"));
    column->addSpacing(42);
    maltx_ = addMessage("maltx", QStringLiteral("Xogo finalizado mal."));
    column->addSpacing(10);
    const PathBox bad =
        addSound("sonmaltx", "btabrson8", "btponson8", QStringLiteral("Son do xogo finalizado mal"));
    sonbentx_ = well.box;
    sonmaltx_ = bad.box;
    sounds_ = {well, bad};

    const QString passNote = QStringLiteral(
        "Desde esta porcentaxe de acertos, o xogo web remata ben (coa mensaxe e o son de "
        "«Xogo finalizado ben.») e o paquete SCORM comunica o aprobado á plataforma.");
    auto* passCaption = makeCaption(Panel17_, QStringLiteral("Nota para aprobar (%)"), 170);
    notaaprobar_ = new QSpinBox(Panel17_);
    notaaprobar_->setObjectName(QStringLiteral("notaaprobar"));
    notaaprobar_->setRange(0, 100);
    notaaprobar_->setValue(kDefaultPassMark);
    notaaprobar_->setFixedSize(70, 26);
    notaaprobar_->setAccessibleName(QStringLiteral("Nota para aprobar (%)"));
    notaaprobar_->setAccessibleDescription(passNote);
    notaaprobar_->setToolTip(passNote);
    passCaption->setBuddy(notaaprobar_);
    auto* note = new QLabel(passNote, Panel17_);
    note->setWordWrap(true);
    auto* passRow = new QHBoxLayout;
    passRow->setSpacing(0);
    passRow->addWidget(passCaption);
    passRow->addWidget(notaaprobar_);
    passRow->addStretch(1);
    column->addSpacing(24);
    column->addLayout(passRow);
    column->addSpacing(8);
    column->addWidget(note);
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

} // namespace vireta
