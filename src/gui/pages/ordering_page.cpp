// Page 4: the list of questions, reordered by dragging, applied by "Ordear".

#include "pages/page_parts.h"
#include "preguntas.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vireta {

namespace {

// The ordering list: its drags and drops go to the window's handlers.
class OrderingList : public QListWidget {
public:
    explicit OrderingList(TForm1* form, QWidget* parent) : QListWidget(parent), form_(form) {
        setDragEnabled(true);
        setAcceptDrops(true);
        setDropIndicatorShown(false);
        setDragDropMode(QAbstractItemView::DragDrop);
        setDefaultDropAction(Qt::CopyAction);
        setSelectionMode(QAbstractItemView::SingleSelection);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { acceptFromSelf(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { acceptFromSelf(event); }
    void dropEvent(QDropEvent* event) override {
        if (!form_->listapreguntasDragOver(event->source())) {
            event->ignore();
            return;
        }
        // Copy, not move: the view must not remove the dragged item itself.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        form_->listapreguntasDragDrop(event->position().toPoint());
    }

private:
    void acceptFromSelf(QDragMoveEvent* event) {
        if (form_->listapreguntasDragOver(event->source())) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

    TForm1* form_;
};

} // namespace

void TForm1::buildOrderingPage() {
    page4 = new QWidget;
    page4->setObjectName(QStringLiteral("page4"));
    nota->addWidget(page4);
    auto* row = new QHBoxLayout(page4);
    row->setContentsMargins(0, 0, 8, 0);
    listapreguntas = new OrderingList(this, page4);
    listapreguntas->setObjectName(QStringLiteral("listapreguntas"));
    listapreguntas->setFixedWidth(386);
    listapreguntas->setAccessibleName(QStringLiteral("Preguntas en orde"));
    row->addWidget(listapreguntas);

    auto* side = new QVBoxLayout;
    btordea = new QToolButton(page4);
    btordea->setObjectName(QStringLiteral("btordea"));
    btordea->setText(QStringLiteral("Ordear"));
    btordea->setIcon(icon("order"));
    btordea->setIconSize(QSize(32, 32));
    btordea->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    btordea->setAutoRaise(true);
    btordea->setCursor(Qt::PointingHandCursor);
    btordea->setAccessibleName(QStringLiteral("Ordear"));
    side->addWidget(btordea, 0, Qt::AlignRight);
    auto* hint = new QLabel(QStringLiteral("Arrastre as preguntas ata o seu novo lugar e "
                                           "prema \"Ordear\" para aplicar a nova orde."),
                            page4);
    hint->setWordWrap(true);
    hint->setMaximumWidth(240);
    side->addWidget(hint, 0, Qt::AlignRight);
    side->addStretch(1);
    row->addLayout(side, 1);

    connect(btordea, &QToolButton::clicked, this, &TForm1::btordeaClick);
}

} // namespace vireta
