// The readers of Aiken, GIFT, spreadsheets and Moodle XML over the shapes their files
// take in the wild: what they import and what they report.
#include "foreign_test_support.h"

#include "formats/aiken.h"
#include "formats/gift.h"
#include "formats/import_support.h"
#include "formats/moodle_xml.h"
#include "formats/spreadsheet.h"
#include "text.h"

#include <map>

using namespace vireta;
using namespace foreign;
using Kind = QuestionKind;

namespace {

struct Case {
    const char* label;
    std::string input;
    std::vector<Question> questions;
    std::vector<Note> notes;
};

// Every case once with LF and once with CR LF line ends.
template <typename Read>
void runCases(const std::vector<Case>& cases, Read read) {
    for (const Case& c : cases) {
        for (bool crlf : {false, true}) {
            std::string input = c.input;
            if (crlf)
                input = toCrLf(input);
            const ImportResult r = read(input);
            const std::string label = std::string(c.label) + (crlf ? " (CR LF)" : " (LF)");
            EXPECT_EQ(questionsOf(r), c.questions) << label;
            expectNotes(r.notes, c.notes, label);
        }
    }
}

TEST(AikenReader, ReadsTheUsualLayoutAndReportsWhatItCannotTake) {
    const std::vector<Case> cases = {
        {"usual layout",
         "Cal é o río máis longo?\nA. Miño\nB. Sil\nC. Ulla\nANSWER: A\n\n"
         "Onde nace o Miño?\nA) Fonmiñá\nB) Pena Trevinca\nANSWER: A\n",
         {mc("Cal é o río máis longo?", {"Miño", "Sil", "Ulla"}),
          mc("Onde nace o Miño?", {"Fonmiñá", "Pena Trevinca"})},
         {}},
        {"right answer not first, lower case, blanks, no blank line between",
         "  Capital?  \n a.  Lugo \nb. Santiago\n  c) Ourense\n answer :  b \nOutra?\nA. x\nB. y\nANSWER:B",
         {mc("Capital?", {"Santiago", "Lugo", "Ourense"}), mc("Outra?", {"y", "x"})},
         {}},
        {"several lines of question text",
         "Le o texto:\nO río pasa por Ourense.\nCal é?\nA. Miño\nB. Sil\nANSWER: A\n",
         {mc("Le o texto:\r\nO río pasa por Ourense.\r\nCal é?", {"Miño", "Sil"})},
         {}},
        {"more than three wrong answers are cut",
         "Q?\nA. a\nB. b\nC. c\nD. d\nE. e\nF. f\nANSWER: F\n",
         {mc("Q?", {"f", "a", "b", "c"})},
         {{1, NoteReason::WrongAnswersCut, "2"}}},
        {"an empty option: skipped when wrong, the question left out when right",
         "Q?\nA. a\nB.\nC. c\nANSWER: A\n\nR?\nA.\nB. b\nANSWER: A\n",
         {mc("Q?", {"a", "c"})},
         {{7, NoteReason::NoRightAnswer}}},
        {"missing ANSWER, an odd line, an unknown letter, no options",
         "Sen resposta?\nA. a\nB. b\n\nRaro?\nA. a\nisto non\nB. b\nANSWER: A\n\n"
         "Letra?\nA. a\nB. b\nANSWER: D\n\nSo texto\n\nBoa?\nA. si\nANSWER: A\n",
         {},
         {{1, NoteReason::NoAnswerLine},
          {7, NoteReason::UnexpectedLine},
          {14, NoteReason::UnknownAnswerLetter, "D"},
          {16, NoteReason::NoAnswers},
          {18, NoteReason::OneOption}}},
    };
    runCases(cases, [](const std::string& text) { return AikenReader::read(text); });
}

TEST(AikenReader, TakesOptionsWithoutABlankAfterTheMarkWhereTheyEndInAnswer) {
    const std::vector<Case> cases = {
        {"tight options of either mark and case",
         "Q?\nA)one\nB)two\nANSWER: B\n\nR?\na.un\nB. dous\nc)tres\nANSWER: C\n",
         {mc("Q?", {"two", "one"}), mc("R?", {"tres", "un", "dous"})},
         {}},
        {"initials in the question text are no option",
         "Compara:\nA.B. testing parte os usuarios.\nQue precisa?\nA. dous grupos\nB. un\nANSWER: A\n\n"
         "Siglas?\nA.B.\nANSWER: A\n",
         {mc("Compara:\r\nA.B. testing parte os usuarios.\r\nQue precisa?", {"dous grupos", "un"})},
         {{8, NoteReason::NoAnswers}}},
        {"a tight line whose options do not reach ANSWER is question text",
         "Le:\nA.Cunqueiro naceu en Mondoñedo.\nOnde?\nA. Mondoñedo\nB. Lugo\nANSWER: A\n\n"
         "Sen ANSWER\nA)un\nB)dous\n",
         {mc("Le:\r\nA.Cunqueiro naceu en Mondoñedo.\r\nOnde?", {"Mondoñedo", "Lugo"})},
         {{8, NoteReason::NoAnswers}}},
        {"one option with text is no question",
         "Unha?\nA)si\nANSWER: A\n\nBaleira?\nA. si\nB.\nANSWER: A\n",
         {},
         {{1, NoteReason::OneOption}, {5, NoteReason::OneOption}}},
    };
    runCases(cases, [](const std::string& text) { return AikenReader::read(text); });

    const FormatNote one{3, {}, NoteReason::OneOption, {}, 0};
    EXPECT_EQ(one.english(), "line 3: only one option: not imported");
    EXPECT_EQ(one.galician(), "liña 3: só unha opción: non se importou");
}

TEST(GiftReader, ReadsEveryKindAndReportsTheRest) {
    const std::vector<Case> cases = {
        {"names, comments, categories, markers, feedback over several lines",
         "// Xeografía\n$CATEGORY: $course$/top/Ríos\n\n"
         "::Río::[moodle]Cal é o río máis longo? {\n  =Miño#Moi ben\n  ~Sil#Non, é o Miño\n"
         "  ~Ulla#Tampouco\n}\n\n"
         "::H::[html]<p>Cal <b>é</b> a capital?</p>{~Lugo =Santiago ~Vigo}\n",
         {withMessages(q({{FieldSlot::enunciado, "Cal é o río máis longo?"},
                          {FieldSlot::resposta1, "Miño"},
                          {FieldSlot::resposta2, "Sil"},
                          {FieldSlot::resposta3, "Ulla"},
                          {FieldSlot::ben, "Moi ben"}}),
                       {"", "Non, é o Miño", "Tampouco"}),
          mc("Cal é a capital?", {"Santiago", "Lugo", "Vigo"})},
         {}},
        {"escapes and \\n",
         "Canto é 2\\=2 \\{si\\}\\: \\#1 \\~ \\\\ ou\\nnon? {=a\\~b ~c\\#d#fb\\: x ~e}\n",
         {withMessages(q({{FieldSlot::enunciado, "Canto é 2=2 {si}: #1 ~ \\ ou\r\nnon?"},
                          {FieldSlot::resposta1, "a~b"},
                          {FieldSlot::resposta2, "c#d"},
                          {FieldSlot::resposta3, "e"}}),
                       {"", "fb: x"})},
         {}},
        {"missing word",
         "O Miño {=nace ~morre} en Lugo.\n",
         {mc("O Miño _____ en Lugo.", {"nace", "morre"})},
         {}},
        {"true and false, with feedback",
         "O Sil é afluente do Miño. {T}\n\nO Miño nace en Ourense. {FALSE#Si, en Ourense#Ben: en Lugo}\n",
         {ofKind(mc("O Sil é afluente do Miño.", {"Verdadeiro", "Falso"}), Kind::TrueFalse),
          ofKind(q({{FieldSlot::enunciado, "O Miño nace en Ourense."},
                    {FieldSlot::resposta1, "Falso"},
                    {FieldSlot::resposta2, "Verdadeiro"},
                    {FieldSlot::ben, "Ben: en Lugo"},
                    {FieldSlot::mal, "Si, en Ourense"}}),
                 Kind::TrueFalse)},
         {}},
        {"weighted answers, too many wrong ones, general feedback",
         "Pesos? {~%50%a =%100%b ~%-50%c}\n\nMoitas? {=a ~b ~c ~d ~e ~f ####xeral}\n",
         {mc("Pesos?", {"b", "a", "c"}), mc("Moitas?", {"a", "b", "c", "d"})},
         {{1, NoteReason::Weighted},
          {3, NoteReason::WrongAnswersCut, "2"},
          {3, NoteReason::GeneralFeedbackLeftOut}}},
        {"what is taken and what is not",
         "::E:: Escribe. {}\n\nCurta? {=Miño =miño}\n\nCanto? {#2:0.5}\n\n"
         "Emparella {=a -> 1 =b -> 2}\n\nSó texto sen chaves\n\nDúas? {~%50%a ~%50%b}\n\n"
         "Dobre? {=a =b ~c}\n\nAberta? {=a ~b\n\nA {~a =b} e {~c =d}\n\nBaleira? {= ~b}\n",
         {ofKind(mc("Curta?", {"Miño", "miño"}), Kind::Short),
          ofKind(mc("Dúas?", {"a", "b"}), Kind::Several, {1, 2})},
         {{1, NoteReason::Essay},
          {5, NoteReason::Numerical},
          {7, NoteReason::Matching},
          {9, NoteReason::Description},
          {13, NoteReason::SeveralRightAnswers},
          {15, NoteReason::UnclosedBraces},
          {17, NoteReason::Cloze},
          {19, NoteReason::NoRightAnswer}}},
    };
    runCases(cases, [](const std::string& text) { return GiftReader::read(text); });
}

TEST(GiftReader, ReportsTheFeedbackAndSoundLinksAQuestionHereCannotHold) {
    const std::vector<Case> cases = {
        {"general feedback of a true/false question",
         "::Q1:: 42 is the answer.{FALSE#No.#Yes.\n####General.}\n\nTF? {T####Xeral}\n",
         {ofKind(q({{FieldSlot::enunciado, "42 is the answer."},
                    {FieldSlot::resposta1, "Falso"},
                    {FieldSlot::resposta2, "Verdadeiro"},
                    {FieldSlot::ben, "Yes."},
                    {FieldSlot::mal, "No."}}),
                 Kind::TrueFalse),
          ofKind(mc("TF?", {"Verdadeiro", "Falso"}), Kind::TrueFalse)},
         {{1, NoteReason::GeneralFeedbackLeftOut}, {4, NoteReason::GeneralFeedbackLeftOut}}},
        {"different feedback on the wrong answers: each answer's own message",
         "Q?{=right#Very good! ~a#fb one ~b#fb two}\n",
         {withMessages(q({{FieldSlot::enunciado, "Q?"},
                          {FieldSlot::resposta1, "right"},
                          {FieldSlot::resposta2, "a"},
                          {FieldSlot::resposta3, "b"},
                          {FieldSlot::ben, "Very good!"}}),
                       {"", "fb one", "fb two"})},
         {}},
        {"a sound linked from an [html] question text",
         "::B:: [html]<p>Escoita: <a href=\"bonjour.mp3\">bonjour</a></p>Que di? {=Ola ~Adeus}\n\n"
         "[html]<A HREF\\='sons/si.OGG?v\\=1&amp;x\\=2'>Son</a> e <a "
         "href\\=\"http://example.org/\">web</a><!-- <a href\\=x.mp3> --><abbr href\\=y.mp3></abbr>"
         "<script><a href\\=z.mp3></script><a name\\=w.mp3 href\\=o.wav></a> {T}\n",
         {mc("Escoita: bonjour\r\nQue di?", {"Ola", "Adeus"}),
          ofKind(mc("Son e web", {"Verdadeiro", "Falso"}), Kind::TrueFalse)},
         {{1, NoteReason::LinkedSoundLeftOut, "bonjour.mp3"},
          {3, NoteReason::LinkedSoundLeftOut, "sons/si.OGG?v=1&x=2"},
          {3, NoteReason::LinkedSoundLeftOut, "o.wav"}}},
    };
    runCases(cases, [](const std::string& text) { return GiftReader::read(text); });

    const FormatNote sound{2, {}, NoteReason::LinkedSoundLeftOut, "bonjour.mp3", 0};
    EXPECT_EQ(sound.english(), "line 2: link to the sound 'bonjour.mp3' left out");
    EXPECT_EQ(sound.galician(), "liña 2: a ligazón ao son «bonjour.mp3» quedou fóra");
}

// A tab inside a line of a text is the teacher's and stays; the blanks of the file's
// layout (line breaks, indentation) do not.
TEST(GiftReader, KeepsATabInsideALineOfText) {
    const std::vector<Case> cases = {
        {"tabs inside a line, blanks across lines",
         "Nome:\tAna, idade: \t 12\t\t anos?\n\tDi\t\\nsi {\n\t=si\tnon#ben\tfeito\n\t~non\n}\n",
         {q({{FieldSlot::enunciado, "Nome:\tAna, idade:\t12\t\tanos? Di\r\nsi"},
             {FieldSlot::resposta1, "si\tnon"},
             {FieldSlot::resposta2, "non"},
             {FieldSlot::ben, "ben\tfeito"}})},
         {}},
        {"an [html] text: a tab is white space",
         "[html]<p>Nome:\tAna</p> {=a ~b}\n",
         {mc("Nome: Ana", {"a", "b"})},
         {}},
    };
    runCases(cases, [](const std::string& text) { return GiftReader::read(text); });

    // What the GIFT writer writes comes back with its tabs.
    QuestionTable table;
    table.record(1) = mc("Nome:\tAna?", {"si\tnon", "non"});
    OutputBuffer out;
    ExportNotes notes;
    GiftWriter::write(GeneralData{}, table, 1, out, notes);
    EXPECT_EQ(questionsOf(GiftReader::read(out.text())), std::vector<Question>{table.record(1)});
}

TEST(SpreadsheetReader, ReadsHeadersInAnyOrderAndEitherLanguage) {
    const std::vector<Case> cases = {
        {"Galician header, commas, quotes and a line break in a cell",
         "Pregunta,Correcta,Incorrecta 1,Incorrecta 2,Incorrecta 3,Imaxe,Son,Correcto,Son correcto,"
         "Incorrecto,Son incorrecto,Enlace\n"
         "\"Cal é, de verdade,\nmáis longo?\",Miño,\"O \"\"Sil\"\"\",,Ulla,mapa.png,/sons/rio.mp3,"
         "Ben,ben.wav,Mal,C:\\sons\\mal.wav,http://example.org\n",
         {q({{FieldSlot::enunciado, "Cal é, de verdade,\r\nmáis longo?"},
             {FieldSlot::resposta1, "Miño"},
             {FieldSlot::resposta2, "O \"Sil\""},
             {FieldSlot::resposta3, "Ulla"},
             {FieldSlot::imaxe, "/data/mapa.png"},
             {FieldSlot::son, "/sons/rio.mp3"},
             {FieldSlot::ben, "Ben"},
             {FieldSlot::sonben, "/data/ben.wav"},
             {FieldSlot::mal, "Mal"},
             {FieldSlot::sonmal, "C:\\sons\\mal.wav"},
             {FieldSlot::enlace, "http://example.org"}})},
         {}},
        {"English header in another order, semicolons, unknown column",
         "Wrong 1;Question;Notes;correct;right feedback\nSil;Río?;ignore;Miño;Ben\n;;;;\n",
         {q({{FieldSlot::enunciado, "Río?"},
             {FieldSlot::resposta1, "Miño"},
             {FieldSlot::resposta2, "Sil"},
             {FieldSlot::ben, "Ben"}})},
         {{1, NoteReason::UnknownColumn, "Notes"}}},
        {"no header: the first five columns; rows that cannot be taken",
         "Río?\tMiño\tSil\nSen correcta\t\tSil\n\tMiño\nMáis?\ta\tb\tc\td\te\n",
         {mc("Río?", {"Miño", "Sil"}), mc("Máis?", {"a", "b", "c", "d"})},
         {{2, NoteReason::NoRightAnswer},
          {3, NoteReason::NoStatement},
          {4, NoteReason::CellsBeyondColumns}}},
    };
    runCases(cases, [](const std::string& text) { return SpreadsheetReader::read(text, "/data/"); });
}

TEST(SpreadsheetReader, RecordsFollowRfc4180) {
    const std::vector<CsvRecord> records =
        parseCsv("a,\"b,c\",\"d\"\"e\"\r\n\"f\ng\",,\n\"unclosed", ',');
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].fields, (std::vector<std::string>{"a", "b,c", "d\"e"}));
    EXPECT_EQ(records[1].line, 2);
    EXPECT_EQ(records[1].fields, (std::vector<std::string>{"f\r\ng", "", ""}));
    EXPECT_EQ(records[2].line, 4);
    EXPECT_EQ(records[2].fields, (std::vector<std::string>{"unclosed"}));
}

std::string moodle(const std::string& questions) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n"
           "<question type=\"category\"><category><text>$course$/top/X</text></category></question>\n" +
           questions + "</quiz>\n";
}

std::string question(const std::string& type, const std::string& name, const std::string& body) {
    return "<question type=\"" + type + "\"><name><text>" + name + "</text></name>" + body +
           "</question>\n";
}

TEST(MoodleXmlReader, ReadsMultipleChoiceAndTrueFalseAndReportsTheRest) {
    const std::string tf =
        "<questiontext format=\"html\"><text><![CDATA[<p>O Sil &eacute; afluente?</p>]]></text>"
        "</questiontext><answer fraction=\"0\"><text>true</text><feedback><text>Non</text></feedback>"
        "</answer><answer fraction=\"100\"><text>false</text><feedback><text>Ben</text></feedback></answer>";
    const std::string mcBody =
        "<questiontext format=\"html\"><text>&lt;p&gt;Cal &amp;lt;é&amp;gt;&lt;br&gt;o río?&lt;/p&gt;"
        "&lt;p&gt;Escolle&amp;nbsp;un&lt;/p&gt;</text></questiontext><single>true</single>"
        "<correctfeedback format=\"html\"><text>&lt;p&gt;Moi ben&lt;/p&gt;</text></correctfeedback>"
        "<incorrectfeedback format=\"html\"><text>Mal</text></incorrectfeedback>"
        "<answer fraction=\"0\" format=\"html\"><text>&lt;p&gt;Sil&lt;/p&gt;</text></answer>"
        "<answer fraction=\"100\" format=\"plain_text\"><text>Miño &lt;3</text></answer>";
    auto answers = [](int n, const char* fraction) {
        std::string a = "<questiontext><text>Q</text></questiontext><single>true</single>"
                        "<answer fraction=\"100\"><text>r</text></answer>";
        for (int i = 0; i < n; ++i)
            a += std::string("<answer fraction=\"") + fraction + "\"><text>w" + std::to_string(i) +
                 "</text></answer>";
        return a;
    };
    const std::vector<Case> cases = {
        {"multiple choice and true/false",
         moodle(question("multichoice", "Río", mcBody) + question("truefalse", "TF", tf) +
                question("multichoice", "Auto",
                         "<questiontext format=\"moodle_auto_format\"><text>Liña 1\nLiña 2</text>"
                         "</questiontext><answer fraction=\"100\"><text>r</text></answer>")),
         {q({{FieldSlot::enunciado, "Cal <é>\r\no río?\r\nEscolle un"},
             {FieldSlot::resposta1, "Miño <3"},
             {FieldSlot::resposta2, "Sil"},
             {FieldSlot::ben, "Moi ben"},
             {FieldSlot::mal, "Mal"}}),
          ofKind(q({{FieldSlot::enunciado, "O Sil é afluente?"},
                    {FieldSlot::resposta1, "Falso"},
                    {FieldSlot::resposta2, "Verdadeiro"},
                    {FieldSlot::ben, "Ben"},
                    {FieldSlot::mal, "Non"}}),
                 Kind::TrueFalse),
          mc("Liña 1\r\nLiña 2", {"r"})},
         {}},
        {"cut, weighted and left out",
         moodle(question("multichoice", "Moitas", answers(5, "0")) +
                question("multichoice", "Pesos", answers(1, "-33.3")) +
                question("multichoice", "Varias",
                         "<questiontext><text>Q</text></questiontext><single>false</single>") +
                question("multichoice", "Ningunha",
                         "<questiontext><text>Q</text></questiontext><single>true</single>"
                         "<answer fraction=\"50\"><text>a</text></answer>") +
                question("multichoice", "Baleira",
                         "<questiontext><text>Q</text></questiontext><single>true</single>"
                         "<answer fraction=\"100\"><text>&lt;p&gt;&lt;/p&gt;</text></answer>") +
                question("shortanswer", "Curta", "") + question("essay", "Ensaio", "") +
                question("matching", "Emparella", "") + question("numerical", "Número", "") +
                question("cloze", "Ocos", "") + question("description", "Texto", "") +
                question("ddwtos", "Arrastrar", "")),
         {mc("Q", {"r", "w0", "w1", "w2"}), mc("Q", {"r", "w0"})},
         {{0, NoteReason::WrongAnswersCut, "2"},
          {0, NoteReason::Weighted},
          {0, NoteReason::NoAnswers},
          {0, NoteReason::NoRightAnswer},
          {0, NoteReason::NoRightAnswer},
          {0, NoteReason::NoStatement},
          {0, NoteReason::Essay},
          {0, NoteReason::Matching},
          {0, NoteReason::Numerical},
          {0, NoteReason::Cloze},
          {0, NoteReason::Description},
          {0, NoteReason::OtherKind, "ddwtos"}}},
    };
    runCases(cases, [](const std::string& text) { return MoodleXmlReader::read(text, nullptr); });

    const ImportResult r = MoodleXmlReader::read(
        moodle(question("essay", "Ensaio \xC3\xA1", "")), nullptr);
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_EQ(r.notes[0].english(), "question 'Ensaio á': essay question: not multiple choice");
    EXPECT_EQ(r.notes[0].galician(), "pregunta «Ensaio á»: pregunta de redacción: non é de escolla múltiple");
}

// The question's own wrong message is the question's, and every answer's feedback
// that answer's own message.
TEST(MoodleXmlReader, KeepsTheQuestionsWrongMessageAndEveryAnswersOwn) {
    const ImportResult r = MoodleXmlReader::read(
        moodle(question(
            "multichoice", "Propia",
            "<questiontext><text>Q</text></questiontext><incorrectfeedback><text>fb two"
            "</text></incorrectfeedback><answer fraction=\"100\"><text>r</text></answer>"
            "<answer fraction=\"0\"><text>a</text><feedback><text>fb one</text></feedback></answer>"
            "<answer fraction=\"0\"><text>b</text><feedback><text>&lt;p&gt;fb two&lt;/p&gt;"
            "</text></feedback></answer><answer fraction=\"0\"><text>c</text></answer>")),
        nullptr);
    Question taken = withMessages(mc("Q", {"r", "a", "b", "c"}), {"", "fb one", "fb two"});
    taken[FieldSlot::mal] = "fb two";
    EXPECT_EQ(questionsOf(r), std::vector<Question>{taken});
    expectNotes(r.notes, {}, "own wrong message");
}

TEST(MoodleXmlReader, TakesTheFirstPictureAndSoundOfTheQuestionText) {
    std::map<std::string, std::string> written;
    auto sink = [&](const std::string& name, const std::string& bytes) {
        written[name] = bytes;
        return "/media/" + name;
    };
    const std::string body =
        "<questiontext format=\"html\"><text>&lt;p&gt;Q&lt;img src=\"@@PLUGINFILE@@/a.png\"&gt;"
        "&lt;a href=\"@@PLUGINFILE@@/s%20n.mp3\"&gt;s n.mp3&lt;/a&gt;&lt;/p&gt;</text>"
        "<file name=\"a.png\" path=\"/\" encoding=\"base64\">UE5H</file>"
        "<file name=\"b.png\" path=\"/\" encoding=\"base64\">UE5H</file>"
        "<file name=\"s n.mp3\" path=\"/\" encoding=\"base64\">SUQz\n</file>"
        "<file name=\"bad.jpg\" path=\"/\" encoding=\"base64\">*not*</file></questiontext>"
        "<single>true</single><answer fraction=\"100\"><text>r</text>"
        "<feedback><text>f</text><file name=\"f.png\" encoding=\"base64\">UE5H</file></feedback></answer>";
    const ImportResult r = MoodleXmlReader::read(moodle(question("multichoice", "M", body)), sink);
    ASSERT_EQ(r.questions.size(), 1u);
    const Question& got = r.questions[0].question;
    EXPECT_EQ(got[FieldSlot::enunciado], "Q");
    EXPECT_EQ(got[FieldSlot::imaxe], "/media/a.png");
    EXPECT_EQ(got[FieldSlot::son], "/media/s n.mp3");
    EXPECT_EQ(written, (std::map<std::string, std::string>{{"a.png", "PNG"}, {"s n.mp3", "ID3"}}));
    std::vector<Note> notes = {{0, NoteReason::EmbeddedFileLeftOut, "f.png"},
                               {0, NoteReason::EmbeddedFileLeftOut, "b.png"},
                               {0, NoteReason::EmbeddedFileLeftOut, "bad.jpg"}};
    // The walk meets the answer's file before the question text's.
    expectNotes(r.notes, notes, "embedded files");
}

TEST(MoodleXmlReader, RefusesWhatIsNoQuestionBank) {
    for (const char* text : {"", "<quiz><question>", "<xogo/>", "not xml at all"})
        EXPECT_THROW(MoodleXmlReader::read(text, nullptr), MoodleXmlError) << text;
}

TEST(ImportSupport, HtmlBecomesTheProgramsText) {
    const struct {
        const char* html;
        const char* text;
    } cases[] = {
        {"<p>Un</p><p>Dous</p>", "Un\r\nDous"},
        {"  moitos \n  espazos\t ", "moitos espazos"},
        {"liña<br>outra<br/>e<BR >fin", "liña\r\noutra\r\ne\r\nfin"},
        {"<p>a</p><p></p><p>&nbsp;</p><p>b</p>", "a\r\n\r\nb"},
        {"<b>negra</b> e <i>cursiva</i>", "negra e cursiva"},
        {"&lt;&gt;&amp;&quot;&apos;&aacute;&Ntilde;&#233;&#xE9;&euro;&hellip;", "<>&\"'áÑéé€…"},
        {"&unknown; &#0; &#xD800; & solto", "&unknown; &#0; &#xD800; & solto"},
        {"<script>alert(1)</script>texto<style>p{}</style>", "texto"},
        {"<!-- comentario -->visible", "visible"},
        {"<ul><li>un</li><li>dous</li></ul>", "un\r\ndous"},
        {"sen peche <b", "sen peche"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(htmlToText(c.html), c.text) << c.html;
}

TEST(ImportSupport, Base64BothWays) {
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
                 {std::string("\0\xFF\xFE", 3), "AP/+"}};
    for (const auto& c : cases) {
        EXPECT_EQ(encodeBase64(c.bytes), c.text);
        std::string back;
        EXPECT_TRUE(decodeBase64(c.text, back)) << c.text;
        EXPECT_EQ(back, c.bytes) << c.text;
    }
    std::string out;
    EXPECT_TRUE(decodeBase64(" Zm9v\r\nYg==\n", out));
    EXPECT_EQ(out, "foob");
    for (const char* bad : {"Zg=", "Zm9", "Z===", "Zg==Zg==", "Zm9v!"})
        EXPECT_FALSE(decodeBase64(bad, out)) << bad;
}

TEST(ImportSupport, FilesInUtf8OrWindows1252) {
    EXPECT_EQ(importedText("\xEF\xBB\xBF" "Ri\xC3\xB3"), "Ri\xC3\xB3");
    EXPECT_EQ(importedText("Ri\xC3\xB3"), "Ri\xC3\xB3");
    EXPECT_EQ(importedText("R\xEDo \x80"), "R\xC3\xADo \xE2\x82\xAC");
}

} // namespace
