// The command line's paper test module (see paper_module.h).
#include "paper_module.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>

#include <cstdio>
#include <exception>

namespace {

// Qt's own notices (such as a missing runtime folder on a server) are not the
// program's; only its critical messages reach standard error.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "vireta-export: %s\n", message.toLocal8Bit().constData());
}

} // namespace

extern "C" __attribute__((visibility("default"))) bool
vireta_paper_files(const vireta::PaperJob& job, vireta::PaperFiles& files, std::string& error) {
    static_assert(std::is_same_v<decltype(&vireta_paper_files), vireta::PaperModuleEntry>);
    try {
        // The command line never shows a window, so the offscreen platform always serves.
        qInstallMessageHandler(qtMessage);
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        int argc = 1;
        char name[] = "vireta-export";
        char* argv[] = {name, nullptr};
        QGuiApplication app(argc, argv);
        auto generator = job.seed ? vireta::ShuffleGenerator::withFixedSeed(*job.seed)
                                  : vireta::ShuffleGenerator();
        const vireta::PaperDocument doc = vireta::makePaperDocument(
            *job.general, *job.questions, job.count, *job.settings, generator);
        files = vireta::paperTestFiles(doc, job.settings->paper);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}
