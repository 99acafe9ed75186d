// vireta-export -f html|js|ebk|web: every option of the save page's tabs reaches the
// writer, --seed makes the shuffled pages reproducible, and --pass-mark takes the
// place of the quiz's pass mark.
#include "formats/book.h"
#include "formats/form_page.h"
#include "formats/marking_page.h"
#include "formats/quiz_file.h"
#include "formats/web_game.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

using namespace vireta;
using namespace testfiles;

namespace {

const char kQuiz[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xogo version=\"1.0\">\n"
    "<titulo>R\xC3\xAD" "os</titulo><subtitulo>Galicia &amp; Asturias</subtitulo>\n"
    "<autor>Uxia</autor><axuda>Axuda</axuda>\n"
    "<ben son=\"C:\\sons\\ben.wav\">Moi \"ben\"</ben><mal son=\"mal.wav\">Mal</mal>\n"
    "<preguntas>\n"
    "<pregunta><enunciado>Cal \xC3\xA9 o m\xC3\xA1is longo?</enunciado>"
    "<resposta>Mi\xC3\xB1o</resposta><resposta>Sil</resposta><resposta>Ulla</resposta>"
    "<imaxe>fotos/mapa.jpg</imaxe><son>rio.mp3</son></pregunta>\n"
    "<pregunta><enunciado>Onde nace o Mi\xC3\xB1o?</enunciado>"
    "<resposta>Irimia</resposta><resposta>Lugo</resposta></pregunta>\n"
    "<pregunta><enunciado>Sen respostas</enunciado></pregunta>\n"
    "<pregunta><enunciado>Pouco</enunciado><resposta>Si</resposta></pregunta>\n"
    "</preguntas></xogo>\n";

struct Case {
    const char* format; // -f
    const char* args;   // the tab's options, as shell words
    ExportSettings settings;
};

ExportSettings formOptions() {
    ExportSettings s;
    s.style = "C:\\estilos\\a.css";
    s.action = "http://example.org/recibe";
    s.field1Label = "Nome";
    s.field1Size = "30";
    s.field2Label = "Curso";
    s.field2Size = "4";
    s.hidden = "oculto 1";
    s.text = "Le <b>ben</b>";
    s.utf8 = false;
    s.shuffleAnswers = true;
    return s;
}

ExportSettings markingOptions() {
    ExportSettings s;
    s.styleJs = "/home/ana/xogo.css";
    s.buttonText = "Corrixir \"xa\"";
    s.text = "Texto";
    s.utf8 = false;
    return s;
}

TEST(CliExports, EveryOptionReachesTheWriterAndTheSeedFixesTheShuffle) {
    ScratchDir scratch;
    const std::string dir = scratch.folder();
    writeFile(dir + "quiz.xml", kQuiz);

    const Case cases[] = {
        {"html", "", {}},
        {"html",
         "--style 'C:\\estilos\\a.css' --action http://example.org/recibe --field1 Nome "
         "--size1 30 --field2 Curso --size2 4 --hidden 'oculto 1' --no-utf8 "
         "--shuffle-answers --text 'Le <b>ben</b>'",
         formOptions()},
        {"js", "", {}},
        {"js", "--style-js /home/ana/xogo.css --button 'Corrixir \"xa\"' --text Texto --no-utf8",
         markingOptions()},
        {"ebk", "", {}},
        {"web", "", {}},
    };
    for (std::uint32_t seed : {0u, 99u, 4294967295u}) {
        for (const auto& c : cases) {
            const std::string cmd = "cd '" + dir + "' && '" VIRETA_EXPORT_BIN "' -f " + c.format +
                                    " -o out " + c.args + " --seed " + std::to_string(seed) +
                                    " quiz.xml 2>stderr.txt";
            const int raw = std::system(cmd.c_str());
            ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0)
                << cmd << "\n" << readFile(dir + "stderr.txt");

            OpenedQuiz opened = openQuizFile(dir + "quiz.xml");
            QuizModel model;
            GeneralData general;
            applyOpenedQuiz(std::move(opened), model, general);
            OutputBuffer expected;
            auto g = ShuffleGenerator::withFixedSeed(seed);
            const std::string format = c.format;
            if (format == "html")
                writeFormPage(general, model.questions, model.count, c.settings, g, expected);
            else if (format == "js")
                writeMarkingPage(general, model.questions, model.count, c.settings, g, expected);
            else if (format == "web")
                writeWebGame(general, model.questions, model.count, c.settings, g, expected);
            else
                writeBook(general, model.questions, model.count, expected);
            const std::string file = dir + (format == "ebk" ? "out.ebk" : "out.html");
            EXPECT_EQ(readFile(file), expected.text()) << cmd;
            std::remove(file.c_str());
        }
    }
}

// The pass mark of the command line goes wherever the quiz's would: into the web
// game and the quiz file; without the option the quiz's own is kept.
TEST(CliExports, ThePassMarkOptionTakesThePlaceOfTheQuizs) {
    ScratchDir scratch;
    const std::string dir = scratch.folder();
    std::string quiz = kQuiz;
    quiz.replace(quiz.find("<xogo version=\"1.0\">"), 20, "<xogo version=\"1.0\" aprobado=\"70\">");
    writeFile(dir + "quiz.xml", quiz);
    const struct {
        const char* args;
        const char* output;
        const char* carried;
    } cases[] = {
        {"-f web --seed 3", "out.html", "\"passMark\":70,"},
        {"-f web --seed 3 --pass-mark 63", "out.html", "\"passMark\":63,"},
        {"-f xml", "out.xml", "<xogo version=\"1.0\" aprobado=\"70\">"},
        {"-f xml --pass-mark 100", "out.xml", "<xogo version=\"1.0\" aprobado=\"100\">"},
    };
    for (const auto& c : cases) {
        const std::string cmd = "cd '" + dir + "' && '" VIRETA_EXPORT_BIN "' " + c.args +
                                " -o out quiz.xml 2>stderr.txt";
        const int raw = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << cmd << "\n" << readFile(dir + "stderr.txt");
        EXPECT_NE(readFile(dir + c.output).find(c.carried), std::string::npos) << cmd;
        std::remove((dir + c.output).c_str());
    }
}

} // namespace
