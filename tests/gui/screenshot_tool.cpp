// Shows the editor with a small sample quiz, presses one section button and saves a
// screenshot of the screen. Run under Xvfb by scripts/screenshot.sh.
#include "dialogs.h"
#include "preguntas.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    // "btexportar:1" presses the button, then selects tab 1 of the save page; "revision"
    // shows the save page's review of a quiz with a few faults.
    const QStringList pressParts = QString::fromLocal8Bit(argv[1]).split(QLatin1Char(':'));
    const QString press = pressParts[0];
    const QString file = QString::fromLocal8Bit(argv[2]);
    const QString image = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    vireta::QtDialogs dialogs;
    vireta::TForm1 w(dialogs);
    w.move(20, 20);
    w.titulotx->setText(QStringLiteral("Xeografía de Galicia"));
    w.subtitulotx->setText(QStringLiteral("Ríos, montes e cidades"));
    w.autortx->setText(QStringLiteral("Ana Pereira"));
    w.tempotx->setText(QStringLiteral("10"));
    w.introtx->setPlainText(QStringLiteral("Responde as preguntas sobre a xeografía galega.\n"
                                           "Só hai unha resposta correcta en cada pregunta."));
    w.txtcorcomun->setText(QStringLiteral("Moi ben!"));
    w.txtincorcomun->setText(QStringLiteral("Non é correcto."));
    w.bentx->setText(QStringLiteral("Parabéns, acertaches todas!"));
    w.maltx->setText(QStringLiteral("Podes mellorar. Téntao outra vez."));
    w.show();
    if (!press.isEmpty() && press != QLatin1String("about")) {
        if (auto* b = w.findChild<QToolButton*>(press))
            b->click();
        if (pressParts.size() > 1)
            w.ctformatos->setCurrentIndex(pressParts[1].toInt());
    }
    if (press == QLatin1String("revision")) {
        w.btpreg->click();
        w.txtpreg->setText(QStringLiteral("Cal é o río máis longo de Galicia?"));
        w.txtresp1->setText(QStringLiteral("O Miño"));
        w.txtresp2->setText(QStringLiteral("O Sil"));
        w.txtresp3->setText(QStringLiteral("o miño "));
        w.txtimaxe->setText(QStringLiteral("/home/profe/imaxes/mapa.png"));
        w.btinserir->click();
        w.txtpreg->setText(QStringLiteral("Cantas provincias ten Galicia?"));
        w.txtresp2->setText(QStringLiteral("Catro"));
        w.txtresp3->setText(QStringLiteral("Tres"));
        w.btexportar->click();
        w.ctformatos->setCurrentIndex(1);
    }
    if (press == QLatin1String("btpreg")) {
        w.txtpreg->setText(QStringLiteral("Cal é o río máis longo de Galicia?"));
        w.txtresp1->setText(QStringLiteral("O Miño"));
        w.txtresp2->setText(QStringLiteral("O Sil"));
        w.txtresp3->setText(QStringLiteral("O Ulla"));
        w.txtresp4->setText(QStringLiteral("O Tambre"));
        w.txtimaxe->setText(image);
        w.ponimaxe(w.imaxe, w.txtimaxe);
        w.txtenlace->setText(QStringLiteral("https://gl.wikipedia.org/wiki/Río_Miño"));
    }
    QTimer::singleShot(700, [&] {
        QPixmap shot = w.screen()->grabWindow(0, w.x(), w.y(), w.frameGeometry().width(),
                                              w.frameGeometry().height());
        shot.save(file);
        QCoreApplication::exit(0); // not quit(): that would ask about the unsaved sample
    });
    return app.exec();
}
