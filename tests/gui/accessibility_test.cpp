// A screen reader reaching the window names every control: walk the accessibility
// tree of each page and look for an input or button without a name.
#include "accessible_names.h"
#include "fake_dialogs.h"
#include "preguntas.h"
#include "quiz_session.h"
#include "window_controls.h"

#include <QAccessible>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>

#include <cstdlib>
#include <QToolButton>

using namespace vireta;

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyVisibleInputAndButtonHasAName() {
        FakeDialogs dialogs;
        TForm1 form(dialogs);
        WindowControls ui(form);
        form.show();
        for (int page = 0; page < 6; ++page) {
            ui.nota->setCurrentIndex(page);
            QTest::qWait(1);
            QStringList unnamed;
            collectUnnamed(QAccessible::queryAccessibleInterface(&form), unnamed);
            QVERIFY2(unnamed.isEmpty(),
                     qPrintable(QStringLiteral("page %1: ").arg(page) + unnamed.join(", ")));
        }
        // Each kind of question shows controls of its own, the message's box too.
        ui.nota->setCurrentWidget(ui.page2);
        for (int kind = 0; kind < ui.cbtipo->count(); ++kind) {
            ui.cbtipo->setCurrentIndex(kind);
            ui.btretro1->click();
            QTest::qWait(1);
            QStringList unnamed;
            collectUnnamed(QAccessible::queryAccessibleInterface(&form), unnamed);
            collectUnnamed(QAccessible::queryAccessibleInterface(ui.txtretro->window()), unnamed);
            ui.txtretro->window()->close();
            QVERIFY2(unnamed.isEmpty(), qPrintable(ui.cbtipo->currentText() + ": " + unnamed.join(", ")));
        }
    }

    void tabFollowsTheReadingOrderOfEachPage() {
        FakeDialogs dialogs;
        TForm1 form(dialogs);
        WindowControls ui(form);
        form.show();
        // The questions page once for each kind of question, whose controls differ.
        const int kinds = ui.cbtipo->count();
        for (QWidget* page : {ui.page1, ui.page2, ui.page2, ui.page2, ui.page2, ui.page3, ui.page5}) {
            ui.nota->setCurrentWidget(page);
            if (page == ui.page2)
                ui.cbtipo->setCurrentIndex((ui.cbtipo->currentIndex() + 1) % kinds);
            QTest::qWait(1);
            // Walk the chain from the page's first control; positions must read like text.
            QWidget* w = page->nextInFocusChain();
            while (w && !(w->isVisibleTo(page) && (w->focusPolicy() & Qt::TabFocus)))
                w = w->nextInFocusChain();
            QVERIFY(w);
            QPoint last = w->mapTo(page, QPoint(0, 0));
            int visited = 0;
            for (QWidget* next = w->nextInFocusChain(); next && next != w && visited < 200;
                 next = next->nextInFocusChain()) {
                if (!page->isAncestorOf(next) || !next->isVisibleTo(page) ||
                    !(next->focusPolicy() & Qt::TabFocus))
                    continue;
                const QPoint at = next->mapTo(page, QPoint(0, 0));
                const bool sameRow = std::abs(at.y() - last.y()) < 12;
                QVERIFY2(sameRow ? at.x() >= last.x() : at.y() > last.y(),
                         qPrintable(page->objectName() + ": " + next->objectName() + " (" +
                                    ui.cbtipo->currentText() + ")"));
                last = at;
                ++visited;
            }
            QVERIFY(visited > 3);
        }
    }

    void iconButtonsShowTheirNameAsTooltip() {
        FakeDialogs dialogs;
        TForm1 form(dialogs);
        WindowControls ui(form);
        for (QToolButton* b : form.findChildren<QToolButton*>()) {
            const QString name = b->objectName();
            if (!name.startsWith(QLatin1String("bt")) && !name.startsWith(QLatin1String("SpeedButton")))
                continue; // Qt's own buttons, such as a tab bar's scroll arrows
            if (b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly) {
                QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->objectName()));
                QVERIFY2(b->toolTip().startsWith(b->accessibleName()), qPrintable(b->objectName()));
            }
        }
    }

    // The boxes whose captions a teacher would have to guess say what they do.
    void unclearCaptionsHaveTooltips() {
        FakeDialogs dialogs;
        TForm1 form(dialogs);
        const std::pair<const char*, const char*> boxes[] = {
            {"enviar", "Enderezo"}, {"Campo1", "campo1"}, {"campo2", "campo2"}, {"lonx1", "caracteres"},
            {"lonx2", "caracteres"}, {"oculto", "sen mostralo"}, {"texto", "subtítulo"},
            {"tempotx", "5:00, 90s ou 2 min"}, {"SpeedButton14", "vista previa"},
            {"btponson4", "Escoitar o son da pregunta"}, {"btponson7", "Escoitar o son do xogo finalizado ben"},
        };
        for (const auto& [name, words] : boxes) {
            auto* w = form.findChild<QWidget*>(QLatin1String(name));
            QVERIFY2(w, name);
            QVERIFY2(w->toolTip().contains(QString::fromUtf8(words)), qPrintable(w->toolTip()));
        }
    }

    void theNavigationBarAnswersTheKeyboard() {
        FakeDialogs dialogs;
        TForm1 form(dialogs);
        WindowControls ui(form);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.btpregClick();
        ui.btinserir->click();
        ui.btinserir->click();
        QCOMPARE(form.session().model().current, 3);
        ui.txtpreg->setFocus();
        // A shortcut presses its button as a click shown on screen, which takes a moment.
        QTest::keyClick(ui.txtpreg, Qt::Key_Home, Qt::AltModifier);
        QTRY_COMPARE(form.session().model().current, 1);
        QTest::keyClick(ui.txtpreg, Qt::Key_PageDown, Qt::AltModifier);
        QTRY_COMPARE(form.session().model().current, 2);
        QVERIFY(ui.SpeedButton24->toolTip().contains(QLatin1Char('(')));
        ui.npreg->setText(QStringLiteral("3"));
        QTest::keyClick(ui.npreg, Qt::Key_Return);
        QCOMPARE(form.session().model().current, 3);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
