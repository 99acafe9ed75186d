// The program entry: the application, its one window and the event loop.
// `vireta QUIZ` opens the quiz file as "Abrir" would (the desktop entry passes the file
// a file manager opens with Vireta). `--help` and `--version` are answered before Qt
// starts, so they need no display.
#include "actions/file_actions.h"
#include "dialogs.h"
#include "preguntas.h"
#include "translation.h"
#include "vireta_version.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QStyle>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: vireta [QUIZ]\n"
    "       vireta --help | --version\n"
    "\n"
    "Starts the quiz editor, with the quiz file QUIZ open when one is given.\n"
    "\n"
    "  --help     print this text\n"
    "  --version  print the version\n";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vireta %s\n", VIRETA_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vireta"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vireta.svg")));
    // Lets the desktop match the window with the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vireta.Vireta"));
    // File dialogs and the text boxes' menus in Galician, like the window.
    vireta::installQtGalician(app);

    vireta::QtDialogs dialogs;
    vireta::TForm1 window(dialogs);
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           window.screen()->availableGeometry()));
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2)
        window.fileActions().LoadItem(QFileInfo(arguments[1]).absoluteFilePath());
    return app.exec();
}
