// The yellow bar of section buttons and the green strip that names the page shown.

#include "pages/page_parts.h"
#include "preguntas.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QToolButton>

#include <utility>

namespace vireta {

void TForm1::buildTopBar() {
    Panel1 = makePanel(this, "Panel1");
    Panel1->setFixedHeight(53);
    fillBackground(Panel1, kBarYellow);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);

    Panel3 = makePanel(Panel1, "Panel3");
    Panel3->setFixedWidth(214);
    auto* left = new QHBoxLayout(Panel3);
    left->setContentsMargins(4, 0, 4, 0);
    left->setSpacing(0);
    // "&" marks each caption's Alt mnemonic.
    btinicio = makeSectionButton(Panel3, "btinicio", QStringLiteral("&Inicio"), "home");
    btpreg = makeSectionButton(Panel3, "btpreg", QStringLiteral("&Preguntas"), "questions");
    btfinal = makeSectionButton(Panel3, "btfinal", QStringLiteral("&Final"), "finish");
    for (auto* b : {btinicio, btpreg, btfinal})
        left->addWidget(b, 1);

    Panel4 = makePanel(Panel1, "Panel4");
    Panel4->setFixedWidth(300);
    auto* right = new QHBoxLayout(Panel4);
    right->setContentsMargins(4, 0, 4, 0);
    right->setSpacing(0);
    btnovo = makeSectionButton(Panel4, "btnovo", QStringLiteral("&Novo"), "new");
    btabrir = makeSectionButton(Panel4, "btabrir", QStringLiteral("&Abrir"), "open");
    btimportar = makeSectionButton(Panel4, "btimportar", QStringLiteral("I&mportar"), "import");
    btexportar = makeSectionButton(Panel4, "btexportar", QStringLiteral("&Exportar"), "export");
    btaxuda = makeSectionButton(Panel4, "btaxuda", QStringLiteral("A&xuda"), "help");
    for (auto* b : {btnovo, btabrir, btimportar, btexportar, btaxuda})
        right->addWidget(b, 1);

    // What each button does, with its keys (the window's shortcuts are in keyboard.cpp).
    const std::pair<QToolButton*, const char*> tips[] = {
        {btinicio, "Inicio: os datos xerais do cuestionario (Alt+I)"},
        {btpreg, "Preguntas: as preguntas, unha a unha (Alt+P)"},
        {btfinal, "Final: as mensaxes do final do xogo (Alt+F)"},
        {btnovo, "Novo: un novo conxunto de preguntas (Ctrl+N, Alt+N)"},
        {btabrir, "Abrir un cuestionario (Ctrl+O, Alt+A)"},
        {btimportar, "Importar preguntas doutro formato (Alt+M)"},
        {btexportar, "Exportar: gardar nun formato; Ctrl+S garda o cuestionario (Ctrl+E, Alt+E)"},
        {btaxuda, "Axuda: a páxina de axuda (F1, Alt+X)"},
    };
    for (const auto& [button, tip] : tips)
        button->setToolTip(QString::fromUtf8(tip));

    bar->addWidget(Panel3);
    bar->addStretch(1);
    bar->addWidget(Panel4);

    connect(btinicio, &QToolButton::clicked, this, &TForm1::btinicioClick);
    connect(btpreg, &QToolButton::clicked, this, &TForm1::btpregClick);
    connect(btfinal, &QToolButton::clicked, this, &TForm1::btfinalClick);
    connect(btnovo, &QToolButton::clicked, this, &TForm1::btnovoClick);
    connect(btabrir, &QToolButton::clicked, this, &TForm1::btabrirClick);
    connect(btimportar, &QToolButton::clicked, this, &TForm1::btimportarClick);
    connect(btexportar, &QToolButton::clicked, this, &TForm1::btexportarClick);
    connect(btaxuda, &QToolButton::clicked, this, &TForm1::btaxudaClick);

    Panel2 = makePanel(this, "Panel2");
    Panel2->setFixedHeight(28);
    fillBackground(Panel2, kStripLime);
    auto* strip = new QHBoxLayout(Panel2);
    strip->setContentsMargins(12, 0, 12, 0);
    seccion = new QLabel(Panel2);
    seccion->setObjectName(QStringLiteral("seccion"));
    QFont bold = seccion->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    seccion->setFont(bold);
    strip->addWidget(seccion);
    strip->addStretch(1);
    aviso = new QLabel(Panel2);
    aviso->setObjectName(QStringLiteral("aviso"));
    aviso->setStyleSheet(QStringLiteral("color: rgb(150, 0, 0);"));
    aviso->hide();
    strip->addWidget(aviso);
}

} // namespace vireta
