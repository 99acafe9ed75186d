// vireta-clase: the classroom game of a quiz file, served without the editor. It prints
// the student address, the game code and the presenter's address, then serves until
// Ctrl+C or SIGTERM, which save the results and end it.
#include "classroom/game_quiz.h"
#include "classroom_server.h"
#include "formats/quiz_file.h"
#include "vireta_version.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

using namespace vireta;

constexpr char kUsage[] =
    "Uso: vireta-clase CUESTIONARIO.xml [--port N] [--listen ENDEREZO] [--time S] [--no-ranking]\n"
    "     vireta-clase --help | --version\n"
    "Xoga o cuestionario en clase: o alumnado entra desde o navegador do móbil.\n"
    "  --port N          o primeiro porto que se proba (por defecto 8080; ata N+20)\n"
    "  --listen ENDEREZO escoitar só neste enderezo IP (por defecto, en todos)\n"
    "  --time S          segundos por pregunta, de 5 a 300; 0 sen límite (por defecto 20)\n"
    "  --no-ranking      non amosar a clasificación despois de cada pregunta\n"
    "Escribe tres liñas (Alumnado:, Código:, Presentador:) e serve ata Ctrl+C ou SIGTERM,\n"
    "que gardan os resultados ao lado do cuestionario; remata con 1 se non se puideron gardar.\n";

struct Options {
    std::string quiz;
    server::ServerOptions server;
    bool help = false;
    bool version = false;
};

// The whole number of `text` within [low, high], or nullopt.
std::optional<long> numberIn(const std::string& text, long low, long high) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long n = std::stol(text);
    if (n < low || n > high)
        return std::nullopt;
    return n;
}

std::optional<Options> parse(int argc, char** argv, std::string& error) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--no-ranking") {
            o.server.settings.ranking = false;
        } else if (a == "--port" || a == "--time" || a == "--listen") {
            if (!hasValue) {
                error = a + " precisa dun valor";
                return std::nullopt;
            }
            const std::string v = argv[++i];
            if (a == "--listen") {
                o.server.listen = QString::fromStdString(v);
            } else if (a == "--port") {
                const auto port = numberIn(v, 1, 65535);
                if (!port) {
                    error = "--port: o porto é un número de 1 a 65535";
                    return std::nullopt;
                }
                o.server.port = static_cast<quint16>(*port);
            } else {
                const auto seconds = numberIn(v, 0, classroom::kLongestLimit);
                if (!seconds || (*seconds != 0 && *seconds < classroom::kShortestLimit)) {
                    error = "--time: os segundos van de 5 a 300, ou 0 sen límite";
                    return std::nullopt;
                }
                o.server.settings.seconds =
                    *seconds == 0 ? std::nullopt : std::optional<int>(static_cast<int>(*seconds));
            }
        } else if (!a.empty() && a[0] == '-') {
            error = "opción descoñecida: " + a;
            return std::nullopt;
        } else if (o.quiz.empty()) {
            o.quiz = a;
        } else {
            error = "un só cuestionario, por favor: " + a;
            return std::nullopt;
        }
    }
    if (o.quiz.empty() && !o.help && !o.version) {
        error = "falta o cuestionario";
        return std::nullopt;
    }
    o.server.quizPath = o.quiz;
    return o;
}

// Ctrl+C and SIGTERM reach the event loop through a pipe.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void complain(const std::string& message) { std::fprintf(stderr, "vireta-clase: %s\n", message.c_str()); }

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::optional<Options> options = parse(argc, argv, error);
    if (!options) {
        complain(error);
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options->version) {
        std::printf("vireta-clase %s\n", VIRETA_VERSION);
        return 0;
    }

    GeneralData general;
    QuizModel model;
    try {
        OpenedQuiz opened = openQuizFile(options->quiz);
        for (const std::string& note : opened.notes)
            complain(options->quiz + ": " + note);
        const int count = opened.count();
        applyOpenedQuiz(std::move(opened), model, general);
        model.count = count;
    } catch (const QuizFileError& e) {
        complain(e.userMessage() + " " + e.userReason());
        return 1;
    }
    classroom::GameQuiz quiz = classroom::gameQuiz(general, model.questions, model.count);
    if (quiz.questions.empty()) {
        complain(options->quiz + ": ningunha pregunta ten enunciado e resposta correcta");
        return 1;
    }

    QCoreApplication app(argc, argv);
    if (::pipe(signalPipe) != 0) {
        complain("non se puido preparar a saída con Ctrl+C");
        return 1;
    }
    server::ClassroomServer server(std::move(quiz), options->server);
    QString why;
    if (!server.start(&why)) {
        complain(why.toStdString());
        return 1;
    }
    // The status says whether the results of the last save are on disk.
    bool saved = true;
    QObject::connect(&server, &server::ClassroomServer::resultsSaved, [&saved] { saved = true; });
    QObject::connect(&server, &server::ClassroomServer::resultsFailed, [&saved](const QString& message) {
        saved = false;
        complain(message.toStdString());
    });
    QSocketNotifier stopper(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopper, &QSocketNotifier::activated, &app, [&] {
        stopper.setEnabled(false);
        server.endGame();
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr); // the terminal closed: save all the same
    std::signal(SIGPIPE, SIG_IGN);       // a standard error that went away is no reason to die
    // Only now: whoever reads the lines may stop the server at once.
    std::printf("Alumnado: %s\nCódigo: %s\nPresentador: %s\n", server.studentUrl().toUtf8().constData(),
                server.code().toUtf8().constData(), server.presenterUrl().toUtf8().constData());
    std::fflush(stdout);

    app.exec();
    return saved ? 0 : 1;
}
