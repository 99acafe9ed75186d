#include "formats/book.h"
#include "formats/form_page.h"
#include "formats/format_table.h"
#include "formats/marking_page.h"
#include "quiz_samples.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>

using namespace vireta;
using testfiles::readFile;

namespace {

constexpr std::uint32_t kSeed = 20261208;

struct Quiz {
    GeneralData general;
    QuestionTable questions;
    int count = 1;
};

Question question(std::string statement, std::vector<std::string> answers,
                  std::string image = {}, std::string sound = {}) {
    Question q;
    q[FieldSlot::enunciado] = std::move(statement);
    for (std::size_t i = 0; i < answers.size() && i < 4; ++i)
        q[answerSlot(static_cast<int>(i) + 1)] = answers[i];
    q[FieldSlot::imaxe] = std::move(image);
    q[FieldSlot::son] = std::move(sound);
    q[FieldSlot::ben] = "Ben";        // the per-question messages reach no export
    q[FieldSlot::enlace] = "ligazon.html";
    return q;
}

Quiz newQuiz() { return Quiz{}; }

// Empty statements, gapped answers, no answers, markup, media with folders, and a
// stale record above the count.
Quiz mixedQuiz(bool inOrder) {
    Quiz z;
    z.general.title = "Capitais";
    z.general.subtitle = "Xeografia de Europa";
    z.general.time = "10";
    z.general.inOrder = inOrder;
    z.general.help = "Escolle unha resposta";
    z.general.author = "Ana";
    z.general.intro = "Benvida\r\nAo xogo";
    z.general.introSound = "C:\\sons\\intro.mp3";
    z.general.endWell = "Moi ben!";
    z.general.endWellSound = "C:\\sons\\ben.wav";
    z.general.endBad = "Tes que repasar.";
    auto& t = z.questions;
    t.record(1) = question("Capital de Francia?", {"Paris", "Lyon", "Marsella", "Niza"},
                           "C:\\fotos\\paris.jpg", "/home/ana/sons/paris.mp3");
    t.record(2) = question("", {"x", "y"}, "C:\\fotos\\baleira.jpg");
    t.record(3) = question("Capital de Italia?", {"Roma", "Milan", "", "Napoles"});
    t.record(4) = question("Escribe a capital de Portugal", {});
    t.record(5) = question("<b>Capital</b> de Alemana?<br>(escolle)", {"Berlin", "<i>Bonn</i>"},
                           "mapas/berlin.png");
    t.record(6) = question("Capital de Espana?", {"Madrid", "", "Toledo"}, "", "D:son.ogg");
    t.record(7) = question("Sobra: non forma parte do xogo", {"a", "b"});
    z.count = 6;
    return z;
}

// Accented letters, a character outside Windows-1252 and texts that would break the
// script's strings.
Quiz accentQuiz() {
    Quiz z;
    z.general.title = "Ríos de Galicia";
    z.general.subtitle = "¿Cal é máis longo? €";
    z.general.author = "Uxía Núñez";
    z.general.help = "Pulsa “Corrixir”";
    z.general.inOrder = true;
    z.general.endWell = "¡Perfecto! Dixo: \"sen erros\" \\o/\nAté logo…";
    z.general.endBad = "Mal: π </SCRIPT> <!--";
    z.general.endBadSound = "/sons/mal.wav";
    z.questions.record(1) = question("Cal é o río máis longo de Galicia? (≈ 300 km)",
                                     {"Miño", "Ulla", "Tambre", "Eume"}, "C:\\Imaxes\\río.jpg");
    z.questions.record(2) = question("Onde nace o Miño?", {"Pedregal de Irimia", "Ourense"});
    z.count = 2;
    return z;
}

// Characters that XML reserves, in every place the book writes a text.
Quiz markupQuiz() {
    Quiz z;
    z.general.title = "Sal & pementa <ok>";
    z.general.subtitle = "a > b";
    z.general.author = "O'Neill & \"fillos\"";
    z.general.help = "<axuda>";
    z.general.endWell = "Ben & moi ben";
    z.general.endWellSound = "C:\\sons\\a&b\"c<d>.wav";
    z.general.endBad = "Mal";
    z.general.endBadSound = "";
    z.questions.record(1) = question("2 < 3 & 4 > 1?", {"\"si\"", "non & nunca"}, "x&y.png",
                                     "a<b>.mp3");
    z.count = 1;
    return z;
}

// One question of every kind (quiz_samples.h), in order, and a true-or-false question
// whose right answer is "Verdadeiro" after them.
Quiz kindsQuiz(bool inOrder = true) {
    const samples::SampleQuiz sample = samples::kindsQuiz();
    Quiz z{sample.general, sample.questions, sample.count};
    z.general.inOrder = inOrder;
    Question& q = z.questions.record(5);
    q.kind = QuestionKind::TrueFalse;
    q[FieldSlot::enunciado] = "O Sil desemboca no Miño.";
    q[FieldSlot::resposta1] = kTrueText;
    q[FieldSlot::resposta2] = kFalseText;
    z.count = 5;
    return z;
}

ExportSettings shuffled() {
    ExportSettings s;
    s.shuffleAnswers = true;
    return s;
}

ExportSettings everySetting() {
    ExportSettings s;
    s.style = "C:\\estilos\\quiz.css";
    s.action = "http://example.org/recibe.php?curso=1&grupo=2";
    s.field1Label = "Nome";
    s.field1Size = "30";
    s.field2Label = "Curso";
    s.field2Size = "";
    s.hidden = "grupo \"A\"";
    s.text = "Le <b>ben</b> as preguntas";
    s.shuffleAnswers = true;
    s.styleJs = "/home/ana/estilos/xogo.css";
    s.buttonText = "Corrixir \"agora\"";
    return s;
}

ExportSettings noUtf8() {
    ExportSettings s;
    s.utf8 = false;
    return s;
}

enum class Writer { Form, Marking, Book };

std::string run(Writer w, const Quiz& z, const ExportSettings& s, SaveRequest* request = nullptr) {
    OutputBuffer out;
    auto g = ShuffleGenerator::withFixedSeed(kSeed);
    SaveRequest r;
    switch (w) {
    case Writer::Form: r = writeFormPage(z.general, z.questions, z.count, s, g, out); break;
    case Writer::Marking: r = writeMarkingPage(z.general, z.questions, z.count, s, g, out); break;
    case Writer::Book: r = writeBook(z.general, z.questions, z.count, out); break;
    }
    if (request)
        *request = r;
    return out.text();
}

struct FileCase {
    const char* file;
    Writer writer;
    std::function<Quiz()> quiz;
    ExportSettings settings;
};

const FileCase kFileCases[] = {
    {"form_new.html", Writer::Form, newQuiz, {}},
    {"form_mixed_inorder.html", Writer::Form, [] { return mixedQuiz(true); }, {}},
    {"form_mixed_shuffled.html", Writer::Form, [] { return mixedQuiz(false); }, {}},
    {"form_mixed_settings.html", Writer::Form, [] { return mixedQuiz(false); }, everySetting()},
    {"form_accents_utf8.html", Writer::Form, accentQuiz, {}},
    {"form_accents_cp1252.html", Writer::Form, accentQuiz, noUtf8()},
    {"marking_new.html", Writer::Marking, newQuiz, {}},
    {"marking_mixed_inorder.html", Writer::Marking, [] { return mixedQuiz(true); }, {}},
    {"marking_mixed_shuffled.html", Writer::Marking, [] { return mixedQuiz(false); }, {}},
    {"marking_mixed_settings.html", Writer::Marking, [] { return mixedQuiz(false); },
     everySetting()},
    {"marking_accents_utf8.html", Writer::Marking, accentQuiz, {}},
    {"marking_accents_cp1252.html", Writer::Marking, accentQuiz, noUtf8()},
    {"book_new.ebk", Writer::Book, newQuiz, {}},
    {"book_mixed.ebk", Writer::Book, [] { return mixedQuiz(true); }, {}},
    {"book_accents.ebk", Writer::Book, accentQuiz, {}},
    {"book_markup.ebk", Writer::Book, markupQuiz, {}},
    {"form_kinds.html", Writer::Form, [] { return kindsQuiz(); }, shuffled()},
    {"marking_kinds.html", Writer::Marking, [] { return kindsQuiz(); }, {}},
    {"book_kinds.ebk", Writer::Book, [] { return kindsQuiz(); }, {}},
};

} // namespace

// Set VIRETA_UPDATE_EXPECTED=1 to rewrite the expected files after a deliberate change
// of a format; review the difference before committing it.
TEST(Exporters, OutputMatchesTheExpectedFilesByteForByte) {
    const bool update = std::getenv("VIRETA_UPDATE_EXPECTED") != nullptr;
    for (const auto& c : kFileCases) {
        const std::string path = std::string(VIRETA_TEST_DATA) + "/exports/" + c.file;
        const std::string actual = run(c.writer, c.quiz(), c.settings);
        if (update) {
            testfiles::writeFile(path, actual);
            continue;
        }
        const std::string expected = readFile(path);
        ASSERT_FALSE(expected.empty()) << "missing " << path;
        EXPECT_EQ(actual, expected) << c.file;
    }
}

TEST(Exporters, EachWriterNamesItsFilterAndExtension) {
    SaveRequest r;
    run(Writer::Form, newQuiz(), {}, &r);
    EXPECT_EQ(r.filter, " *.htm|*.htm;*.html;*.HTM;*.HTML");
    EXPECT_EQ(r.extension, "html");
    run(Writer::Marking, newQuiz(), {}, &r);
    EXPECT_EQ(r.filter, " *.htm|*.htm;*.html;*.HTM;*.HTML");
    EXPECT_EQ(r.extension, "html");
    run(Writer::Book, newQuiz(), {}, &r);
    EXPECT_EQ(r.filter, " *.ebk|*.ebk;*.EBK|*.xml|*.xml;*.XML");
    EXPECT_EQ(r.extension, "ebk");
}

// The pages and the book ask for one answer: they leave out the questions of several
// answers and of a typed answer, and say so question by question in table order,
// whatever order the page shows; a quiz of one-answer questions gives no note.
TEST(Exporters, ThePagesAndTheBookLeaveOutTheKindsTheyCannotAskAndSaySo) {
    for (Format f : {Format::Html, Format::JavaScript, Format::Ebk}) {
        for (bool inOrder : {true, false}) {
            const Quiz kinds = kindsQuiz(inOrder);
            const Quiz mixed = mixedQuiz(inOrder);
            for (const Quiz* z : {&kinds, &mixed}) {
                auto g = ShuffleGenerator::withFixedSeed(kSeed);
                ExportNotes notes;
                OutputBuffer out;
                const ExportSettings settings;
                formatInfo(f).write({z->general, z->questions, z->count, settings, g, notes}, out);
                if (z == &mixed) {
                    EXPECT_TRUE(notes.empty()) << formatInfo(f).name;
                    continue;
                }
                ASSERT_EQ(notes.size(), 2u) << formatInfo(f).name;
                EXPECT_EQ(notes[0].english(), "question 1: several-answer question: left out");
                EXPECT_EQ(notes[1].english(), "question 3: short-answer question: left out");
                EXPECT_EQ(notes[1].galician(), "pregunta 3: pregunta de resposta curta: quedou fóra");
                EXPECT_EQ(out.text().find("Cales son"), std::string::npos) << formatInfo(f).name;
                EXPECT_EQ(out.text().find("Capital de Galicia"), std::string::npos) << formatInfo(f).name;
            }
        }
    }
}

TEST(Exporters, TheBookIgnoresConOrde) {
    EXPECT_EQ(run(Writer::Book, mixedQuiz(false), {}), run(Writer::Book, mixedQuiz(true), {}));
}

TEST(Exporters, AccentedLiteralsFollowThePageEncoding) {
    const std::string utf8 = run(Writer::Marking, newQuiz(), {});
    EXPECT_NE(utf8.find("N\xC3\xBAmero de preguntas"), std::string::npos);
    EXPECT_NE(utf8.find("t\xC3\xB3" "dalas"), std::string::npos);
    const std::string cp = run(Writer::Marking, newQuiz(), noUtf8());
    EXPECT_NE(cp.find("N\xFAmero de preguntas"), std::string::npos);
    EXPECT_NE(cp.find("t\xF3" "dalas"), std::string::npos);
    EXPECT_NE(cp.find("charset=iso-8859-1"), std::string::npos);
}

namespace {

// The numbers shown in front of the statements of a page, in page order.
std::vector<int> shownNumbers(const std::string& page, const std::string& marker) {
    std::vector<int> numbers;
    for (auto pos = page.find(marker); pos != std::string::npos; pos = page.find(marker, pos + 1))
        numbers.push_back(std::atoi(page.c_str() + pos + marker.size()));
    return numbers;
}

} // namespace

// 200 questions, shuffled with several seeds: every slot number 1..200 is shown once
// and every question once, and a count above the table's capacity reads no further.
TEST(Exporters, AFullQuizShowsEveryQuestionOnceInAnyOrder) {
    Quiz z;
    for (int k = 1; k <= kQuestionCapacity; ++k)
        z.questions.record(k) = question("P" + std::to_string(k) + "?", {"a", "b", "c", "d"});
    z.count = 1000;
    for (std::uint32_t seed : {0u, 1u, 0xFFFFFFFFu, 987654321u}) {
        for (Writer w : {Writer::Form, Writer::Marking}) {
            OutputBuffer out;
            auto g = ShuffleGenerator::withFixedSeed(seed);
            if (w == Writer::Form)
                writeFormPage(z.general, z.questions, z.count, everySetting(), g, out);
            else
                writeMarkingPage(z.general, z.questions, z.count, {}, g, out);
            const std::string& page = out.text();
            const auto shown = shownNumbers(
                page, w == Writer::Form ? "<p class=\"enunciado\">" : "<span class=\"enunciado\">");
            ASSERT_EQ(shown.size(), 200u);
            std::set<int> questions;
            for (int k = 0; k < 200; ++k) {
                EXPECT_EQ(shown[static_cast<std::size_t>(k)], k + 1);
                const std::string label = ">" + std::to_string(k + 1) + ".- P";
                const auto at = page.find(label);
                ASSERT_NE(at, std::string::npos);
                questions.insert(std::atoi(page.c_str() + at + label.size()));
            }
            EXPECT_EQ(questions.size(), 200u);
            EXPECT_EQ(*questions.begin(), 1);
            EXPECT_EQ(*questions.rbegin(), 200);
        }
    }
}

// In an attribute value a "&" must stay itself: "mapa&copy.png" would otherwise be
// asked for as "mapa©.png".
TEST(Exporters, AmpersandsInAttributeValuesAreWrittenAsReferences) {
    Quiz z;
    z.questions.record(1) = question("Onde?", {"Aqui"}, "C:\\fotos\\mapa&copy.png");
    ExportSettings s;
    s.style = "/estilos/a&b.css";
    s.styleJs = "/estilos/c&d.css";
    s.action = "recibe.php?a=1&b=2";
    s.field1Label = "Nome";
    s.field1Size = "2&0";
    s.field2Label = "Curso";
    s.field2Size = "&3";
    s.hidden = "x&y \"z\"";
    s.buttonText = "Corrixir & ver";
    const std::string form = run(Writer::Form, z, s);
    for (const char* attribute :
         {"<link href=\"a&amp;b.css\"", "<img src=\"mapa&amp;copy.png\">",
          "action=\"recibe.php?a=1&amp;b=2\"", "size=\"2&amp;0\"", "size=\"&amp;3\"",
          "value=\"x&amp;y &quot;z&quot;\""})
        EXPECT_NE(form.find(attribute), std::string::npos) << attribute << "\n" << form;
    const std::string marking = run(Writer::Marking, z, s);
    for (const char* attribute : {"<link href=\"c&amp;d.css\"", "<img src=\"mapa&amp;copy.png\">",
                                  "value=\"Corrixir &amp; ver\""})
        EXPECT_NE(marking.find(attribute), std::string::npos) << attribute << "\n" << marking;
}
