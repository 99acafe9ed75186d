// "En clase" and the "Xogo en clase" window, with the real server on 127.0.0.1: the
// game starts and opens the presenter's page, a phone joining shows in the count, the
// settings reach the game, and "Rematar" (asking while a question is open) frees the port.
#include "accessible_names.h"
#include "actions/classroom_actions.h"
#include "classroom/classroom_window.h"
#include "fake_dialogs.h"
#include "preguntas.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QCheckBox>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QWebSocket>

#include <memory>
#include <vector>

using namespace vireta;

namespace {

// A page of the game as a phone or the projector runs it: the WebSocket and what it
// was sent.
class PageClient {
public:
    explicit PageClient(quint16 port) {
        QObject::connect(&socket_, &QWebSocket::textMessageReceived, [this](const QString& text) {
            received_.push_back(QJsonDocument::fromJson(text.toUtf8()).object());
        });
        socket_.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
    }
    bool connected() {
        return QTest::qWaitFor(
            [this] { return socket_.state() == QAbstractSocket::ConnectedState; }, 5000);
    }
    void send(const QJsonObject& message) {
        socket_.sendTextMessage(
            QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
    }
    // The last message of type `type` that satisfies `wanted`, waiting for it; empty
    // when none came.
    template <typename Wanted> QJsonObject awaited(const QString& type, Wanted wanted, int ms = 5000) {
        QJsonObject found;
        (void)QTest::qWaitFor(
            [&] {
                for (auto it = received_.rbegin(); it != received_.rend(); ++it) {
                    if (it->value(QLatin1String("t")).toString() == type && wanted(*it)) {
                        found = *it;
                        return true;
                    }
                }
                return false;
            },
            ms);
        return found;
    }
    QJsonObject awaited(const QString& type, int ms = 5000) {
        return awaited(type, [](const QJsonObject&) { return true; }, ms);
    }
    QAbstractSocket::SocketState state() const { return socket_.state(); }

private:
    QWebSocket socket_;
    std::vector<QJsonObject> received_;
};

// A port nothing listens on now, as the first of the ones the server tries.
quint16 freePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool portIsFree(quint16 port) {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, port);
}

} // namespace

class ClassroomTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<WindowControls> ui;
    std::unique_ptr<QTemporaryDir> dir;

    ClassroomWindow* game() { return form->classroomActions().classroomWindow(); }
    template <typename T> T* control(const char* name) {
        T* found = game() ? game()->findChild<T*>(QLatin1String(name)) : nullptr;
        if (!found)
            qFatal("the classroom window has no control named %s", name);
        return found;
    }
    QString text(const char* label) { return control<QLabel>(label)->text(); }

    // Two questions a phone can answer and one it cannot (no right answer), in a quiz
    // saved as rios.xml in the test's folder.
    void fillQuiz(bool saved = true) {
        ui->titulotx->setText(QStringLiteral("Ríos"));
        ui->btpreg->click();
        ui->txtpreg->setText(QStringLiteral("Río máis longo?"));
        ui->txtresp1->setText(QStringLiteral("Miño"));
        ui->txtresp2->setText(QStringLiteral("Sil"));
        ui->btinserir->click();
        ui->txtpreg->setText(QStringLiteral("Monte máis alto?"));
        ui->txtresp1->setText(QStringLiteral("Trevinca"));
        ui->txtresp2->setText(QStringLiteral("Pindo"));
        ui->btinserir->click();
        ui->txtpreg->setText(QStringLiteral("Sen respostas"));
        if (saved)
            form->session().setQuizPath(dir->filePath(QStringLiteral("rios.xml")));
    }
    void showActive() {
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    // The presenter's secret, from the address the browser was given.
    QString presenterKey() {
        for (const auto& s : dialogs.shown) {
            if (s.kind == QLatin1String("url"))
                return QUrlQuery(QUrl(s.text)).queryItemValue(QStringLiteral("chave"));
        }
        return QString();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        dialogs = FakeDialogs();
        form = std::make_unique<TForm1>(dialogs);
        ui = std::make_unique<WindowControls>(*form);
        server::ServerOptions& options = form->classroomActions().serverOptions();
        options.listen = QStringLiteral("127.0.0.1");
        options.port = freePort();
        QVERIFY(options.port != 0);
    }
    void cleanup() {
        form.reset();
        dir.reset();
    }

    void theTopBarHasEnClase() {
        QCOMPARE(ui->btclase->text(), QStringLiteral("En &clase"));
        QCOMPARE(ui->btclase->accessibleName(), QStringLiteral("En clase"));
        QCOMPARE(ui->btclase->toolTip(),
                 QStringLiteral("Xogar o cuestionario en clase cos móbiles do alumnado (Alt+C)"));
        QVERIFY(!ui->btclase->icon().isNull());
        QCOMPARE(ui->btclase->parentWidget(), ui->Panel4);
        // Every button of the bar still fits at the window's least size.
        for (QToolButton* b : ui->Panel4->findChildren<QToolButton*>())
            QVERIFY2(b->sizeHint().width() <= b->width() + 4, qPrintable(b->objectName()));
    }

    // Alt+C: the game starts on 127.0.0.1, the projector's page opens, the window shows
    // the way in, a phone that joins is counted, and "Rematar" in the lobby closes the
    // window without asking and frees the port.
    void enClaseStartsTheGameAndRematarFreesThePort() {
        fillQuiz();
        showActive();
        QTest::keyClick(form.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(game());
        const server::ClassroomHost& host = game()->host();
        QVERIFY(host.running());
        const quint16 port = host.port();
        QVERIFY(port >= form->classroomActions().serverOptions().port);
        QCOMPARE(dialogs.kinds(), QStringList{"url"});
        QCOMPARE(dialogs.shown[0].text, host.presenterUrl());
        QVERIFY(host.presenterUrl().startsWith(
            QStringLiteral("http://127.0.0.1:%1/presentador?chave=").arg(port)));
        QVERIFY(!presenterKey().isEmpty());

        QVERIFY(game()->isVisible());
        QCOMPARE(game()->windowTitle(), QStringLiteral("Xogo en clase"));
        QVERIFY(
            QRegularExpression(QStringLiteral("^\\d{6}$")).match(text("classroomCode")).hasMatch());
        QCOMPARE(text("classroomCode"), host.code());
        QCOMPARE(text("classroomAddress"), QStringLiteral("http://127.0.0.1:%1/").arg(port));
        auto* qr = control<QLabel>("classroomQr");
        QVERIFY(qr->pixmap().deviceIndependentSize().width() >= 300);
        QVERIFY(qr->pixmap().deviceIndependentSize().width() <= qr->width());
        QCOMPARE(qr->accessibleName(), QStringLiteral("Código QR do enderezo do alumnado"));
        QCOMPARE(text("classroomPlayers"), QStringLiteral("0 xogadores"));
        QVERIFY(text("classroomResults").contains(QDir::toNativeSeparators(dir->path())));
        QCOMPARE(control<QSpinBox>("classroomSeconds")->value(), 20);
        QVERIFY(control<QCheckBox>("classroomRanking")->isChecked());
        QVERIFY(!control<QCheckBox>("classroomNoLimit")->isChecked());
        QStringList unnamed;
        collectUnnamed(QAccessible::queryAccessibleInterface(game()), unnamed);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));

        PageClient phone(port);
        QVERIFY(phone.connected());
        phone.send({{"t", "join"}, {"code", host.code()}, {"name", QStringLiteral("Uxía")}});
        QCOMPARE(phone.awaited("joined").value("name").toString(), QStringLiteral("Uxía"));
        QTRY_COMPARE(text("classroomPlayers"), QStringLiteral("1 xogador"));

        // A second "En clase" brings the window forward: one game at a time.
        ui->btclase->click();
        QCOMPARE(dialogs.kinds(), QStringList{"url"});

        control<QPushButton>("classroomEnd")->click();
        QCOMPARE(dialogs.kinds(), QStringList{"url"}); // nothing asked in the lobby
        QTRY_VERIFY(!game());
        QVERIFY(portIsFree(port));
        QTRY_COMPARE(phone.state(), QAbstractSocket::UnconnectedState);
    }

    // "Tempo por pregunta", "Sen límite" and "Amosar clasificación" reach the game: the
    // presenter's lobby shows each change at once.
    void theSettingsReachTheGame() {
        fillQuiz();
        ui->btclase->click();
        QVERIFY(game());
        PageClient projector(game()->host().port());
        QVERIFY(projector.connected());
        projector.send({{"t", "presenter"}, {"key", presenterKey()}});
        QCOMPARE(projector.awaited("lobby").value("seconds").toInt(), 20);

        auto* seconds = control<QSpinBox>("classroomSeconds");
        auto* noLimit = control<QCheckBox>("classroomNoLimit");
        auto* ranking = control<QCheckBox>("classroomRanking");
        seconds->setValue(45);
        QVERIFY(!projector
                     .awaited("lobby",
                              [](const QJsonObject& m) { return m.value("seconds").toInt() == 45; })
                     .isEmpty());
        noLimit->setChecked(true);
        QVERIFY(!seconds->isEnabled());
        QVERIFY(
            !projector
                 .awaited("lobby", [](const QJsonObject& m) { return m.value("seconds").isNull(); })
                 .isEmpty());
        ranking->setChecked(false);
        const QJsonObject last = projector.awaited(
            "lobby", [](const QJsonObject& m) { return !m.value("ranking").toBool(true); });
        QVERIFY(last.value("seconds").isNull());
        noLimit->setChecked(false);
        QVERIFY(!projector
                     .awaited("lobby",
                              [](const QJsonObject& m) { return m.value("seconds").toInt() == 45; })
                     .isEmpty());
    }

    // The server runs on a thread of its own in the editor: its clock still closes a
    // question that no one answers once its time (here the shortest, 5 s) is up.
    void aQuestionClosesByItselfWhenItsTimeIsUp() {
        fillQuiz();
        ui->btclase->click();
        QVERIFY(game());
        control<QSpinBox>("classroomSeconds")->setValue(5);
        PageClient projector(game()->host().port());
        PageClient phone(game()->host().port());
        QVERIFY(projector.connected() && phone.connected());
        projector.send({{"t", "presenter"}, {"key", presenterKey()}});
        phone.send({{"t", "join"}, {"code", game()->host().code()}, {"name", QStringLiteral("Iria")}});
        QVERIFY(!phone.awaited("joined").isEmpty());
        projector.send({{"t", "start"}});
        QCOMPARE(phone.awaited("question").value("seconds").toInt(), 5);
        QTest::qWait(4000);
        QVERIFY(phone.awaited("result", 2500).value("right") == QJsonValue(false));
    }

    // Once a question is open, "Rematar" and closing the window (or the editor) ask
    // first; "Seguir" plays on. Ended, the window stays with where the results went.
    void rematarDuringAGameAsksAndShowsTheResults() {
        fillQuiz();
        ui->btclase->click();
        QVERIFY(game());
        const quint16 port = game()->host().port();
        PageClient projector(port);
        PageClient phone(port);
        QVERIFY(projector.connected() && phone.connected());
        projector.send({{"t", "presenter"}, {"key", presenterKey()}});
        phone.send(
            {{"t", "join"}, {"code", game()->host().code()}, {"name", QStringLiteral("Brais")}});
        QVERIFY(!phone.awaited("joined").isEmpty());
        projector.send({{"t", "start"}});
        QCOMPARE(phone.awaited("question").value("of").toInt(),
                 2); // the question without answers is left out
        QTRY_VERIFY(game()->host().gameRunning());
        QTRY_COMPARE(text("classroomState"), QStringLiteral("Xogo en marcha."));

        dialogs.chooseAnswer = false;
        control<QPushButton>("classroomEnd")->click();
        QCOMPARE(dialogs.kinds().last(), QStringLiteral("choose"));
        QCOMPARE(dialogs.shown.back().text,
                 QStringLiteral("Rematar o xogo? Os resultados gárdanse."));
        QCOMPARE(dialogs.shown.back().title, QStringLiteral("Si, rematar|Seguir"));
        QVERIFY(game()->host().running());
        QVERIFY(!game()->close());
        QVERIFY(!form->close()); // the editor asks about the game too
        QVERIFY(game() && game()->host().running());
        QCOMPARE(dialogs.kinds().count(QStringLiteral("choose")), 3);

        dialogs.chooseAnswer = true;
        control<QPushButton>("classroomEnd")->click();
        QVERIFY(!game()->host().running());
        QVERIFY(portIsFree(port));
        QVERIFY(game()->isVisible());
        QVERIFY(!control<QLabel>("classroomQr")->isVisible());
        QCOMPARE(control<QPushButton>("classroomEnd")->text(), QStringLiteral("&Pechar"));
        const QStringList csv =
            QDir(dir->path()).entryList({QStringLiteral("rios-resultados-*.csv")});
        QCOMPARE(csv.size(), 1);
        QTRY_VERIFY(text("classroomResults").contains(csv[0]));
        // The server's last news, which may come after it stopped, leave the end as it is.
        QCOMPARE(text("classroomState"),
                 QStringLiteral("Xogo rematado. O alumnado xa non pode entrar."));
        control<QPushButton>("classroomEnd")->click();
        QTRY_VERIFY(!game());
    }

    // A quiz never saved: the results go where the save dialog would put it, and the
    // window says so. A quiz with nothing to play, or an address the server cannot
    // listen on, says why and opens nothing.
    void whereTheResultsGoAndWhyAGameCannotStart() {
        ui->btclase->click();
        QCOMPARE(dialogs.kinds(), QStringList{"inform"});
        QVERIFY(dialogs.shown[0].text.startsWith(
            QStringLiteral("Non hai ningunha pregunta para xogar en clase")));
        QVERIFY(!game());

        fillQuiz(false);
        form->session().rememberDialogChoice(dir->filePath(QStringLiteral("outro.xml")));
        ui->btclase->click();
        QVERIFY(game());
        QVERIFY(text("classroomResults").contains(QStringLiteral("aínda non está gardado")));
        QVERIFY(text("classroomResults").contains(QDir::toNativeSeparators(dir->path())));
        game()->close();
        QTRY_VERIFY(!game());

        dialogs.shown.clear();
        form->classroomActions().serverOptions().listen =
            QStringLiteral("192.0.2.1"); // no address of this machine
        ui->btclase->click();
        QCOMPARE(dialogs.kinds(), QStringList{"error"});
        QVERIFY(dialogs.shown[0].text.startsWith(
            QStringLiteral("Non se puido comezar o xogo en clase.\n")));
        QVERIFY(dialogs.shown[0].text.size() > 40); // the server's reason on the second line
        QVERIFY(!game());
    }
};

QTEST_MAIN(ClassroomTest)
#include "classroom_test.moc"
