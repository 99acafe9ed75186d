// The writers of Moodle XML, GIFT, Aiken and spreadsheets: their files byte for byte,
// what they report, and a round trip through each format's reader.
#include "foreign_test_support.h"

#include "formats/aiken.h"
#include "formats/gift.h"
#include "formats/import_support.h"
#include "formats/moodle_xml.h"
#include "formats/spreadsheet.h"
#include "test_files.h"

#include <map>

using namespace vireta;
using namespace foreign;
using testfiles::readFile;

namespace {

std::string data(const std::string& name) { return std::string(VIRETA_TEST_DATA) + "/foreign/" + name; }

struct Quiz {
    GeneralData general;
    QuestionTable questions;
    int count = 0;
};

// A statement over two lines, every character some format escapes, accents, a gap
// in the answers, media, a question without a statement and one without a right answer.
Quiz sampleQuiz() {
    Quiz z;
    z.general.title = "Ríos / Galicia";
    Question& a = z.questions.record(1);
    a = q({{FieldSlot::enunciado, "Cal é o río máis longo\r\nde Galicia?"},
           {FieldSlot::resposta1, "Miño"},
           {FieldSlot::resposta2, "Sil"},
           {FieldSlot::resposta4, "Ulla, o \"grande\""},
           {FieldSlot::imaxe, data("faro.png")},
           {FieldSlot::son, data("son.mp3")},
           {FieldSlot::ben, "Moi ben!"},
           {FieldSlot::mal, "Non: é o Miño"}});
    z.questions.record(2) = mc("", {"sen enunciado"});
    z.questions.record(3) = mc("Sen resposta correcta", {"", "b"});
    Question& d = z.questions.record(4);
    d = q({{FieldSlot::enunciado, "Símbolos ~ = # { } : \\ < & > en 2+2=4?"},
           {FieldSlot::resposta1, "Si {de certo}"},
           {FieldSlot::resposta2, "Non; #nunca"},
           {FieldSlot::sonben, "/sons/ben.wav"},
           {FieldSlot::enlace, "http://example.org/?a=1&b=2"}});
    z.count = 4;
    return z;
}

using Write = SaveRequest (*)(const Quiz&, OutputBuffer&, ExportNotes&);

const struct Writer {
    const char* expected;
    const char* filter;
    const char* extension;
    Write write;
    std::vector<Note> notes;
    unsigned lostFirst, lostFourth; // NotCarried fields of questions 1 and 4
} kWriters[] = {
    {"sample_moodle.xml", kMoodleXmlFilter, "xml",
     [](const Quiz& z, OutputBuffer& out, ExportNotes& n) {
         return MoodleXmlWriter::write(z.general, z.questions, z.count, out, n);
     },
     {{3, NoteReason::RightAnswerMissing}, {4, NoteReason::NotCarried, "Moodle XML"}}, 0,
     kRightSoundField | kLinkField},
    {"sample_gift.gift", kGiftFilter, "gift",
     [](const Quiz& z, OutputBuffer& out, ExportNotes& n) {
         return GiftWriter::write(z.general, z.questions, z.count, out, n);
     },
     {{1, NoteReason::NotCarried, "GIFT"}, {3, NoteReason::RightAnswerMissing},
      {4, NoteReason::NotCarried, "GIFT"}},
     kPictureField | kSoundField, kRightSoundField | kLinkField},
    {"sample_aiken.txt", kAikenFilter, "txt",
     [](const Quiz& z, OutputBuffer& out, ExportNotes& n) {
         return AikenWriter::write(z.questions, z.count, out, n);
     },
     {{1, NoteReason::NotCarried, "Aiken"}, {3, NoteReason::RightAnswerMissing},
      {4, NoteReason::NotCarried, "Aiken"}},
     kPictureField | kSoundField | kRightFeedbackField | kWrongFeedbackField,
     kRightSoundField | kLinkField},
    {"sample_spreadsheet.csv", kSpreadsheetFilter, "csv",
     [](const Quiz& z, OutputBuffer& out, ExportNotes& n) {
         return SpreadsheetWriter::write(z.questions, z.count, out, n);
     },
     {}, 0, 0},
};

TEST(ForeignWriters, WriteTheirFilesByteForByteAndReportWhatTheyLeaveBehind) {
    const Quiz z = sampleQuiz();
    for (const Writer& w : kWriters) {
        OutputBuffer out;
        ExportNotes notes;
        const SaveRequest request = w.write(z, out, notes);
        EXPECT_EQ(request.filter, w.filter) << w.expected;
        EXPECT_EQ(request.extension, w.extension) << w.expected;
        EXPECT_EQ(out.text(), readFile(data(w.expected))) << w.expected;
        expectNotes(notes, w.notes, w.expected);
        for (const FormatNote& n : notes) {
            if (n.reason == NoteReason::NotCarried) {
                EXPECT_EQ(n.fields, n.line == 1 ? w.lostFirst : w.lostFourth) << w.expected;
            }
        }
    }
}

TEST(ForeignWriters, NotesReadInBothLanguages) {
    OutputBuffer out;
    ExportNotes notes;
    GiftWriter::write(GeneralData{}, sampleQuiz().questions, 4, out, notes);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].english(), "question 1: GIFT does not carry: picture, sound");
    EXPECT_EQ(notes[0].galician(), "pregunta 1: GIFT non leva: imaxe, son");
    EXPECT_EQ(notes[1].english(), "question 3: no right answer: left out");
    EXPECT_EQ(notes[1].galician(), "pregunta 3: sen resposta correcta: quedou fóra");
}

TEST(ForeignWriters, MoodleLeavesOutAPictureItCannotRead) {
    Quiz z;
    z.questions.record(1) = q({{FieldSlot::enunciado, "Q"},
                               {FieldSlot::resposta1, "r"},
                               {FieldSlot::imaxe, data("no-such-picture.png")}});
    z.count = 1;
    OutputBuffer out;
    ExportNotes notes;
    MoodleXmlWriter::write(z.general, z.questions, z.count, out, notes);
    expectNotes(notes, {{1, NoteReason::MediaUnreadable, data("no-such-picture.png")}}, "unreadable");
    EXPECT_EQ(out.text().find("<file"), std::string::npos);
    EXPECT_EQ(out.text().find("PLUGINFILE"), std::string::npos);
}

// What each format carries of a question; everything else is cleared before comparing.
std::vector<FieldSlot> carried(const char* expected) {
    const std::string name = expected;
    std::vector<FieldSlot> answers = {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                                      FieldSlot::resposta3, FieldSlot::resposta4};
    if (name.find("aiken") != std::string::npos)
        return answers;
    answers.push_back(FieldSlot::ben);
    answers.push_back(FieldSlot::mal);
    if (name.find("gift") != std::string::npos)
        return answers;
    answers.push_back(FieldSlot::imaxe);
    answers.push_back(FieldSlot::son);
    if (name.find("moodle") != std::string::npos)
        return answers;
    return {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2, FieldSlot::resposta3,
            FieldSlot::resposta4, FieldSlot::imaxe, FieldSlot::son, FieldSlot::ben,
            FieldSlot::sonben, FieldSlot::mal, FieldSlot::sonmal, FieldSlot::enlace};
}

TEST(ForeignWriters, ImportOfExportGivesTheSameQuestions) {
    Quiz z;
    // Texts every format can carry: one line (Aiken joins lines), answers without gaps.
    z.questions.record(1) = q({{FieldSlot::enunciado, "Cal é o río máis longo? ~ = # { } : \\ < & \""},
                               {FieldSlot::resposta1, "Miño, {o} ~ #1"},
                               {FieldSlot::resposta2, "Sil = 2"},
                               {FieldSlot::resposta3, "Ulla; \"x\""},
                               {FieldSlot::resposta4, "Tambre: <b>"},
                               {FieldSlot::imaxe, data("faro.png")},
                               {FieldSlot::son, data("son.mp3")},
                               {FieldSlot::ben, "Ben! € “sí”"},
                               {FieldSlot::sonben, data("son.mp3")},
                               {FieldSlot::mal, "Mal #, {non}"},
                               {FieldSlot::sonmal, data("son.mp3")},
                               {FieldSlot::enlace, "http://example.org/?a=1&b=2"}});
    z.questions.record(2) = mc("Dúas liñas\r\nno enunciado", {"Si", "Non"});
    z.count = 2;
    for (const Writer& w : kWriters) {
        OutputBuffer out;
        ExportNotes notes;
        w.write(z, out, notes);
        std::map<std::string, std::string> media;
        ImportResult back;
        const std::string name = w.expected;
        if (name.find("moodle") != std::string::npos)
            back = MoodleXmlReader::read(out.text(), [&](const std::string& n, const std::string& b) {
                media[n] = b;
                return data(n); // the same files, as written beside the import
            });
        else if (name.find("gift") != std::string::npos)
            back = GiftReader::read(out.text());
        else if (name.find("aiken") != std::string::npos)
            back = AikenReader::read(out.text());
        else
            back = SpreadsheetReader::read(importedText(out.text()), data(""));
        EXPECT_TRUE(back.notes.empty()) << name;
        ASSERT_EQ(back.questions.size(), 2u) << name;
        const std::vector<FieldSlot> fields = carried(w.expected);
        for (int k = 1; k <= 2; ++k) {
            Question want;
            for (FieldSlot s : fields)
                want[s] = z.questions.record(k)[s];
            if (name.find("aiken") != std::string::npos && k == 2)
                want[FieldSlot::enunciado] = "Dúas liñas no enunciado";
            EXPECT_EQ(back.questions[static_cast<std::size_t>(k - 1)].question, want) << name << " " << k;
        }
        if (name.find("moodle") != std::string::npos) {
            EXPECT_EQ(media.at("faro.png"), readFile(data("faro.png")));
            EXPECT_EQ(media.at("son.mp3"), readFile(data("son.mp3")));
        }
    }
}

} // namespace
