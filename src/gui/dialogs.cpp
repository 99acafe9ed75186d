#include "dialogs.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace vireta {
namespace {

const QString kCaption = QStringLiteral("vireta");

QMessageBox::StandardButton showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    // The buttons say "OK" and "Cancel" in every language: Qt's Galician catalogue
    // would otherwise rename them.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("OK"));
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        cancel->setText(QStringLiteral("Cancel"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> chosen(const QString& path) {
    if (path.isNull())
        return std::nullopt;
    return path;
}

} // namespace

bool QtDialogs::confirm(QWidget* parent, const QString& text) {
    return showBox(parent, QMessageBox::NoIcon, kCaption, text,
                   QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
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
                                           const QString& filter) {
    return chosen(QFileDialog::getOpenFileName(parent, title, QString(), qtFilter(filter)));
}

std::optional<QString> QtDialogs::openImage(QWidget* parent, const QString& title,
                                            const QString& filter) {
    return chosen(QFileDialog::getOpenFileName(parent, title, QString(), qtFilter(filter)));
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const QString& title,
                                           const QString& filter, const QString& initialPath) {
    // No default suffix: the save step adds the format's extension to a name without
    // one (and the window asks before that name replaces a file). A file of the name
    // chosen here is replaced only after the dialog's own question.
    return chosen(QFileDialog::getSaveFileName(parent, title, initialPath, qtFilter(filter)));
}

void QtDialogs::openWithDesktop(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
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
