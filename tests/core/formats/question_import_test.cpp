// Importing a file: telling its format, its text encoding, the embedded media kept
// inside NAME-media/, and putting the questions into the quiz.
#include "foreign_test_support.h"

#include "formats/import_support.h"
#include "formats/moodle_xml.h"
#include "formats/question_import.h"
#include "test_files.h"

#include <algorithm>
#include <filesystem>

using namespace vireta;
using namespace foreign;
using namespace testfiles;

namespace {

TEST(DetectFormat, ByContentFirstAndByExtensionForSpreadsheets) {
    const struct {
        const char* path;
        std::string bytes;
        DetectedFormat format;
    } cases[] = {
        {"banco.xml", "<?xml version=\"1.0\"?>\n<!-- x -->\n<quiz>\n<question type=\"x\"/></quiz>",
         DetectedFormat::MoodleXml},
        {"banco.txt", "\xEF\xBB\xBF<quiz><question/></quiz>", DetectedFormat::MoodleXml},
        {"xogo.xml", "<?xml version=\"1.0\"?><xogo version=\"1.0\"/>", DetectedFormat::QuizFile},
        {"baleiro.xml", "<quiz version=\"1.0\"/>", DetectedFormat::QuizFile},
        {"p.txt", "Q?\nA. a\nB. b\nANSWER: A\n", DetectedFormat::Aiken},
        {"p.gift", "Q?\nA. a\nanswer : A\n", DetectedFormat::Aiken},
        {"p.txt", "::T:: Q? {=a ~b}\n", DetectedFormat::Gift},
        {"p.gift", "sen nada", DetectedFormat::Gift},
        {"p.txt", "sen nada", DetectedFormat::Aiken},
        {"p.CSV", "Pregunta,Correcta\n\"{=a}\",ANSWER: x\n", DetectedFormat::Spreadsheet},
        {"p.tsv", "a\tb\n", DetectedFormat::Spreadsheet},
        {"p.doc", "sen nada", DetectedFormat::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(detectFormat(c.path, c.bytes), c.format) << c.path << ": " << c.bytes;
}

TEST(ImportQuestions, ReadsUtf8WithOrWithoutMarkAndWindows1252) {
    ScratchDir dir;
    const std::string aiken = "Que río pasa por Ourense?\r\nA. Miño\r\nB. Sil\r\nANSWER: A\r\n";
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"utf8.txt", aiken},
        {"bom.txt", "\xEF\xBB\xBF" + aiken},
        {"cp1252.txt", "Que r\xEDo pasa por Ourense?\r\nA. Mi\xF1o\r\nB. Sil\r\nANSWER: A\r\n"},
        {"cp1252.csv", "Pregunta;Correcta;Incorrecta 1\r\nQue r\xEDo pasa por Ourense?;Mi\xF1o;Sil\r\n"},
        {"utf8.gift", "Que río pasa por Ourense? {=Miño ~Sil}"},
    };
    for (const auto& f : files) {
        writeFile(dir / f.name, f.bytes);
        const ImportResult r = importQuestions(dir / f.name);
        EXPECT_TRUE(r.notes.empty()) << f.name;
        EXPECT_EQ(questionsOf(r), std::vector<Question>{mc("Que río pasa por Ourense?", {"Miño", "Sil"})})
            << f.name;
    }
    // Forced: the GIFT file read as Aiken finds no question.
    const ImportResult forced = importQuestions(dir / "utf8.gift", ImportFormat::Aiken);
    EXPECT_TRUE(forced.questions.empty());
    EXPECT_FALSE(forced.notes.empty());
}

TEST(ImportQuestions, RefusesWhatItCannotRead) {
    ScratchDir dir;
    writeFile(dir / "xogo.xml", "<xogo version=\"1.0\"/>");
    writeFile(dir / "roto.xml", "<quiz><question type=\"multichoice\">");
    writeFile(dir / "nada.doc", "nada");
    const struct {
        const char* name;
        const char* why;
    } cases[] = {{"xogo.xml", "\nÉ un cuestionario de Vireta: ábreo con «Abrir»."},
                 {"roto.xml", "\nO documento Moodle XML está mal formado."},
                 {"nada.doc", "\nNon se recoñece o seu formato (Aiken, GIFT, folla de cálculo ou Moodle XML)."},
                 {"falta.txt", ""}};
    for (const auto& c : cases) {
        try {
            importQuestions(dir / c.name);
            ADD_FAILURE() << c.name << " was imported";
        } catch (const ImportError& e) {
            EXPECT_EQ(e.path(), dir / c.name);
            EXPECT_EQ(e.userMessage(), "Non se puido importar o arquivo :" + (dir / c.name) + c.why);
        }
    }
    std::filesystem::create_directory(dir / "cartafol.txt");
    EXPECT_THROW(importQuestions(dir / "cartafol.txt"), ImportError);
}

std::string moodleWithFiles(const std::vector<std::string>& names) {
    std::string text = "<quiz>";
    for (const std::string& n : names)
        text += "<question type=\"multichoice\"><name><text>" + n +
                "</text></name><questiontext><text>Q</text><file name=\"" + n +
                "\" encoding=\"base64\">UE5H</file></questiontext><single>true</single>"
                "<answer fraction=\"100\"><text>r</text></answer></question>";
    return text + "</quiz>";
}

TEST(ImportQuestions, WritesEmbeddedMediaOnlyInsideTheMediaFolder) {
    ScratchDir dir;
    const std::vector<std::string> hostile = {
        "../fora.png", "/tmp/vireta-absoluto.png", "", "sub/dir/en.png", "c:\\win\\dows.png",
        "..", ".oculto.png", "a\\..\\..\\b.png", "mapa.png", "mapa.png", "...png"};
    writeFile(dir / "banco.xml", moodleWithFiles(hostile));
    const ImportResult r = importQuestions(dir / "banco.xml");
    EXPECT_EQ(mediaFolderFor(dir / "banco.xml"), dir / "banco-media/");

    // Everything written is a plain file directly inside banco-media.
    std::vector<std::string> written;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.str())) {
        const std::string p = e.path().string();
        if (p == dir / "banco.xml" || p == dir / "banco-media")
            continue;
        EXPECT_EQ(e.path().parent_path().string(), dir / "banco-media") << p;
        EXPECT_TRUE(e.is_regular_file()) << p;
        written.push_back(e.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"_..png", "_oculto.png", "b.png", "dows.png", "en.png",
                                                 "fora.png", "mapa-2.png", "mapa.png",
                                                 "vireta-absoluto.png"}));
    EXPECT_FALSE(std::filesystem::exists("/tmp/vireta-absoluto.png") &&
                 readFile("/tmp/vireta-absoluto.png") == "PNG");
    // Every question points into the folder; the nameless file and ".." are left out.
    for (const ImportedQuestion& q : r.questions) {
        const std::string& image = q.question[FieldSlot::imaxe];
        if (!image.empty()) {
            EXPECT_EQ(image.rfind(dir / "banco-media/", 0), 0u) << image;
        }
    }
    EXPECT_EQ(r.questions.size(), hostile.size());
    std::size_t leftOut = 0;
    for (const FormatNote& n : r.notes)
        leftOut += n.reason == NoteReason::EmbeddedFileLeftOut;
    EXPECT_EQ(leftOut, 2u);

    // A link planted where a file would go is not written through.
    ScratchDir other;
    std::filesystem::create_directory(other / "b-media");
    std::filesystem::create_symlink(other / "target.png", other / "b-media/mapa.png");
    writeFile(other / "b.xml", moodleWithFiles({"mapa.png"}));
    const ImportResult linked = importQuestions(other / "b.xml");
    EXPECT_FALSE(std::filesystem::exists(other / "target.png"));
    ASSERT_EQ(linked.notes.size(), 1u);
    EXPECT_EQ(linked.notes[0].reason, NoteReason::MediaNotWritten);

    // --check writes nothing.
    ScratchDir quiet;
    writeFile(quiet / "c.xml", moodleWithFiles({"mapa.png"}));
    const ImportResult checked = importQuestions(quiet / "c.xml", std::nullopt, false);
    EXPECT_EQ(checked.questions.at(0).question[FieldSlot::imaxe], quiet / "c-media/mapa.png");
    EXPECT_FALSE(std::filesystem::exists(quiet / "c-media"));
}

TEST(SafeMediaName, IsABareNameOrNothing) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"foto.png", "foto.png"}, {"../../etc/passwd", "passwd"}, {"/abs/x.jpg", "x.jpg"},
                 {"C:\\a\\b.gif", "b.gif"}, {"d:e.png", "e.png"}, {"", ""}, {"..", ""}, {".", ""},
                 {"dir/", ""}, {".bashrc", "_bashrc"}, {"a\tb\x01.png", "a_b_.png"}};
    for (const auto& c : cases)
        EXPECT_EQ(safeMediaName(c.in), c.out) << c.in;
    const std::string longName = std::string(300, 'x') + ".png";
    EXPECT_EQ(safeMediaName(longName), std::string(100, 'x') + ".png");
}

ImportResult imported(int n, int firstLine = 1) {
    ImportResult r;
    for (int i = 0; i < n; ++i)
        r.questions.push_back({mc("Importada " + std::to_string(i + 1), {"a", "b"}), firstLine + i, {}});
    r.notes.push_back({9, {}, NoteReason::Essay, {}, 0});
    return r;
}

std::vector<std::string> statements(const QuizModel& m) {
    std::vector<std::string> s;
    for (int k = 1; k <= m.count; ++k)
        s.push_back(m.questions.record(k)[FieldSlot::enunciado]);
    return s;
}

TEST(ApplyImport, InsertsAfterTheCurrentQuestionOrReplacesABlankNewQuiz) {
    QuizModel m;
    m.count = 3;
    for (int k = 1; k <= 3; ++k)
        m.questions.record(k) = mc("Q" + std::to_string(k), {"x"});
    m.current = 2;
    GeneralData general;
    AppliedImport a = applyImport(imported(2), m);
    EXPECT_EQ(statements(m), (std::vector<std::string>{"Q1", "Q2", "Importada 1", "Importada 2", "Q3"}));
    EXPECT_EQ(a.first, 3);
    EXPECT_EQ(a.inserted, 2);
    EXPECT_FALSE(a.replaced);
    EXPECT_EQ(m.current, 3);
    expectNotes(a.notes, {{9, NoteReason::Essay}}, "notes kept");

    // A new quiz: its only question is blank (the common messages do not count).
    QuizModel fresh;
    fresh.questions.record(1)[FieldSlot::ben] = "Ben";
    a = applyImport(imported(2), fresh);
    EXPECT_EQ(statements(fresh), (std::vector<std::string>{"Importada 1", "Importada 2"}));
    EXPECT_TRUE(a.replaced);
    EXPECT_EQ(fresh.current, 1);

    // One question with only an answer is not blank.
    QuizModel one;
    one.questions.record(1)[FieldSlot::resposta1] = "a";
    applyImport(imported(1), one);
    EXPECT_EQ(one.count, 2);

    // Nothing imported: nothing changes.
    QuizModel none;
    none.questions.record(1)[FieldSlot::ben] = "Ben";
    a = applyImport(ImportResult{}, none);
    EXPECT_EQ(none.count, 1);
    EXPECT_EQ(none.questions.record(1)[FieldSlot::ben], "Ben");
    EXPECT_EQ(a.inserted, 0);
}

TEST(ApplyImport, StopsAtTheQuizCapacityAndSaysWhatDidNotFit) {
    QuizModel m;
    m.count = kQuestionCapacity - 3;
    for (int k = 1; k <= m.count; ++k)
        m.questions.record(k) = mc("Q" + std::to_string(k), {"x"});
    m.current = m.count;
    const AppliedImport a = applyImport(imported(5, 100), m);
    EXPECT_EQ(m.count, kQuestionCapacity);
    EXPECT_EQ(a.inserted, 3);
    EXPECT_EQ(m.questions.record(kQuestionCapacity)[FieldSlot::enunciado], "Importada 3");
    expectNotes(a.notes, {{9, NoteReason::Essay}, {103, NoteReason::QuizFull, "2"}}, "full");
    EXPECT_EQ(a.notes[1].galician(), "liña 103: 2 pregunta(s) non caben: un cuestionario ten como moito 200");

    const AppliedImport none = applyImport(imported(1), m);
    EXPECT_EQ(none.inserted, 0);
    EXPECT_EQ(m.count, kQuestionCapacity);

    QuizModel fresh;
    applyImport(imported(250), fresh);
    EXPECT_EQ(fresh.count, kQuestionCapacity);
}

} // namespace
