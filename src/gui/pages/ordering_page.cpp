// Page 4: the list of questions, reordered by dragging, applied by "Ordear".

#include "pages/page_parts.h"
#include "preguntas.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QShortcut>
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
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(12);
    // The list takes the free width, so long statements show whole.
    listapreguntas = new OrderingList(this, page4);
    listapreguntas->setObjectName(QStringLiteral("listapreguntas"));
    listapreguntas->setAccessibleName(QStringLiteral("Preguntas en orde"));
    row->addWidget(listapreguntas, 1);

    auto* side = new QWidget(page4);
    side->setObjectName(QStringLiteral("Panel20"));
    side->setFixedWidth(200);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    btordea = new QToolButton(side);
    btordea->setObjectName(QStringLiteral("btordea"));
    btordea->setText(QStringLiteral("Ordear"));
    btordea->setIcon(icon("order"));
    btordea->setIconSize(QSize(32, 32));
    btordea->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    btordea->setAutoRaise(true);
    btordea->setCursor(Qt::PointingHandCursor);
    btordea->setAccessibleName(QStringLiteral("Ordear"));
    column->addWidget(btordea, 0, Qt::AlignHCenter);
    auto* hint = new QLabel(QStringLiteral("Arrastre as preguntas ata o seu novo lugar e "
                                           "prema \"Ordear\" para aplicar a nova orde."),
                            side);
    hint->setObjectName(QStringLiteral("ordeaaxuda"));
    hint->setWordWrap(true);
    column->addWidget(hint);
    column->addSpacing(8);

    // The keyboard's way to move an entry: by the rule of a drop on its neighbour.
    const struct {
        QToolButton** button;
        const char* name;
        const char* caption;
        const char* iconName;
        Qt::Key key;
        int by;
    } moves[] = {
        {&btsubir, "btsubir", "Subir", "up", Qt::Key_Up, -1},
        {&btbaixar, "btbaixar", "Baixar", "down", Qt::Key_Down, +1},
    };
    for (const auto& m : moves) {
        auto* b = new QToolButton(side);
        b->setObjectName(QLatin1String(m.name));
        b->setText(QLatin1String(m.caption));
        b->setIcon(icon(m.iconName));
        b->setIconSize(QSize(22, 22));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        b->setAccessibleName(QLatin1String(m.caption));
        const QKeySequence keys(Qt::ALT | m.key);
        b->setToolTip(QStringLiteral("%1 a pregunta escollida (%2)")
                          .arg(QLatin1String(m.caption), keys.toString(QKeySequence::NativeText)));
        const int by = m.by;
        connect(b, &QToolButton::clicked, this, [this, by] { moveSelectedEntry(by); });
        // Anywhere on the page, at once, and the list keeps the focus.
        auto* shortcut = new QShortcut(keys, page4);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, by] { moveSelectedEntry(by); });
        column->addWidget(b, 0, Qt::AlignLeft);
        *m.button = b;
    }
    column->addStretch(1);
    row->addWidget(side);

    connect(btordea, &QToolButton::clicked, this, &TForm1::btordeaClick);
}

} // namespace vireta
