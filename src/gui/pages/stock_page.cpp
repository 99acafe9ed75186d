// Page 7, never shown: the stock pictures of the question preview.

#include "pages/page_parts.h"
#include "preguntas.h"

#include <QLabel>
#include <QStackedWidget>

namespace vireta {

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

} // namespace vireta
