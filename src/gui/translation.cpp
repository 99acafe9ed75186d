#include "translation.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vireta {
namespace {

// The standard buttons' captions, which Debian's qt_gl.qm leaves in English (it
// predates their move to the platform theme), so that a Galician file dialog does not
// end in a "Cancel" button. The message boxes name their own buttons too.
class StandardButtonsInGalician : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        static const QHash<QString, QString> captions = {
            {QStringLiteral("OK"), QStringLiteral("Aceptar")},
            {QStringLiteral("Cancel"), QStringLiteral("Cancelar")},
            {QStringLiteral("Open"), QStringLiteral("Abrir")},
            {QStringLiteral("Save"), QStringLiteral("Gardar")},
            {QStringLiteral("Close"), QStringLiteral("Pechar")},
            {QStringLiteral("Help"), QStringLiteral("Axuda")},
            {QStringLiteral("&Yes"), QStringLiteral("&Si")},
            {QStringLiteral("&No"), QStringLiteral("&Non")},
        };
        if (qstrcmp(context, "QPlatformTheme") != 0)
            return QString();
        return captions.value(QString::fromUtf8(sourceText));
    }

    bool isEmpty() const override { return false; }
};

} // namespace

QTranslator* installQtGalician(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale galician(QLocale::Galician, QLocale::Spain);
    // File types (from the system's MIME catalogue) are named in the default locale's
    // language.
    QLocale::setDefault(galician);
    // What Qt's catalogue lacks, shipped with the program; asked after Qt's catalogue.
    auto* additions = new QTranslator(&app);
    if (additions->load(QStringLiteral(":/translations/vireta_gl.qm")))
        QCoreApplication::installTranslator(additions);
    else
        delete additions;
    for (const char* catalogue : {"qtbase", "qt"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(galician, QString::fromLatin1(catalogue), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            // Asked first, since it is installed last; it answers only for the buttons.
            QCoreApplication::installTranslator(new StandardButtonsInGalician(&app));
            return translator;
        }
        delete translator;
    }
    return nullptr;
}

} // namespace vireta
