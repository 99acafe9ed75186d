#include "pages/page_parts.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vireta {
namespace {

QHash<QString, QIcon>& sharedIcons() {
    static QHash<QString, QIcon> icons;
    static const bool releasedWithTheApplication = [] {
        // Icons must go before the application unloads the plugin that draws them.
        qAddPostRoutine([] { sharedIcons().clear(); });
        return true;
    }();
    (void)releasedWithTheApplication;
    return icons;
}

} // namespace

QIcon icon(const char* name) {
    QHash<QString, QIcon>& icons = sharedIcons();
    const QString key = QLatin1String(name);
    auto found = icons.find(key);
    if (found == icons.end())
        found = icons.insert(key, QIcon(QStringLiteral(":/icons/%1.svg").arg(key)));
    return *found;
}

void fillBackground(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

QFrame* makePanel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    return panel;
}

QToolButton* makeSectionButton(QWidget* parent, const char* name, const QString& caption,
                               const char* iconName) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setIcon(icon(iconName));
    b->setIconSize(QSize(28, 28));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::TabFocus);
    b->setAccessibleName(QString(caption).remove(QLatin1Char('&'))); // without its mnemonic mark
    return b;
}

QToolButton* makeIconButton(QWidget* parent, const char* name, const char* iconName,
                            const QString& tip, int size) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon(iconName));
    b->setIconSize(QSize(size - 8, size - 8));
    b->setAutoRaise(true);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->resize(size, size);
    return b;
}

QLabel* makeCaption(QWidget* parent, const QString& text, int width) {
    auto* l = new QLabel(text, parent);
    l->setMinimumWidth(width);
    l->setFixedHeight(kBoxHeight);
    return l;
}

QLineEdit* makeBox(QWidget* parent, const char* name, int width, const QString& accessibleName) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMinimumWidth(width);
    box->setFixedHeight(kBoxHeight);
    box->setAccessibleName(accessibleName);
    return box;
}

QToolButton* makeBoxButton(QWidget* parent, const char* name, const char* iconName, const QString& tip) {
    QToolButton* b = makeIconButton(parent, name, iconName, tip, 26);
    // Only the raised frame under the mouse is shorter than the square's.
    b->setFixedSize(26, kBoxHeight);
    return b;
}

QLineEdit* addLabelledBox(QWidget* parent, QBoxLayout* row, const char* name, const QString& caption,
                          int captionWidth, int boxWidth) {
    QLabel* label = makeCaption(parent, caption, captionWidth);
    QLineEdit* box = makeBox(parent, name, boxWidth, caption);
    label->setBuddy(box);
    row->addWidget(label);
    row->addWidget(box, boxWidth);
    return box;
}

QLineEdit* addLabelledBox(QWidget* parent, QGridLayout* grid, int row, int column, const char* name,
                          const QString& caption, int captionWidth, int boxWidth) {
    QLabel* label = makeCaption(parent, caption, captionWidth);
    QLineEdit* box = makeBox(parent, name, boxWidth, caption);
    label->setBuddy(box);
    grid->addWidget(label, row, column);
    grid->addWidget(box, row, column + 1);
    return box;
}

PathBox makePathBox(QWidget* parent, const char* name, const char* openName, const char* playName,
                    int width, const QString& accessibleName) {
    PathBox p;
    p.row = new QHBoxLayout;
    p.row->setContentsMargins(0, 0, 0, 0);
    p.row->setSpacing(2);
    p.open = makeBoxButton(parent, openName, "open-file", QStringLiteral("Abrir: ") + accessibleName);
    p.box = makeBox(parent, name, width - 56, accessibleName);
    p.box->setPlaceholderText(accessibleName);
    p.row->addWidget(p.open);
    p.row->addWidget(p.box, 1);
    if (playName) {
        // "Escoitar o son da pregunta": what the button plays.
        p.play = makeBoxButton(parent, playName, "play",
                               QStringLiteral("Escoitar o ") + accessibleName.left(1).toLower() +
                                   accessibleName.mid(1));
        p.row->addWidget(p.play);
    }
    return p;
}

void orderTabsByPosition(QWidget* page) {
    struct Place {
        QWidget* widget;
        QPoint at;
    };
    // Layouts place their widgets only when activated: do it now, so positions are real.
    if (page->layout())
        page->layout()->activate();
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->layout())
            w->layout()->activate();
    }
    std::vector<Place> places;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        // A combo box's popup list lives in a window of its own, and a spin box's
        // line edit is reached through the spin box: neither takes a place here.
        const bool proxy = w->parentWidget() && w->parentWidget()->focusProxy() == w;
        if (w->focusPolicy() & Qt::TabFocus && !w->isHidden() && !w->isWindow() &&
            w->window() == page->window() && !proxy)
            places.push_back({w, w->mapTo(page, QPoint(0, 0))});
    }
    std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        if (std::abs(a.at.y() - b.at.y()) >= 12)
            return a.at.y() < b.at.y();
        return a.at.x() < b.at.x();
    });
    for (std::size_t i = 1; i < places.size(); ++i)
        QWidget::setTabOrder(places[i - 1].widget, places[i].widget);
}

} // namespace vireta
