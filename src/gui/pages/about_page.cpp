// Page 6: what the window shows when it opens.

#include "pages/page_parts.h"
#include "preguntas.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QStackedWidget>

namespace vireta {

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

    auto* title =
        new QLabel(QStringLiteral("Editor de cuestionarios de resposta múltiple 1.0"), Panel18);
    title->setWordWrap(true);
    title->setGeometry(136, 124, 320, 44);

    auto* authors = new QLabel(QStringLiteral("Autores: o equipo de Vireta"), Panel18);
    authors->setGeometry(136, 360, 320, 24);
}

} // namespace vireta
