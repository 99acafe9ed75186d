#include "pages/about_page.h"

#include "pages/page_parts.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

namespace vireta {

AboutPage::AboutPage() {
    setObjectName(QStringLiteral("page6"));
    // The panel keeps its distance to the page's right and bottom edges.
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 8, 4);
    page->addStretch(1);
    Panel18_ = makePanel(this, "Panel18");
    Panel18_->setFixedSize(473, 404);
    page->addWidget(Panel18_, 0, Qt::AlignRight);

    QPalette green = Panel18_->palette();
    green.setColor(QPalette::WindowText, kTextGreen);
    Panel18_->setPalette(green);

    auto* row = new QHBoxLayout(Panel18_);
    row->setContentsMargins(24, 40, 17, 20);
    row->setSpacing(16);
    auto* logo = new QLabel(Panel18_);
    logo->setPixmap(icon("vireta").pixmap(96, 96));
    logo->setFixedSize(96, 96);
    row->addWidget(logo, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    row->addLayout(column, 1);
    auto* name = new QLabel(QStringLiteral("Vireta"), Panel18_);
    QFont big = name->font();
    big.setPointSize(36);
    big.setBold(true);
    name->setFont(big);
    name->setFixedHeight(64);
    column->addSpacing(4);
    column->addWidget(name);

    auto* rule = new QFrame(Panel18_);
    rule->setFrameStyle(QFrame::HLine | QFrame::Raised);
    rule->setLineWidth(2);
    rule->setFixedSize(310, 6);
    column->addSpacing(4);
    column->addWidget(rule, 0, Qt::AlignLeft);

    auto* title = new QLabel(QStringLiteral("Editor de cuestionarios de resposta múltiple 1.0"), Panel18_);
    title->setWordWrap(true);
    title->setFixedHeight(44);
    column->addSpacing(6);
    column->addWidget(title);
    column->addStretch(1);

    auto* authors = new QLabel(QStringLiteral("Autores: o equipo de Vireta"), Panel18_);
    authors->setFixedHeight(24);
    column->addWidget(authors);
}

StockPage::StockPage() {
    setObjectName(QStringLiteral("page7"));
    flvimax_ = new QLabel(this);
    flvimax_->setObjectName(QStringLiteral("flvimax"));
    flvimax_->setPixmap(icon("video").pixmap(128, 128));
    novale_ = new QLabel(this);
    novale_->setObjectName(QStringLiteral("novale"));
    novale_->setPixmap(icon("invalid").pixmap(64, 64));
}

QImage StockPage::videoPicture() const { return flvimax_->pixmap().toImage(); }
QImage StockPage::invalidPicture() const { return novale_->pixmap().toImage(); }

} // namespace vireta
