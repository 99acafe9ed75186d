#include "pages/ordering_page.h"

#include "model/question_order.h"
#include "pages/page_parts.h"
#include "qt_text.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace vireta {

namespace {

// The ordering list: its drags and drops go to the window's handlers.
class OrderingList : public QListWidget {
public:
    explicit OrderingList(OrderingPage* page) : QListWidget(page), page_(page) {
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
        if (!page_->listapreguntasDragOver(event->source())) {
            event->ignore();
            return;
        }
        // Copy, not move: the view must not remove the dragged item itself.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        page_->listapreguntasDragDrop(event->position().toPoint());
    }

private:
    void acceptFromSelf(QDragMoveEvent* event) {
        if (page_->listapreguntasDragOver(event->source())) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

    OrderingPage* page_;
};

} // namespace

OrderingPage::OrderingPage() {
    setObjectName(QStringLiteral("page4"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(12);
    // The list takes the free width, so long statements show whole.
    listapreguntas_ = new OrderingList(this);
    listapreguntas_->setObjectName(QStringLiteral("listapreguntas"));
    listapreguntas_->setAccessibleName(QStringLiteral("Preguntas en orde"));
    row->addWidget(listapreguntas_, 1);

    auto* side = new QWidget(this);
    side->setObjectName(QStringLiteral("Panel20"));
    side->setFixedWidth(200);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    auto* btordea = new QToolButton(side);
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
        const char* name;
        const char* caption;
        const char* iconName;
        Qt::Key key;
        int by;
    } moves[] = {
        {"btsubir", "Subir", "up", Qt::Key_Up, -1},
        {"btbaixar", "Baixar", "down", Qt::Key_Down, +1},
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
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, by] { moveSelectedEntry(by); });
        column->addWidget(b, 0, Qt::AlignLeft);
    }
    column->addStretch(1);
    row->addWidget(side);

    connect(btordea, &QToolButton::clicked, this, &OrderingPage::orderRequested);
}

void OrderingPage::setEntries(std::vector<std::string> entries) {
    entries_ = std::move(entries);
    fillList();
}

void OrderingPage::fillList() {
    listapreguntas_->clear();
    for (const auto& entry : entries_)
        listapreguntas_->addItem(fromUtf8(entry));
}

int OrderingPage::currentRow() const { return listapreguntas_->currentRow(); }

void OrderingPage::setCurrentRow(int row) { listapreguntas_->setCurrentRow(row); }

bool OrderingPage::listapreguntasDragOver(const QObject* source) const {
    return source == listapreguntas_;
}

void OrderingPage::listapreguntasDragDrop(const QPoint& point) {
    const int from = listapreguntas_->currentRow();
    if (from < 0 || listapreguntas_->selectedItems().isEmpty())
        return;
    const QListWidgetItem* under = listapreguntas_->itemAt(point);
    const int onto = under ? listapreguntas_->row(under) : -1;
    moveOrderingEntry(entries_, from, onto);
    fillList();
    listapreguntas_->setCurrentRow(onto < 0 ? int(entries_.size()) - 1 : onto);
}

void OrderingPage::moveSelectedEntry(int by) {
    const int from = listapreguntas_->currentRow();
    const int onto = from + by;
    if (from < 0 || listapreguntas_->selectedItems().isEmpty() || onto < 0 ||
        onto >= int(entries_.size()))
        return;
    moveOrderingEntry(entries_, from, onto);
    fillList();
    listapreguntas_->setCurrentRow(onto);
}

} // namespace vireta
