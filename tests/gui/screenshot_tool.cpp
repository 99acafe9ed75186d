// Shows the editor with a small sample quiz, presses one section button and saves a
// screenshot of the screen. Run under Xvfb by scripts/screenshot.sh. It reaches the
// controls by their names only, as a person reaches them by their captions.
#include "actions/classroom_actions.h"
#include "classroom/classroom_window.h"
#include "dialogs.h"
#include "preguntas.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

// The desktop's dialogs, but no browser: the presenter's page of "clase" is not opened.
class NoBrowserDialogs : public vireta::QtDialogs {
public:
    bool openUrl(const QUrl&) override { return true; }
};

template <typename T>
T* named(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    // "btexportar:1" presses the button, then selects tab 1 of the save page; "revision"
    // shows the save page's review of a quiz with a few faults; "btpreg:varias" (or vf,
    // curta) shows a question of that kind, "btpreg:varias:retro" with the box of its first
    // answer's message open; "clase" the "Xogo en clase" window of a game in its lobby.
    const QStringList pressParts = QString::fromLocal8Bit(argv[1]).split(QLatin1Char(':'));
    const QString press = pressParts[0];
    const QString file = QString::fromLocal8Bit(argv[2]);
    const QString image = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    NoBrowserDialogs dialogs;
    vireta::TForm1 w(dialogs);
    auto box = [&w](const char* name) { return named<QLineEdit>(w, name); };
    auto click = [&w](const char* name) { named<QToolButton>(w, name)->click(); };
    w.move(20, 20);
    // VIRETA_SCREENSHOT_SIZE=WIDTHxHEIGHT shows the window at that size (its client area)
    // instead of the size it opens at.
    const QStringList size = qEnvironmentVariable("VIRETA_SCREENSHOT_SIZE").split(QLatin1Char('x'));
    if (size.size() == 2)
        w.resize(size[0].toInt(), size[1].toInt());
    box("titulotx")->setText(QStringLiteral("Xeografía de Galicia"));
    box("subtitulotx")->setText(QStringLiteral("Ríos, montes e cidades"));
    box("autortx")->setText(QStringLiteral("Ana Pereira"));
    box("tempotx")->setText(QStringLiteral("10"));
    named<QPlainTextEdit>(w, "introtx")
        ->setPlainText(QStringLiteral("Responde as preguntas sobre a xeografía galega.\n"
                                      "Só hai unha resposta correcta en cada pregunta."));
    box("txtcorcomun")->setText(QStringLiteral("Moi ben!"));
    box("txtincorcomun")->setText(QStringLiteral("Non é correcto."));
    box("bentx")->setText(QStringLiteral("Parabéns, acertaches todas!"));
    box("maltx")->setText(QStringLiteral("Podes mellorar. Téntao outra vez."));
    w.show();
    if (!press.isEmpty() && press != QLatin1String("about") && press != QLatin1String("revision") &&
        press != QLatin1String("clase")) {
        click(press.toLatin1().constData());
        if (pressParts.size() > 1 && press != QLatin1String("btpreg"))
            named<QTabWidget>(w, "ctformatos")->setCurrentIndex(pressParts[1].toInt());
    }
    if (press == QLatin1String("revision")) {
        click("btpreg");
        box("txtpreg")->setText(QStringLiteral("Cal é o río máis longo de Galicia?"));
        box("txtresp1")->setText(QStringLiteral("O Miño"));
        box("txtresp2")->setText(QStringLiteral("O Sil"));
        box("txtresp3")->setText(QStringLiteral("o miño "));
        box("txtimaxe")->setText(QStringLiteral("/home/profe/imaxes/mapa.png"));
        click("btinserir");
        box("txtpreg")->setText(QStringLiteral("Cantas provincias ten Galicia?"));
        box("txtresp2")->setText(QStringLiteral("Catro"));
        box("txtresp3")->setText(QStringLiteral("Tres"));
        click("btexportar");
        named<QTabWidget>(w, "ctformatos")->setCurrentIndex(1);
    }
    if (press == QLatin1String("btpreg")) {
        box("txtpreg")->setText(QStringLiteral("Cal é o río máis longo de Galicia?"));
        box("txtresp1")->setText(QStringLiteral("O Miño"));
        box("txtresp2")->setText(QStringLiteral("O Sil"));
        box("txtresp3")->setText(QStringLiteral("O Ulla"));
        box("txtresp4")->setText(QStringLiteral("O Tambre"));
        box("txtimaxe")->setText(image);
        click("SpeedButton14"); // the picture's preview, as "Actualizar a imaxe" shows it
        box("txtenlace")->setText(QStringLiteral("https://gl.wikipedia.org/wiki/Río_Miño"));
        const QString kind = pressParts.value(1);
        auto* kinds = named<QComboBox>(w, "cbtipo");
        if (kind == QLatin1String("varias")) {
            box("txtpreg")->setText(QStringLiteral("Cales son ríos galegos?"));
            box("txtresp2")->setText(QStringLiteral("O Mondego"));
            kinds->setCurrentIndex(1);
            named<QCheckBox>(w, "chkcorrecta3")->setChecked(true);
            named<QCheckBox>(w, "chkcorrecta4")->setChecked(true);
            click("btretro4"); // "O Tambre" has a message
            box("txtretro")->setText(QStringLiteral("Si: desemboca na ría de Muros e Noia."));
            box("txtretro")->window()->close();
        } else if (kind == QLatin1String("vf")) {
            box("txtpreg")->setText(QStringLiteral("O Miño nace en Ourense."));
            kinds->setCurrentIndex(2);
            named<QRadioButton>(w, "optfalso")->setChecked(true);
        } else if (kind == QLatin1String("curta")) {
            box("txtpreg")->setText(QStringLiteral("Cal é o río máis longo de Galicia?"));
            kinds->setCurrentIndex(3);
            box("txtresp1")->setText(QStringLiteral("Miño"));
            box("txtresp2")->setText(QStringLiteral("O Miño"));
            box("txtresp3")->clear();
            box("txtresp4")->clear();
        }
        if (pressParts.value(2) == QLatin1String("retro"))
            named<QToolButton>(w, "btretro1")->click(); // the first answer's message
    }
    QWidget* shown = &w;
    if (press == QLatin1String("clase")) {
        click("btpreg");
        box("txtpreg")->setText(QStringLiteral("Cal é o río máis longo de Galicia?"));
        box("txtresp1")->setText(QStringLiteral("O Miño"));
        box("txtresp2")->setText(QStringLiteral("O Sil"));
        click("btclase");
        shown = w.classroomActions().classroomWindow();
        if (!shown)
            qFatal("the classroom game did not start");
        shown->move(w.x() + 60, w.y() + 40);
    }
    QTimer::singleShot(700, [&] {
        QPixmap shot = shown->screen()->grabWindow(0, shown->x(), shown->y(), shown->frameGeometry().width(),
                                                   shown->frameGeometry().height());
        shot.save(file);
        QCoreApplication::exit(0); // not quit(): that would ask about the unsaved sample
    });
    return app.exec();
}
