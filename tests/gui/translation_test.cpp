// Qt's Galician translation: the text boxes' menus and the file dialog speak Galician,
// while the message boxes keep their "OK" and "Cancel".
#include "dialogs.h"
#include "translation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <memory>

using namespace vireta;

class TranslationTest : public QObject {
    Q_OBJECT

    // Arranges for the next message box to have the texts of its buttons written to
    // `texts` and to be answered with `answer`.
    void answerNextBox(QStringList& texts, QMessageBox::StandardButton answer) {
        QTimer::singleShot(0, this, [&texts, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* b : box->buttons())
                texts << b->text();
            box->button(answer)->click();
        });
    }

private slots:
    void initTestCase() {
        const QDir folder(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (!folder.exists(QStringLiteral("qt_gl.qm")) && !folder.exists(QStringLiteral("qtbase_gl.qm")))
            QSKIP("Qt's Galician translation is not installed (package qt6-translations-l10n)");
        QTranslator* translator = installQtGalician(*qApp);
        QVERIFY(translator);
        QVERIFY(!translator->isEmpty());
    }

    void textBoxMenuSpeaksGalician() {
        QLineEdit box(QStringLiteral("texto"));
        std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList texts;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                texts << a->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
        QVERIFY2(texts.contains(QStringLiteral("Copiar")), qPrintable(texts.join(", ")));
        QVERIFY2(texts.contains(QStringLiteral("Cortar")), qPrintable(texts.join(", ")));
        QVERIFY2(!texts.contains(QStringLiteral("Copy")), qPrintable(texts.join(", ")));
    }

    void fileDialogSpeaksGalician() {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        QStringList texts;
        for (QLabel* l : dialog.findChildren<QLabel*>())
            texts << l->text();
        for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
            texts << b->text() << b->toolTip();
        texts.removeAll(QString());
        const QString all = texts.join(", ");
        QVERIFY2(texts.contains(QStringLiteral("Procurar en:")), qPrintable(all));
        QVERIFY2(texts.contains(QStringLiteral("Cancelar")), qPrintable(all));
        QVERIFY2(!texts.contains(QStringLiteral("Cancel")), qPrintable(all));
        QVERIFY2(!texts.contains(QStringLiteral("Look in:")), qPrintable(all));
    }

    void messageBoxesKeepOkAndCancel() {
        QtDialogs dialogs;
        QStringList texts;
        answerNextBox(texts, QMessageBox::Cancel);
        QVERIFY(!dialogs.confirm(nullptr, QStringLiteral("Seguro?")));
        texts.sort();
        QCOMPARE(texts, (QStringList{QStringLiteral("Cancel"), QStringLiteral("OK")}));

        texts.clear();
        answerNextBox(texts, QMessageBox::Ok);
        QVERIFY(dialogs.confirm(nullptr, QStringLiteral("Seguro?")));
        QCOMPARE(texts.size(), 2);

        for (auto show : {+[](QtDialogs& d) { d.inform(nullptr, QStringLiteral("Aviso")); },
                          +[](QtDialogs& d) { d.warn(nullptr, QStringLiteral("Axuda"), QStringLiteral("Non está")); },
                          +[](QtDialogs& d) { d.error(nullptr, QStringLiteral("Erro")); }}) {
            texts.clear();
            answerNextBox(texts, QMessageBox::Ok);
            show(dialogs);
            QCOMPARE(texts, QStringList{QStringLiteral("OK")});
        }
    }
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
