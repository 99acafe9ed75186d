#include "pages/about_page.h"

#include "pages/page_parts.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPalette>

namespace vireta {

AboutPage::AboutPage() {
    setObjectName(QStringLiteral("page6"));
    Panel18_ = makePanel(this, "Panel18");
    Panel18_->resize(473, 404);

    QPalette green = Panel18_->palette();
    green.setColor(QPalette::WindowText, kTextGreen);
    Panel18_->setPalette(green);

    auto* logo = new QLabel(Panel18_);
    logo->setPixmap(icon("vireta").pixmap(96, 96));
    logo->setGeometry(24, 40, 96, 96);

    auto* name = new QLabel(QStringLiteral("Vireta"), Panel18_);
    QFont big = name->font();
    big.setPointSize(36);
    big.setBold(true);
    name->setFont(big);
    name->setGeometry(136, 44, 320, 64);

    auto* rule = new QFrame(Panel18_);
    rule->setFrameStyle(QFrame::HLine | QFrame::Raised);
    rule->setLineWidth(2);
    rule->setGeometry(136, 112, 310, 6);

    auto* title = new QLabel(QStringLiteral("Editor de cuestionarios de resposta múltiple 1.0"), Panel18_);
    title->setWordWrap(true);
    title->setGeometry(136, 124, 320, 44);

    auto* authors = new QLabel(QStringLiteral("Autores: o equipo de Vireta"), Panel18_);
    authors->setGeometry(136, 360, 320, 24);
}

void AboutPage::placePanel() {
    Panel18_->move(width() - Panel18_->width() - 8, height() - Panel18_->height() - 4);
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
