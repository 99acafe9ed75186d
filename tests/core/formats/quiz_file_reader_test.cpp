#include "formats/quiz_file.h"
#include "model/quiz_snapshot.h"
#include "quiz_samples.h"
#include "test_files.h"
#include "text.h"
#include "xml/xml_parser.h"

#include <gtest/gtest.h>

#include <regex>

#include <algorithm>
#include <iterator>
#include <optional>
#include <random>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vireta;
using namespace vireta::samples;
using testfiles::readFile;

namespace {

const std::string kFolder = "/aulas/xogos/";
const std::string kPath = kFolder + "quiz.xml";

// Read from the document both as the quiz file's own open reads it (references
// replaced in the document's bytes when the file is UTF-8) and with the texts kept as
// in the file: the quiz must be the same.
OpenedQuiz read(std::string_view bytes) {
    TXMLDoc kept;
    kept.loadFromBytes(bytes);
    OpenedQuiz quiz = readQuiz(kept, kFolder, kPath);
    TXMLDoc inPlace;
    inPlace.loadFromBytes(bytes, TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8);
    const OpenedQuiz again = readQuiz(inPlace, kFolder, kPath);
    EXPECT_TRUE(again.general == quiz.general && again.questions == quiz.questions) << bytes;
    return quiz;
}

// A quiz file holding `body` inside a `xogo` with its attribute.
OpenedQuiz readBody(const std::string& body) {
    return read("<?xml version=\"1.0\" encoding=\"UTF-8\"?><xogo version=\"1.0\">" + body +
                "</xogo>");
}

OpenedQuiz readQuestions(const std::string& questions) {
    return readBody("<preguntas>" + questions + "</preguntas>");
}

const Question& only(const OpenedQuiz& q) {
    EXPECT_EQ(q.count(), 1);
    return q.questions.at(0);
}

// ---------------------------------------------------------------------------
// The files the writer produces

TEST(QuizFileReader, OpensTheFullSampleWithEveryField) {
    const std::string folder = dataPath("");
    const OpenedQuiz q = openQuizFile(dataPath("full_quiz.xml"));
    EXPECT_EQ(q.folder, folder);
    const GeneralData& g = q.general;
    EXPECT_EQ(g.title, "Os ríos de Galicia");
    EXPECT_EQ(g.subtitle, "Xeografía, 2º curso");
    EXPECT_EQ(g.author, "Uxía Pena");
    EXPECT_EQ(g.intro, "Le con atención.\r\nTes dez minutos.\r\n\r\nBoa sorte!");
    EXPECT_EQ(g.introSound, folder + "intro.mp3");
    EXPECT_EQ(g.help, "Preme na resposta correcta.");
    EXPECT_EQ(g.time, "600");
    EXPECT_TRUE(g.inOrder);
    EXPECT_EQ(g.endWell, "Moi ben!");
    EXPECT_EQ(g.endWellSound, folder + "aplauso.wav");
    EXPECT_EQ(g.endBad, "Volve tentalo.");
    EXPECT_EQ(g.endBadSound, "");
    Question expected = fullQuiz().questions.record(1);
    expected[FieldSlot::imaxe] = folder + "mapa.jpg";
    expected[FieldSlot::son] = folder + "rio.mp3";
    expected[FieldSlot::sonben] = folder + "ben.wav";
    expected[FieldSlot::sonmal] = folder + "mal.wav";
    EXPECT_EQ(only(q), expected);
}

TEST(QuizFileReader, OpensTheMixedSampleWithItsTextsUnchanged) {
    const std::string folder = dataPath("");
    const OpenedQuiz q = openQuizFile(dataPath("mixed_quiz.xml"));
    EXPECT_EQ(q.general.title, "Tom & Jerry <3 > todo");
    EXPECT_EQ(q.general.subtitle, "\"Comiñas\" e 'apóstrofos'");
    EXPECT_EQ(q.general.author, "Ánxela Núñez");
    EXPECT_EQ(q.general.introSound, folder + "a&b <\"x\">.mp3");
    EXPECT_EQ(q.general.help, "espazos");
    ASSERT_EQ(q.count(), 2);
    EXPECT_EQ(q.questions[0][FieldSlot::enunciado], "Primeira: 1 < 2 && 3 > 2?");
    EXPECT_EQ(q.questions[0][FieldSlot::resposta2], "Terceira");
    EXPECT_EQ(q.questions[1][FieldSlot::enunciado], "Terceira: €uro “citado”");
    EXPECT_EQ(q.questions[1][FieldSlot::resposta2], "Catro");
    EXPECT_EQ(q.questions[1][FieldSlot::son], folder + "son da pregunta.ogg");
}

TEST(QuizFileReader, ANewQuizOpensEmptyWithoutQuestions) {
    const OpenedQuiz q = openQuizFile(dataPath("new_quiz.xml"));
    EXPECT_EQ(q.general, GeneralData{});
    EXPECT_EQ(q.count(), 0);
}

// ---------------------------------------------------------------------------
// General elements

TEST(QuizFileReader, GeneralElementsInAnyOrderTheLastOneCountsUnknownOnesSkipped) {
    const OpenedQuiz q = readBody("<tempo>5</tempo><titulo>A</titulo><nome>x</nome>"
                                  "<titulo>B</titulo><autor/><ben son=\"b.wav\">ok</ben>"
                                  "<intro son=\"i.mp3\">one</intro><intro son=\"\">two</intro>");
    EXPECT_EQ(q.general.title, "B");
    EXPECT_EQ(q.general.time, "5");
    EXPECT_EQ(q.general.author, "");
    EXPECT_EQ(q.general.endWell, "ok");
    EXPECT_EQ(q.general.endWellSound, kFolder + "b.wav");
    EXPECT_EQ(q.general.intro, "two");
    EXPECT_EQ(q.general.introSound, kFolder + "i.mp3") << "an empty son keeps the earlier sound";
    EXPECT_EQ(q.count(), 0);
}

TEST(QuizFileReader, AValueIsTheTrimmedTextOfTheFirstNode) {
    const struct {
        const char* element;
        const char* value;
    } cases[] = {
        {"<titulo> \t\r\n Dous  espazos \r\n</titulo>", "Dous  espazos"},
        {"<titulo>liña 1\r\nliña 2</titulo>", "liña 1\r\nliña 2"},
        {"<titulo><b>negra</b> despois</titulo>", ""},
        {"<titulo><!-- nota -->texto</titulo>", ""},
        {"<titulo><![CDATA[cdata]]></titulo>", ""},
        {"<titulo/>", ""},
        {"<titulo>antes<b>x</b>despois</titulo>", "antes"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readBody(c.element).general.title, c.value) << c.element;
}

TEST(QuizFileReader, OrderIsSetOnlyByTheValueOne) {
    const struct {
        const char* body;
        bool inOrder;
    } cases[] = {
        {"<orde>1</orde>", true},       {"<orde>\r\n 1 \r\n</orde>", true},
        {"<orde>2</orde>", false},      {"<orde>yes</orde>", false},
        {"<orde/>", false},             {"", false},
        {"<orde>1</orde><orde>0</orde>", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readBody(c.body).general.inOrder, c.inOrder) << c.body;
}

TEST(QuizFileReader, ThePassMarkIsAprobadoWhenAWholeNumberFrom0To100) {
    const struct {
        const char* root;
        int passMark;
    } cases[] = {
        {"<xogo version=\"1.0\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" aprobado=\"60\">", 60},
        {"<xogo aprobado=\"0\" version=\"1.0\">", 0},
        {"<xogo version=\"1.0\" aprobado=\"100\">", 100},
        {"<xogo version=\"1.0\" aprobado=\" 75 \">", 75},
        {"<xogo version=\"1.0\" aprobado=\"0060\">", 60},
        {"<xogo aprobado=\"63\">", 63}, // an attribute of its own opens the quiz
        // Anything else reads as the default.
        {"<xogo version=\"1.0\" aprobado=\"101\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" aprobado=\"-1\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" aprobado=\"+60\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" aprobado=\"5.5\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" aprobado=\"99999999999999999999\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" aprobado=\"&#54;0\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" aprobado=\"\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" aprobado=\"sesenta\">", kDefaultPassMark},
        {"<xogo version=\"1.0\" Aprobado=\"60\">", kDefaultPassMark},
    };
    for (const auto& c : cases) {
        const OpenedQuiz q = read(std::string(c.root) + "<titulo>T</titulo></xogo>");
        EXPECT_EQ(q.general.passMark, c.passMark) << c.root;
        EXPECT_EQ(q.general.title, "T") << c.root;
    }
}

TEST(QuizFileReader, IntroLineBreaksAreHeldAsCrLf) {
    EXPECT_EQ(readBody("<intro>a\nb\rc\r\nd</intro>").general.intro, "a\r\nb\r\nc\r\nd");
}

TEST(QuizFileReader, ARootWithoutAttributesGivesAnEmptyQuiz) {
    const OpenedQuiz q = read("<xogo><titulo>A</titulo><orde>1</orde>"
                              "<preguntas><pregunta><enunciado>E</enunciado></pregunta>"
                              "</preguntas></xogo>");
    EXPECT_EQ(q.general, GeneralData{});
    EXPECT_EQ(q.count(), 0);
}

// ---------------------------------------------------------------------------
// Questions

TEST(QuizFileReader, EveryChildOfPreguntasTakesANumberAcrossAllPreguntas) {
    const OpenedQuiz q = readBody(
        "<preguntas><pregunta><enunciado>1</enunciado></pregunta>\r\n  "
        "<!-- a comment --><pregunta><enunciado>3</enunciado></pregunta></preguntas>"
        "<titulo>T</titulo>"
        "<preguntas><outra><enunciado>x</enunciado></outra>texto solto<?pi data?>"
        "<pregunta><enunciado>7</enunciado></pregunta></preguntas>");
    ASSERT_EQ(q.count(), 7);
    const char* statements[] = {"1", "", "3", "", "", "", "7"};
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(q.questions[static_cast<std::size_t>(k)][FieldSlot::enunciado], statements[k])
            << "question " << k + 1;
    EXPECT_EQ(q.questions[3], Question{}) << "a foreign element fills nothing";
}

TEST(QuizFileReader, QuestionFieldsAnswersInFileOrderFifthAnswerIgnored) {
    const Question q = only(readQuestions(
        "<pregunta><mal son=\"m.wav\">Non</mal><resposta>A</resposta><enlace>http://x/?a=1&amp;b</enlace>"
        "<resposta>B</resposta><enunciado>old</enunciado><enunciado>E</enunciado>"
        "<resposta>C</resposta><resposta>D</resposta><resposta>F5</resposta>"
        "<ben>Si</ben><imaxe>f.png</imaxe><son>s.mp3</son><outro>z</outro></pregunta>"));
    EXPECT_EQ(q[FieldSlot::enunciado], "E");
    EXPECT_EQ(q[FieldSlot::resposta1], "A");
    EXPECT_EQ(q[FieldSlot::resposta2], "B");
    EXPECT_EQ(q[FieldSlot::resposta3], "C");
    EXPECT_EQ(q[FieldSlot::resposta4], "D");
    EXPECT_EQ(q[FieldSlot::enlace], "http://x/?a=1&b");
    EXPECT_EQ(q[FieldSlot::imaxe], kFolder + "f.png");
    EXPECT_EQ(q[FieldSlot::son], kFolder + "s.mp3");
    EXPECT_EQ(q[FieldSlot::ben], "Si");
    EXPECT_EQ(q[FieldSlot::sonben], "");
    EXPECT_EQ(q[FieldSlot::mal], "Non");
    EXPECT_EQ(q[FieldSlot::sonmal], kFolder + "m.wav");
}

// Every kind comes back with its marks and messages, in the file's order: the right
// answers of a Several stand first there.
TEST(QuizFileReader, OpensEveryKindWithItsMarksAndMessages) {
    const OpenedQuiz opened = read(readFile(samples::dataPath("kinds_quiz.xml")));
    const samples::SampleQuiz q = samples::kindsQuiz();
    ASSERT_EQ(opened.count(), 4);
    Question several = q.questions.record(1);
    several[FieldSlot::resposta1] = "Miño";
    several[FieldSlot::resposta2] = "Ulla";
    several[FieldSlot::resposta3] = "Mondego";
    several.answerMessages = {"Si: nace en Meira.", "", "Non: é portugués.", ""};
    several.marked = {true, true, false, false};
    EXPECT_EQ(opened.questions[0], several);
    for (int k = 2; k <= 4; ++k)
        EXPECT_EQ(opened.questions[static_cast<std::size_t>(k - 1)], q.questions.record(k)) << k;
    EXPECT_TRUE(opened.notes.empty());
}

// A reader that knows no kinds (the attributes ignored) reads one-answer questions
// whose first answer is a right one.
TEST(QuizFileReader, WithoutItsAttributesANewFileGivesOneAnswerQuestionsFirstRight) {
    const std::string file = readFile(samples::dataPath("kinds_quiz.xml"));
    const std::string plain =
        std::regex_replace(file, std::regex(" (tipo|correcta|retro)=\"[^\"]*\""), "");
    ASSERT_EQ(plain.find("retro"), std::string::npos);
    const OpenedQuiz earlier = read(plain);
    const OpenedQuiz opened = read(file);
    ASSERT_EQ(earlier.count(), opened.count());
    for (std::size_t k = 0; k < earlier.questions.size(); ++k) {
        const Question& e = earlier.questions[k];
        EXPECT_EQ(e.kind, QuestionKind::One);
        EXPECT_EQ(e[FieldSlot::resposta1], opened.questions[k][FieldSlot::resposta1]);
        EXPECT_TRUE(isRightAnswer(opened.questions[k], 1)) << k;
    }
}

TEST(QuizFileReader, AnUnknownKindIsOneAnswerWithANoteAndStrayMarksGo) {
    const OpenedQuiz q = readQuestions(
        "<pregunta tipo=\"moitas\"><enunciado>P</enunciado><resposta correcta=\"si\">a</resposta>"
        "<resposta>b</resposta></pregunta>");
    EXPECT_EQ(only(q).kind, QuestionKind::One);
    EXPECT_EQ(only(q).marked, (std::array<bool, kAnswerCount>{}));
    EXPECT_EQ(q.notes, std::vector<std::string>{"question 1: unknown kind 'moitas', read as one answer"});
}

TEST(QuizFileReader, TwoAnswersFillTheFirstTwoSlots) {
    const Question q = only(readQuestions(
        "<pregunta><enunciado>E</enunciado><resposta>x</resposta><resposta>y</resposta></pregunta>"));
    EXPECT_EQ(q[FieldSlot::resposta1], "x");
    EXPECT_EQ(q[FieldSlot::resposta2], "y");
    EXPECT_EQ(q[FieldSlot::resposta3], "");
}

TEST(QuizFileReader, AtMostTwoHundredQuestions) {
    std::string many;
    for (int k = 0; k < kQuestionCapacity; ++k)
        many += "<pregunta><enunciado>q</enunciado></pregunta>";
    EXPECT_EQ(readQuestions(many).count(), kQuestionCapacity);
    EXPECT_THROW(readQuestions(many + "<!-- one more -->"), QuizFileError);
    EXPECT_THROW(readBody("<preguntas>" + many + "</preguntas><preguntas><pregunta/></preguntas>"),
                 QuizFileError);
}

// ---------------------------------------------------------------------------
// Characters

TEST(QuizFileReader, ReferencesAreDecodedInTextAndSoundAttributes) {
    const OpenedQuiz q = readBody(
        "<titulo>&amp;&lt;&gt;&apos;&quot; &#233;&#xE9;&#x20AC;&#128512; &nbsp; &#0;</titulo>"
        "<ben son=\"a&amp;b&#233;&quot;.wav\">x</ben><mal son=\"a & b.wav\">y</mal>");
    EXPECT_EQ(q.general.title, "&<>'\" éé€😀 &nbsp; &#0;");
    EXPECT_EQ(q.general.endWellSound, kFolder + "a&bé\".wav");
    EXPECT_EQ(q.general.endBadSound, kFolder + "a & b.wav") << "a lone & is kept";
}

// The texts of a UTF-8 file come from the document's own decoding; what they hold
// must be what decoding the file's text here gives, at the edges too.
TEST(QuizFileReader, ReferencesNextToStrayBytesLongReferencesAndBlanks) {
    const std::string zeros(29, '0');
    const struct {
        const char* declaration;
        std::string text; // bytes in the file
        std::string value; // UTF-8
    } cases[] = {
        // A stray lead byte before a reference, a stray continuation byte after one.
        {"UTF-8", "\xC3&#169;\xA9x", "\xC3\x83\xC2\xA9\xC2\xA9x"},
        {"UTF-8", "\xE2\x82&amp;\x80", "\xC3\xA2\xE2\x80\x9A&\xE2\x82\xAC"},
        // A character reference is decoded however many digits it has.
        {"UTF-8", "&#" + zeros + "65;", "A"},
        {"UTF-8", "&#" + zeros + "065;&amp;", "A&"},
        {"UTF-8", "&#x" + zeros + "000041;", "A"},
        {"UTF-8", "&" + std::string(40, 'x') + ";&lt;", "&" + std::string(40, 'x') + ";<"},
        // Blanks made by references are trimmed like the file's own.
        {"UTF-8", " &#32;&#9;a&#10;b &#13; ", "a\nb"},
        {"UTF-8", "&#xE1;&#x1F600;", "\xC3\xA1\xF0\x9F\x98\x80"},
        // A Windows-1252 file: the file's bytes are converted, the references' not.
        {"windows-1252", "\xE1&#233;\x80&#x20AC;", "\xC3\xA1\xC3\xA9\xE2\x82\xAC\xE2\x82\xAC"},
    };
    for (const auto& c : cases) {
        const OpenedQuiz q = read(std::string("<?xml version=\"1.0\" encoding=\"") + c.declaration +
                                  "\"?><xogo v=\"1\"><titulo>" + c.text +
                                  "</titulo><preguntas><pregunta><enunciado>" + c.text +
                                  "</enunciado></pregunta></preguntas></xogo>");
        EXPECT_EQ(q.general.title, c.value) << c.text;
        ASSERT_EQ(q.count(), 1);
        EXPECT_EQ(q.questions[0][FieldSlot::enunciado], c.value) << c.text;
    }
}

TEST(QuizFileReader, EncodingFollowsTheDeclaration) {
    const struct {
        const char* declaration;
        const char* title; // bytes in the file
        const char* value; // UTF-8
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "\xC3\xA1\xE2\x82\xAC", "á€"},
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?>", "\xC3\xA1", "á"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "a\xE1", "aá"}, // not UTF-8: a 1252 byte
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "\xE1\x80", "á€"},
        {"<?xml version=\"1.0\"?>", "\xC3\xA1", "Ã¡"},
        {"", "\xE1&#233;", "áé"},
    };
    for (const auto& c : cases) {
        const std::string file = std::string(c.declaration) + "<xogo v=\"1\"><titulo>" + c.title +
                                 "</titulo><intro son=\"" + c.title + ".mp3\"/></xogo>";
        const OpenedQuiz q = read(file);
        EXPECT_EQ(q.general.title, c.value) << c.declaration;
        EXPECT_EQ(q.general.introSound, kFolder + c.value + ".mp3") << c.declaration;
    }
}

// ---------------------------------------------------------------------------
// Media paths stay inside the opened file's folder

TEST(QuizFileReader, MediaNamesAreKeptInTheFilesFolder) {
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"son.mp3", kFolder + "son.mp3"},
        {"sons/son.mp3", kFolder + "sons/son.mp3"},
        {"...mp3", kFolder + "...mp3"},
        {"/etc/passwd", kFolder + "passwd"},
        {"C:\\sons\\son.mp3", kFolder + "son.mp3"},
        {"c:son.mp3", kFolder + "son.mp3"},
        {"\\\\server\\share\\son.mp3", kFolder + "son.mp3"},
        {"../son.mp3", kFolder + "son.mp3"},
        {"sons/../../son.mp3", kFolder + "son.mp3"},
        {"sons\\..\\son.mp3", kFolder + "son.mp3"},
        {"..", ""},
        {"sons/..", ""},
        {".", ""},
    };
    for (const auto& c : cases) {
        const Question q = only(readQuestions(std::string("<pregunta><imaxe>") + c.name +
                                              "</imaxe><ben son=\"" + c.name + "\">b</ben></pregunta>"));
        EXPECT_EQ(q[FieldSlot::imaxe], c.path) << c.name;
        EXPECT_EQ(q[FieldSlot::sonben], c.path) << c.name;
    }
    const Question blank = only(readQuestions("<pregunta><imaxe/><son> </son></pregunta>"));
    EXPECT_EQ(blank[FieldSlot::imaxe], "");
    EXPECT_EQ(blank[FieldSlot::son], "");
}

// ---------------------------------------------------------------------------
// Failures

TEST(QuizFileReader, RefusesFilesThatAreNoQuiz) {
    const char* cases[] = {
        "",                                           // empty file
        "<quiz version=\"1\"/>",                      // another root
        "<!-- before --><xogo version=\"1\"/>",       // a comment before the root
        "<?pi?><xogo version=\"1\"/>",                // a processing instruction before it
        "<xogo v=\"1\"><!-- c --></xogo>",            // a comment directly inside xogo
        "<xogo v=\"1\">text</xogo>",                  // text directly inside xogo
        "<xogo v=\"1\"><![CDATA[x]]></xogo>",         // CDATA directly inside xogo
        "<xogo v=\"1\"><preguntas><pregunta><!-- c --></pregunta></preguntas></xogo>",
        "<xogo v=\"1\"><preguntas><pregunta>text</pregunta></preguntas></xogo>",
    };
    for (const char* file : cases) {
        try {
            read(file);
            ADD_FAILURE() << "accepted: " << file;
        } catch (const QuizFileError& e) {
            EXPECT_EQ(e.userMessage(), "Erro no arquivo :" + kPath);
            EXPECT_EQ(e.path(), kPath);
        }
    }
}

TEST(QuizFileReader, KeepsTheReadersOwnMessage) {
    const std::string path = dataPath("no-such-file.xml");
    try {
        openQuizFile(path);
        FAIL() << "opened a missing file";
    } catch (const QuizFileError& e) {
        EXPECT_EQ(e.userMessage(), "Erro no arquivo :" + path);
        EXPECT_NE(std::string(e.what()), "");
    }
    const testfiles::ScratchDir dir;
    const std::string bad = dir / "vireta-bad-quiz.xml";
    testfiles::writeFile(bad, "<xogo version=\"1.0\"><titulo>a & b</titulo></xogo>");
    try {
        openQuizFile(bad);
        FAIL() << "parsed a lone &";
    } catch (const QuizFileError& e) {
        EXPECT_EQ(e.userMessage(), "Erro no arquivo :" + bad);
        EXPECT_EQ(std::string(e.what()), "Missing reference end ';'.");
    }
}

// Every way an open fails has its reason for the teacher, in Galician, shown below
// "Erro no arquivo :"; a file that is no valid XML says where, as the English does.
TEST(QuizFileReader, EveryKindOfFailureHasItsReasonForTheTeacher) {
    const testfiles::ScratchDir dir;
    std::string tooMany = "<xogo version=\"1.0\"><preguntas>";
    for (int k = 0; k <= kQuestionCapacity; ++k)
        tooMany += "<pregunta/>";
    tooMany += "</preguntas></xogo>";
    const struct {
        std::string path;
        std::optional<std::string> bytes; // none: not written
        std::string reason;
    } cases[] = {
        {dir / "missing.xml", std::nullopt, "Non existe o arquivo ou o cartafol"},
        {dir.str(), std::nullopt, "Non é un arquivo normal"},
        {dir / "broken.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<xogo version=\"1.0\">\r\n  <titulo>Tom & Xerry</titulo>\r\n</xogo>",
         "O XML non é válido na liña 3, columna 15: un «&» non comeza unha referencia completa (o signo & "
         "escríbese «&amp;»)"},
        {dir / "empty.xml", "", "O arquivo está baleiro"},
        {dir / "other.xml", "<quiz version=\"1\"/>", "O arquivo non comeza polo elemento «xogo»: non é un cuestionario"},
        {dir / "text.xml", "<xogo version=\"1\">texto</xogo>",
         "Dentro de «xogo» hai algo que non é un elemento (texto ou un comentario)"},
        {dir / "comment.xml", "<xogo version=\"1\"><preguntas><pregunta><!-- c --></pregunta></preguntas></xogo>",
         "Dentro dunha «pregunta» hai algo que non é un elemento (texto ou un comentario)"},
        {dir / "many.xml", tooMany, "O arquivo ten máis de 200 preguntas"},
    };
    for (const auto& c : cases) {
        if (c.bytes)
            testfiles::writeFile(c.path, *c.bytes);
        try {
            openQuizFile(c.path);
            ADD_FAILURE() << "opened " << c.path;
        } catch (const QuizFileError& e) {
            EXPECT_EQ(e.userReason(), c.reason) << c.path;
            EXPECT_EQ(e.userMessage(), "Erro no arquivo :" + c.path);
            EXPECT_EQ(e.position().has_value(), c.path == dir / "broken.xml") << c.path;
        }
    }
}

// Each of the reader's errors has a reason of its own, after the line and column.
TEST(QuizFileReader, EveryParseErrorHasItsOwnReasonForTheTeacher) {
    const char* const files[] = {
        " ",
        "<xogo/>x",
        "<!DOCTYPE xogo><xogo/>",
        "<?xml encoding='UTF-8'?><xogo/>",
        "<?xml version='1.1'?><xogo/>",
        "<?xml version='1.0' encoding='8bit'?><xogo/>",
        "<?xml version='1.0' standalone='si'?><xogo/>",
        "\n<?xml version='1.0'?><xogo/>",
        "<?xml version='1.0' x?><xogo/>",
        "<xogo>< a/></xogo>",
        "<xogo><a></xogo>",
        "<xogo a='1' / >",
        "<xogo>",
        "<xogo a/>",
        "<xogo a=1/>",
        "<xogo a='1' a='2'/>",
        "<xogo><!-- x</xogo>",
        "<xogo><!-- a -- b --></xogo>",
        "<xogo><![CDATA[x</xogo>",
        "<xogo><? x?></xogo>",
        "<xogo><?XML x?></xogo>",
        "<xogo><?p x</xogo>",
        "<xogo>a & b</xogo>",
        "<xogo>&#;</xogo>",
        "<xogo>&#99999999999;</xogo>",
    };
    const testfiles::ScratchDir dir;
    std::set<XmlProblem> problems;
    std::set<std::string> reasons;
    for (const char* file : files) {
        TXMLDoc doc;
        try {
            doc.loadFromBytes(file);
        } catch (const EXMLException& e) {
            problems.insert(e.problem());
        }
        testfiles::writeFile(dir / "quiz.xml", file);
        try {
            openQuizFile(dir / "quiz.xml");
            ADD_FAILURE() << "opened " << file;
        } catch (const QuizFileError& e) {
            const std::string& reason = e.userReason();
            const std::string start = "O XML non é válido na liña ";
            ASSERT_EQ(reason.substr(0, start.size()), start) << file;
            const std::size_t colon = reason.find(": ");
            ASSERT_NE(colon, std::string::npos) << reason;
            EXPECT_GT(reason.size(), colon + 2) << file;
            EXPECT_TRUE(reasons.insert(reason.substr(colon + 2)).second) << "said twice: " << reason;
        }
    }
    EXPECT_EQ(problems.size(), std::size(files)) << "a file for each kind of error";
}

// Only a regular file is read: a pipe would wait for a writer for ever and a device
// such as /dev/zero never ends. Each open runs in a child with an alarm, so that a
// reader that blocks fails the test instead of hanging it.
TEST(QuizFileReader, RefusesPipesAndDevicesAtOnce) {
    const testfiles::ScratchDir dir;
    const std::string fifo = dir / "quiz.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(5);
            try {
                openQuizFile(path);
            } catch (const QuizFileError& e) {
                const bool clear = std::string(e.what()).find("not a regular file") != std::string::npos &&
                                   e.userMessage() == "Erro no arquivo :" + path &&
                                   e.userReason() == "Non é un arquivo normal";
                ::_exit(clear ? 0 : 2);
            }
            ::_exit(1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "the reader blocked or ran out of memory";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: opened, 2: no clear reason";
    }
}

// ---------------------------------------------------------------------------
// Applying an opened quiz

TEST(ApplyOpenedQuiz, ReplacesTheQuizAndStartsAtQuestionOne) {
    QuizModel model;
    model.count = 3;
    model.current = 3;
    model.fresh = false;
    model.copiedFiles = {"/a"};
    for (int k = 1; k <= 3; ++k)
        model.questions.record(k)[FieldSlot::enunciado] = "old";
    GeneralData general;
    general.title = "old";

    OpenedQuiz opened = readQuestions("<pregunta><enunciado>new</enunciado></pregunta><!-- -->");
    applyOpenedQuiz(opened, model, general);
    EXPECT_EQ(model.count, 2);
    EXPECT_EQ(model.current, 1);
    EXPECT_EQ(model.questions.record(1)[FieldSlot::enunciado], "new");
    EXPECT_EQ(model.questions.record(2), Question{});
    EXPECT_EQ(model.openedFolder, kFolder);
    EXPECT_TRUE(model.copiedFiles.empty());
    EXPECT_TRUE(model.fresh);
    EXPECT_EQ(general, GeneralData{});

    applyOpenedQuiz(readBody("<titulo>T</titulo>"), model, general);
    EXPECT_EQ(model.count, 1) << "a quiz without questions gets one blank question";
    EXPECT_EQ(model.questions.record(1), Question{});
    EXPECT_EQ(general.title, "T");
}

TEST(QuizSnapshot, SeesChangesToWhatTheFileKeepsOnly) {
    QuizModel model;
    GeneralData general;
    applyOpenedQuiz(openQuizFile(dataPath("full_quiz.xml")), model, general);
    const QuizSnapshot opened = snapshotOf(general, model);

    model.questions.record(2)[FieldSlot::enunciado] = "beyond the count";
    model.current = 1;
    EXPECT_EQ(snapshotOf(general, model), opened);

    model.questions.record(1)[FieldSlot::resposta3] = "changed";
    EXPECT_NE(snapshotOf(general, model), opened);
    model.questions.record(1)[FieldSlot::resposta3] = "Ulla";
    EXPECT_EQ(snapshotOf(general, model), opened) << "an edit undone is no change";

    model.count = 2;
    EXPECT_NE(snapshotOf(general, model), opened);
    model.count = 1;
    general.inOrder = false;
    EXPECT_NE(snapshotOf(general, model), opened);
    general.inOrder = true;
    general.passMark = 60;
    EXPECT_NE(snapshotOf(general, model), opened);
    EXPECT_FALSE(sameQuiz(opened, general, model, model.currentRecord()));
    general.passMark = kDefaultPassMark;
    EXPECT_EQ(snapshotOf(general, model), opened);
}

// ---------------------------------------------------------------------------
// Round trip: open(save(q)) is q apart from the intended differences.

class RandomQuiz {
public:
    explicit RandomQuiz(unsigned seed) : gen_(seed) {}

    std::string text() {
        static const char* const kPieces[] = {
            "a", "Z", "0", " ", "  ", "\t", "\r\n", "&", "<", ">", "\"", "'", ";", "#", "&amp;",
            "&#233;", "]]>", "<!--", "--", "?>", "á", "ñ", "€", "“", "😀", "\x01", "=", "/",
            "\\", ":", ".", "..", "xogo", "</titulo>"};
        std::string s;
        const int n = pick(4) == 0 ? 0 : pick(8);
        for (int i = 0; i < n; ++i)
            s += kPieces[pick(sizeof kPieces / sizeof *kPieces)];
        return s;
    }

    std::string path() {
        static const char* const kPaths[] = {
            "", "son.mp3", "C:\\fotos\\mapa.jpg", "/home/ana/sons/ben.wav", "rel/a b.ogg",
            "d:x.png", "/a/..", "/a/.", "/a/ ", "/x/&amp;<\">.mp3", "/m/ñ€.wav", "/dir/"};
        return pick(3) == 0 ? text() : kPaths[pick(sizeof kPaths / sizeof *kPaths)];
    }

    Question question() {
        Question q;
        for (int i = 0; i < kFieldSlotCount; ++i) {
            const auto slot = static_cast<FieldSlot>(i);
            const bool media = slot == FieldSlot::imaxe || slot == FieldSlot::son ||
                               slot == FieldSlot::sonben || slot == FieldSlot::sonmal;
            q[slot] = media ? path() : text();
        }
        return q;
    }

    SampleQuiz quiz() {
        SampleQuiz q;
        GeneralData& g = q.general;
        g.title = text(), g.subtitle = text(), g.author = text(), g.intro = text();
        g.help = text(), g.time = text(), g.endWell = text(), g.endBad = text();
        g.introSound = path(), g.endWellSound = path(), g.endBadSound = path();
        g.inOrder = pick(2) == 1;
        g.passMark = pick(2) == 0 ? kDefaultPassMark : pick(141) - 20; // -20..120
        q.count = 1 + pick(12);
        for (int k = 1; k <= q.count; ++k)
            q.questions.record(k) = question();
        return q;
    }

private:
    int pick(std::size_t n) { return static_cast<int>(gen_() % n); }
    std::mt19937 gen_;
};

std::string trim(const std::string& s) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// A media name as it comes back: the bare file name in the opened file's folder.
std::string media(const std::string& name, const std::string& folder) {
    const std::string confined = confinedMediaName(name);
    return confined.empty() ? std::string() : folder + confined;
}

// A text without the C0 controls XML cannot carry (all but tab, line feed, CR).
std::string carried(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
            out += c;
    }
    return out;
}

// What the reader must give for a quiz the writer wrote: questions without statement
// dropped, answers closed up, the C0 controls XML cannot carry left out, texts
// trimmed, media in the file's folder, sounds without their message dropped.
OpenedQuiz expectedAfterRoundTrip(const SampleQuiz& q, const std::string& folder) {
    OpenedQuiz out;
    out.folder = folder;
    const GeneralData& g = q.general;
    GeneralData& e = out.general;
    e.title = trim(carried(g.title)), e.subtitle = trim(carried(g.subtitle));
    e.author = trim(carried(g.author));
    e.intro = trim(carried(toCrLf(g.intro))), e.help = trim(carried(g.help));
    e.time = trim(carried(g.time));
    e.inOrder = g.inOrder;
    e.passMark = std::clamp(g.passMark, 0, 100);
    e.introSound = media(carried(bareFileName(g.introSound)), folder);
    e.endWell = trim(carried(g.endWell));
    e.endWellSound = g.endWell.empty() ? "" : media(carried(bareFileName(g.endWellSound)), folder);
    e.endBad = trim(carried(g.endBad));
    e.endBadSound = g.endBad.empty() ? "" : media(carried(bareFileName(g.endBadSound)), folder);
    for (int k = 1; k <= q.count; ++k) {
        const Question& s = q.questions.record(k);
        if (s[FieldSlot::enunciado].empty())
            continue;
        Question r;
        r[FieldSlot::enunciado] = trim(carried(s[FieldSlot::enunciado]));
        int n = 0;
        for (int a = 1; a <= 4; ++a) {
            if (!s[answerSlot(a)].empty())
                r[answerSlot(++n)] = trim(carried(s[answerSlot(a)]));
        }
        r[FieldSlot::enlace] = trim(carried(s[FieldSlot::enlace]));
        for (FieldSlot m : {FieldSlot::imaxe, FieldSlot::son}) {
            if (!s[m].empty())
                r[m] = media(trim(carried(bareFileName(s[m]))), folder);
        }
        r[FieldSlot::ben] = trim(carried(s[FieldSlot::ben]));
        if (!s[FieldSlot::ben].empty())
            r[FieldSlot::sonben] = media(carried(bareFileName(s[FieldSlot::sonben])), folder);
        r[FieldSlot::mal] = trim(carried(s[FieldSlot::mal]));
        if (!s[FieldSlot::mal].empty())
            r[FieldSlot::sonmal] = media(carried(bareFileName(s[FieldSlot::sonmal])), folder);
        out.questions.push_back(r);
    }
    return out;
}

TEST(QuizFileRoundTrip, OpenOfSaveGivesTheQuizBackApartFromTheIntendedDifferences) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        const SampleQuiz q = RandomQuiz(seed).quiz();
        OutputBuffer out;
        writeQuizFile(q.general, q.questions, q.count, out);
        OpenedQuiz opened;
        try {
            opened = read(out.text());
        } catch (const std::exception& e) {
            FAIL() << "seed " << seed << ": " << e.what() << "\n" << out.text();
        }
        const OpenedQuiz expected = expectedAfterRoundTrip(q, kFolder);
        ASSERT_EQ(opened.general, expected.general) << "seed " << seed << "\n" << out.text();
        ASSERT_EQ(opened.count(), expected.count()) << "seed " << seed;
        for (int k = 0; k < expected.count(); ++k)
            ASSERT_EQ(opened.questions[static_cast<std::size_t>(k)],
                      expected.questions[static_cast<std::size_t>(k)])
                << "seed " << seed << ", question " << k + 1 << "\n" << out.text();

        // An opened quiz goes round again by the same rules.
        SampleQuiz second;
        second.general = opened.general;
        second.count = opened.count();
        for (int k = 1; k <= second.count; ++k)
            second.questions.record(k) = opened.questions[static_cast<std::size_t>(k - 1)];
        OutputBuffer again;
        writeQuizFile(second.general, second.questions, second.count, again);
        const OpenedQuiz reopened = read(again.text());
        const OpenedQuiz expectedAgain = expectedAfterRoundTrip(second, kFolder);
        ASSERT_EQ(reopened.general, expectedAgain.general) << "seed " << seed;
        ASSERT_EQ(reopened.questions, expectedAgain.questions) << "seed " << seed;
    }
}

// Damaged files: any result is fine as long as reading ends in a quiz or a reported
// failure (run under the sanitizers to catch reads outside the input).
TEST(QuizFileReader, DamagedFilesOpenOrFailCleanly) {
    const std::string original = readFile(dataPath("full_quiz.xml"));
    std::mt19937 gen(2024);
    const char noise[] = "<>&;#/\"=x \r\n\0\xC3\xE1";
    for (int round = 0; round < 3000; ++round) {
        std::string file = original;
        for (int edits = 1 + static_cast<int>(gen() % 4); edits > 0; --edits) {
            const std::size_t at = gen() % file.size();
            switch (gen() % 3) {
            case 0: file[at] = noise[gen() % (sizeof noise - 1)]; break;
            case 1: file.erase(at, 1 + gen() % 8); break;
            default: file.insert(at, 1, noise[gen() % (sizeof noise - 1)]);
            }
            if (file.empty())
                file = "<";
        }
        try {
            const OpenedQuiz q = read(file);
            EXPECT_LE(q.count(), kQuestionCapacity);
        } catch (const QuizFileError&) {
        } catch (const EXMLException&) {
        }
    }
}

} // namespace
