// Qt's Galician translation: the text boxes' menus and the file dialog speak Galician,
// and so do the message boxes: "Aceptar" and "Cancelar".
#include "dialogs.h"
#include "image_dialog.h"
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
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
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

    void theFileListSpeaksGalicianToo() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("imaxes")));
        QFile file(dir.filePath(QStringLiteral("notas.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2048, 'x'));
        file.close();
        QFileDialog dialog(nullptr, QString(), dir.path());
        speakGalician(dialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.show();
        auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(list);
        QAbstractItemModel* model = list->model();
        QTRY_COMPARE(model->rowCount(list->rootIndex()), 2);
        QStringList cells;
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 4; ++column)
                cells << model->index(row, column, list->rootIndex()).data().toString();
        const QString all = cells.join(QStringLiteral(" | "));
        QVERIFY2(cells.contains(QStringLiteral("Cartafol")), qPrintable(all));
        QVERIFY2(cells.contains(QStringLiteral("2,00 KiB")), qPrintable(all));
        const QString today = QLocale(QLocale::Galician, QLocale::Spain)
                                  .toString(QDate::currentDate(), QLocale::ShortFormat);
        QVERIFY2(all.contains(today), qPrintable(all + " / " + today));
        dialog.close();
    }

    void theUnsavedWorkQuestionHasGalicianButtonsAndCancelByDefault() {
        QtDialogs dialogs;
        QStringList texts;
        QString defaultText;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* b : box->buttons())
                texts << b->text();
            defaultText = box->defaultButton()->text();
            box->defaultButton()->click();
        });
        QCOMPARE(dialogs.askToSave(nullptr, QStringLiteral("Gardar?")), Dialogs::SaveAnswer::Cancel);
        texts.sort();
        QCOMPARE(texts, (QStringList{"Cancelar", "Gardar", "Non gardar"}));
        QCOMPARE(defaultText, QStringLiteral("Cancelar"));

        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            defaultText = box->defaultButton()->text();
            QVERIFY(box->text().endsWith(QStringLiteral("?\n\nCapital de Galicia?")));
            QVERIFY(!box->text().contains(QStringLiteral(" ?")));
            box->defaultButton()->click();
        });
        QVERIFY(!dialogs.confirmDestroying(nullptr, QStringLiteral("Borrar ?"),
                                           QStringLiteral("Capital de Galicia?")));
        QCOMPARE(defaultText, QStringLiteral("Cancelar"));
    }

    void messageBoxesSayAceptarAndCancelar() {
        QtDialogs dialogs;
        QStringList texts;
        answerNextBox(texts, QMessageBox::Cancel);
        QVERIFY(!dialogs.confirm(nullptr, QStringLiteral("Seguro?")));
        texts.sort();
        QCOMPARE(texts, (QStringList{QStringLiteral("Aceptar"), QStringLiteral("Cancelar")}));

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
            QCOMPARE(texts, QStringList{QStringLiteral("Aceptar")});
        }
    }
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
