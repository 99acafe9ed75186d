#include "pages/top_bar.h"

#include "pages/page_parts.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace vireta {

TopBar::TopBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel1"));
    setFixedHeight(53);
    fillBackground(this, kBarYellow);
    auto* bar = new QHBoxLayout(this);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);

    // The section buttons at the left, the quiz's buttons at the right. "&" marks each
    // caption's Alt mnemonic; the tip says what the button does, with its keys (the
    // window's shortcuts are in keyboard.cpp).
    const struct {
        const char* name;
        const char* caption;
        const char* iconName;
        const char* tip;
    } buttons[] = {
        {"btinicio", "&Inicio", "home", "Inicio: os datos xerais do cuestionario (Alt+I)"},
        {"btpreg", "&Preguntas", "questions", "Preguntas: as preguntas, unha a unha (Alt+P)"},
        {"btfinal", "&Final", "finish", "Final: as mensaxes do final do xogo (Alt+F)"},
        {"btnovo", "&Novo", "new", "Novo: un novo conxunto de preguntas (Ctrl+N, Alt+N)"},
        {"btabrir", "&Abrir", "open", "Abrir un cuestionario (Ctrl+O, Alt+A)"},
        {"btgardar", "&Gardar", "save", "Gardar o cuestionario no seu arquivo XML (Ctrl+S, Alt+G)"},
        {"btimportar", "I&mportar", "import", "Importar preguntas doutro formato (Alt+M)"},
        {"btexportar", "&Exportar", "export", "Exportar: gardar noutro formato (Ctrl+E, Alt+E)"},
        {"btclase", "En &clase", "classroom", "Xogar o cuestionario en clase cos móbiles do alumnado (Alt+C)"},
        {"btaxuda", "A&xuda", "help", "Axuda: a páxina de axuda (F1, Alt+X)"},
    };
    auto* left = makePanel(this, "Panel3");
    left->setFixedWidth(214);
    auto* right = makePanel(this, "Panel4");
    right->setFixedWidth(420);
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        QFrame* group = i < 3 ? left : right;
        if (i == 0 || i == 3) {
            auto* row = new QHBoxLayout(group);
            row->setContentsMargins(4, 0, 4, 0);
            row->setSpacing(0);
        }
        const auto& b = buttons[i];
        buttons_[i] = makeSectionButton(group, b.name, QString::fromUtf8(b.caption), b.iconName);
        buttons_[i]->setToolTip(QString::fromUtf8(b.tip));
        static_cast<QHBoxLayout*>(group->layout())->addWidget(buttons_[i], 1);
    }

    bar->addWidget(left);
    bar->addStretch(1);
    bar->addWidget(right);
}

QToolButton* TopBar::button(Button which) const { return buttons_[static_cast<int>(which)]; }

SectionStrip::SectionStrip(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel2"));
    setFixedHeight(28);
    fillBackground(this, kStripLime);
    auto* strip = new QHBoxLayout(this);
    strip->setContentsMargins(12, 0, 12, 0);
    seccion_ = new QLabel(this);
    seccion_->setObjectName(QStringLiteral("seccion"));
    QFont bold = seccion_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    seccion_->setFont(bold);
    strip->addWidget(seccion_);
    strip->addStretch(1);
    aviso_ = new QLabel(this);
    aviso_->setObjectName(QStringLiteral("aviso"));
    aviso_->hide();
    strip->addWidget(aviso_);
}

void SectionStrip::setCaption(const QString& caption) { seccion_->setText(caption); }

void SectionStrip::showNote(const QString& text, Note kind, const QString& toolTip) {
    aviso_->setStyleSheet(kind == Note::Problem ? QStringLiteral("color: rgb(150, 0, 0);")
                                                : QStringLiteral("color: rgb(0, 90, 30);"));
    aviso_->setText(text);
    aviso_->setToolTip(toolTip);
    aviso_->show();
    if (!noteTimer_) {
        noteTimer_ = new QTimer(aviso_);
        noteTimer_->setSingleShot(true);
        connect(noteTimer_, &QTimer::timeout, aviso_, [this] {
            aviso_->hide();
            aviso_->clear();
            aviso_->setToolTip(QString());
        });
    }
    noteTimer_->start(6000);
}

} // namespace vireta
