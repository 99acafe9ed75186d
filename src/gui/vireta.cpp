// The program entry: the application, its one window and the event loop.
#include "dialogs.h"
#include "preguntas.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vireta"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vireta.svg")));

    vireta::QtDialogs dialogs;
    vireta::TForm1 window(dialogs);
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           window.screen()->availableGeometry()));
    window.show();
    return app.exec();
}
