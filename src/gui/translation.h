// Qt's own Galician translation, so the file dialogs and the text boxes' menus speak
// the language of the window.
#pragma once

class QCoreApplication;
class QTranslator;

namespace vireta {

// Loads Qt's Galician catalogue from Qt's translations folder (qtbase_gl.qm, or the
// all-in-one qt_gl.qm that Debian's qt6-translations-l10n ships) and installs it in
// `app`, with the program's own additions (resources/translations/vireta_gl.ts: the
// words of Qt 6's file dialog that the catalogue lacks), and makes Galician the default
// locale. Returns Qt's translator, owned by `app`, or nullptr when neither file is
// there; the program then stays in Qt's English.
QTranslator* installQtGalician(QCoreApplication& app);

} // namespace vireta
