#include "dialogs.h"

#include "image_dialog.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

namespace vireta {
namespace {

const QString kCaption = QStringLiteral("vireta");

QMessageBox::StandardButton showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                    const QString& detail = QString()) {
    // A question's closing " ?" never wraps onto a line of its own.
    QString shown = text;
    shown.replace(QStringLiteral(" ?"), QStringLiteral("\u00a0?"));
    // The detail in the same plain-text label, a blank line beneath the text.
    if (!detail.isEmpty())
        shown += QStringLiteral("\n\n") + detail;
    QMessageBox box(icon, title, shown, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // In Galician whatever catalogue is installed.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("Aceptar"));
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        cancel->setText(QStringLiteral("Cancelar"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// A question with the buttons `keep`, `discard` and "Cancelar", the default.
Dialogs::SaveAnswer askKeepOrDiscard(QWidget* parent, const QString& text, const QString& keep,
                                     const QString& discard) {
    QMessageBox box(QMessageBox::Warning, kCaption, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Save)->setText(keep);
    box.button(QMessageBox::Discard)->setText(discard);
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancelar"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return Dialogs::SaveAnswer::Save;
    case QMessageBox::Discard: return Dialogs::SaveAnswer::Discard;
    default: return Dialogs::SaveAnswer::Cancel;
    }
}

} // namespace

bool QtDialogs::confirm(QWidget* parent, const QString& text) {
    return showBox(parent, QMessageBox::NoIcon, kCaption, text,
                   QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool QtDialogs::confirmDestroying(QWidget* parent, const QString& text, const QString& detail) {
    return showBox(parent, QMessageBox::NoIcon, kCaption, text,
                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
                   detail) == QMessageBox::Ok;
}

Dialogs::SaveAnswer QtDialogs::askToSave(QWidget* parent, const QString& text) {
    return askKeepOrDiscard(parent, text, QStringLiteral("Gardar"), QStringLiteral("Non gardar"));
}

Dialogs::SaveAnswer QtDialogs::askToApply(QWidget* parent, const QString& text) {
    return askKeepOrDiscard(parent, text, QStringLiteral("Aplicar"), QStringLiteral("Descartar"));
}

bool QtDialogs::choose(QWidget* parent, const QString& text, const QString& accept,
                       const QString& reject) {
    QMessageBox box(QMessageBox::NoIcon, kCaption, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QAbstractButton* yes = box.addButton(accept, QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(reject, QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void QtDialogs::inform(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::NoIcon, kCaption, text, QMessageBox::Ok);
}

void QtDialogs::warn(QWidget* parent, const QString& title, const QString& text) {
    showBox(parent, QMessageBox::Warning, title, text, QMessageBox::Ok);
}

void QtDialogs::error(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Critical, kCaption, text, QMessageBox::Ok);
}

std::optional<QString> QtDialogs::openFile(QWidget* parent, const QString& title,
                                           const QString& filter, const QString& folder) {
    QFileDialog dialog(parent, title, folder, qtFilter(filter));
    speakGalician(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::openImage(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& folder) {
    ImageFileDialog dialog(parent, title, qtFilter(filter));
    dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const QString& title,
                                           const QString& filter, const QString& initialPath) {
    // No default suffix: the save step adds the format's extension to a name without
    // one (and the window asks before that name replaces a file). A file of the name
    // chosen here is replaced only after the dialog's own question (whose default is No).
    QFileDialog dialog(parent, title, initialPath, qtFilter(filter));
    speakGalician(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void QtDialogs::printPreview(QWidget* parent, QPrinter& printer,
                             const std::function<void(QPrinter*)>& paint) {
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Vista previa da impresi\u00f3n"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.exec();
}

bool QtDialogs::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

void openPageInBrowser(Dialogs& dialogs, QWidget* parent, const QString& path) {
    if (!dialogs.openUrl(QUrl::fromLocalFile(path)))
        dialogs.error(parent, QStringLiteral("Non se puido abrir o navegador.\n") +
                                  QDir::toNativeSeparators(path));
}

QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        entries << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace vireta
