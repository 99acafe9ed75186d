// The program entry: the application, its one window and the event loop.
// `vireta QUIZ` opens the quiz file as "Abrir" would (the desktop entry passes the file
// a file manager opens with Vireta).
#include "actions/file_actions.h"
#include "dialogs.h"
#include "preguntas.h"
#include "translation.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QStyle>

int main(int argc, char** argv) {
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
