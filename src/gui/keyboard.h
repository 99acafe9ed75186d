// The window's keyboard: its shortcuts, and the text boxes' share of the keys (a box
// keeps its own undo while it has one, a spin box leaves Ctrl+Z to the window, and an
// Alt+letter that is no shortcut types nothing).
#pragma once

#include <QKeySequence>

#include <functional>
#include <vector>

class QWidget;

namespace vireta {

struct WindowKey {
    QKeySequence keys;
    std::function<void()> run;
};

// Installs `keys` as shortcuts of `window`, winning over its text boxes' own keys,
// and the text boxes' filter on every text box the window has.
void installWindowKeys(QWidget& window, const std::vector<WindowKey>& keys);

} // namespace vireta
