#include "keyboard.h"

#include <QAbstractSpinBox>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextDocument>

namespace vireta {
namespace {

bool isUndoKey(const QKeyEvent* key) {
    return key->matches(QKeySequence::Undo);
}
bool isRedoKey(const QKeyEvent* key) {
    return key->matches(QKeySequence::Redo) ||
           key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);
}

// A spin box has none worth the name (its line edit forgets at every arrow step): its
// Ctrl+Z is the window's, whose history holds the changes that matter (the pass mark).
bool hasOwnUndo(QObject* box, bool redo) {
    if (qobject_cast<QAbstractSpinBox*>(box))
        return false;
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return redo ? line->isRedoAvailable() : line->isUndoAvailable();
    if (auto* text = qobject_cast<QPlainTextEdit*>(box))
        return redo ? text->document()->isRedoAvailable() : text->document()->isUndoAvailable();
    return false;
}

// Installed on every text box of the window.
class TextBoxKeys : public QObject {
public:
    TextBoxKeys(QObject* parent, QList<QKeySequence> windowKeys)
        : QObject(parent), windowKeys_(std::move(windowKeys)) {}

protected:
    bool eventFilter(QObject* box, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Returning true without accepting lets the window's shortcut run. A text box
            // would otherwise take Ctrl+E (end of line) or Ctrl+Z for itself.
            if (isUndoKey(key))
                return !hasOwnUndo(box, false);
            if (isRedoKey(key))
                return !hasOwnUndo(box, true);
            const QKeySequence pressed(key->keyCombination());
            for (const QKeySequence& own : windowKeys_) {
                if (own == pressed)
                    return true;
            }
            return false;
        }
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers mods = key->modifiers();
            // Alt with a letter that is no shortcut reaches the box as a key press:
            // it must not type the letter.
            if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) &&
                !key->text().isEmpty() && key->text().at(0).isPrint())
                return true;
        }
        return false;
    }

private:
    QList<QKeySequence> windowKeys_;
};

} // namespace

void installWindowKeys(QWidget& window, const std::vector<WindowKey>& keys) {
    QList<QKeySequence> windowKeys;
    for (const WindowKey& key : keys) {
        auto* shortcut = new QShortcut(key.keys, &window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window, key.run);
        windowKeys << key.keys;
    }

    auto* filter = new TextBoxKeys(&window, windowKeys);
    for (auto* box : window.findChildren<QLineEdit*>())
        box->installEventFilter(filter);
    for (auto* box : window.findChildren<QPlainTextEdit*>())
        box->installEventFilter(filter);
    for (auto* box : window.findChildren<QAbstractSpinBox*>())
        box->installEventFilter(filter);
}

} // namespace vireta
