// The quiz review over the example quiz (with its real media files), changed one
// fault at a time.
#include "review/quiz_review.h"

#include "formats/quiz_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>

using namespace vireta;
using testfiles::ScratchDir;

namespace vireta {
inline void PrintTo(const ReviewFinding& f, std::ostream* os) { *os << reviewLine(f); }
} // namespace vireta

namespace {

struct Quiz {
    GeneralData general;
    QuizModel model;
};

Quiz exampleQuiz() {
    Quiz q;
    applyOpenedQuiz(openQuizFile(std::string(VIRETA_EXAMPLE_DIR) + "/xeografia.xml"), q.model,
                    q.general);
    return q;
}

std::string example(const std::string& name) { return std::string(VIRETA_EXAMPLE_DIR) + "/" + name; }

ReviewPlace at(int k, FieldSlot slot) {
    ReviewPlace p;
    p.area = ReviewArea::Question;
    p.question = k;
    p.slot = slot;
    return p;
}

ReviewPlace general(GeneralField f) {
    ReviewPlace p;
    p.area = ReviewArea::General;
    p.field = f;
    return p;
}

ReviewPlace end(GeneralField f) {
    ReviewPlace p;
    p.area = ReviewArea::End;
    p.field = f;
    return p;
}

struct Expected {
    FindingKind kind;
    ReviewPlace place;
};

// A file system that says one path cannot be read, and asks the real one otherwise.
class OneUnreadable : public ReviewFiles {
public:
    explicit OneUnreadable(std::string path) : path_(std::move(path)) {}
    FileFacts probe(const std::string& path) const override {
        if (path == path_)
            return FileFacts{FileFacts::State::Unreadable};
        return systemFiles().probe(path);
    }

private:
    std::string path_;
};

Question& rec(Quiz& q, int k) { return q.model.questions.record(k); }

TEST(QuizReview, TheExampleQuizShowsNothingInAnyFormat) {
    const Quiz q = exampleQuiz();
    const std::optional<Format> formats[] = {std::nullopt,      Format::Xml, Format::Html,
                                             Format::JavaScript, Format::Ebk, Format::Web,
                                             Format::Scorm};
    for (const auto& f : formats) {
        ReviewOptions o;
        o.format = f;
        o.shuffleAnswers = true;
        o.documentName = "xeografia.xml";
        const std::vector<ReviewFinding> found = reviewQuiz(q.general, q.model, o);
        EXPECT_TRUE(found.empty()) << (f ? static_cast<int>(*f) : -1) << ": "
                                   << testing::PrintToString(found);
    }
}

TEST(QuizReview, EachFaultIsFoundWhereItIs) {
    ScratchDir dir;
    // A second rio.png, another file of the same name; a folder named like a picture.
    std::filesystem::create_directories(dir / "outro");
    std::filesystem::copy_file(example("rio.png"), dir / "outro/rio.png");
    std::filesystem::create_directories(dir / "cartafol.png");
    // The same file twice, through a hard link: no clash.
    std::filesystem::create_hard_link(example("monte.jpg"), dir / "monte.jpg");
    testfiles::writeFile(dir / "notas.txt", "x");
    testfiles::writeFile(dir / "mapa.wmf", "x");
    testfiles::writeFile(dir / "musica.ogg", "x");

    static const OneUnreadable unreadable(example("cabo.jpg"));

    struct Case {
        const char* name;
        std::function<void(Quiz&, ReviewOptions&)> change;
        std::vector<Expected> expected;
    };
    const Case cases[] = {
        // errors
        {"correct answer empty",
         [](Quiz& q, ReviewOptions&) { rec(q, 2)[FieldSlot::resposta1].clear(); },
         {{FindingKind::CorrectAnswerEmpty, at(2, FieldSlot::resposta1)}}},
        {"picture missing",
         [](Quiz& q, ReviewOptions&) { rec(q, 3)[FieldSlot::imaxe] = example("non-hai.jpg"); },
         {{FindingKind::MediaUnreadable, at(3, FieldSlot::imaxe)}}},
        {"sound is a folder",
         [&](Quiz& q, ReviewOptions&) { rec(q, 4)[FieldSlot::son] = dir / "cartafol.png"; },
         {{FindingKind::MediaUnreadable, at(4, FieldSlot::son)}}},
        {"picture unreadable",
         [](Quiz&, ReviewOptions& o) { o.files = &unreadable; },
         {{FindingKind::MediaUnreadable, at(7, FieldSlot::imaxe)}}},
        {"end sound missing, once for all its uses",
         [](Quiz& q, ReviewOptions&) {
             q.general.endBadSound = example("perdido.mp3");
             rec(q, 5)[FieldSlot::sonmal] = example("perdido.mp3");
         },
         {{FindingKind::MediaUnreadable, end(GeneralField::EndBadSound)}}},
        {"intro sound missing",
         [](Quiz& q, ReviewOptions&) { q.general.introSound = "/non/hai/intro.mp3"; },
         {{FindingKind::MediaUnreadable, general(GeneralField::IntroSound)}}},
        {"two files, one name",
         [&](Quiz& q, ReviewOptions&) { rec(q, 9)[FieldSlot::imaxe] = dir / "outro/rio.png"; },
         {{FindingKind::MediaNameShared, at(9, FieldSlot::imaxe)}}},
        {"one file by two paths",
         [&](Quiz& q, ReviewOptions&) { rec(q, 9)[FieldSlot::imaxe] = dir / "monte.jpg"; }, {}},
        {"media named like the document",
         [](Quiz&, ReviewOptions& o) { o.documentName = "ben.mp3"; },
         {{FindingKind::MediaNamedLikeDocument, at(1, FieldSlot::sonben)}}},
        // warnings shared by every format
        {"one answer",
         [](Quiz& q, ReviewOptions&) {
             Question& r = rec(q, 5);
             r[FieldSlot::resposta2].clear();
             r[FieldSlot::resposta3].clear();
             r[FieldSlot::resposta4].clear();
         },
         {{FindingKind::FewAnswers, at(5, FieldSlot::resposta2)}}},
        {"no answer",
         [](Quiz& q, ReviewOptions&) {
             for (int a = 1; a <= 4; ++a)
                 rec(q, 6)[answerSlot(a)].clear();
         },
         {{FindingKind::FewAnswers, at(6, FieldSlot::resposta1)}}},
        {"answers alike, case and blanks aside",
         [](Quiz& q, ReviewOptions&) { rec(q, 1)[FieldSlot::resposta4] = "MIÑO"; },
         {{FindingKind::AnswersAlike, at(1, FieldSlot::resposta4)}}},
        {"accented capitals alike",
         [](Quiz& q, ReviewOptions&) {
             rec(q, 2)[FieldSlot::resposta3] = "a coruña";
             rec(q, 2)[FieldSlot::resposta2] = "A CORUÑA";
         },
         {{FindingKind::AnswersAlike, at(2, FieldSlot::resposta3)}}},
        {"statement empty, other fields filled",
         [](Quiz& q, ReviewOptions&) { rec(q, 8)[FieldSlot::enunciado].clear(); },
         {{FindingKind::StatementEmpty, at(8, FieldSlot::enunciado)}}},
        {"a blank question with the common messages only",
         [](Quiz& q, ReviewOptions& o) {
             static const CommonValues common{"Moi ben!", "Non.", "", ""};
             o.common = &common;
             q.model.count = 11;
             rec(q, 11) = common.newQuestion();
         },
         {}},
        {"answer gap",
         [](Quiz& q, ReviewOptions&) { rec(q, 10)[FieldSlot::resposta2].clear(); },
         {{FindingKind::AnswerGap, at(10, FieldSlot::resposta2)}}},
        {"blanks around texts",
         [](Quiz& q, ReviewOptions&) {
             q.general.title = " Xeografía";
             q.general.intro = "\r\nDez preguntas \r\n";
             rec(q, 2)[FieldSlot::mal] = "Non.\t";
         },
         {{FindingKind::SurroundingBlanks, general(GeneralField::Title)},
          {FindingKind::SurroundingBlanks, general(GeneralField::Intro)},
          {FindingKind::SurroundingBlanks, at(2, FieldSlot::mal)}}},
        {"line breaks around the introduction",
         [](Quiz& q, ReviewOptions&) { q.general.intro = "\r\nDez preguntas\r\n\r\n"; }, {}},
        {"link to nothing",
         [](Quiz& q, ReviewOptions&) { rec(q, 4)[FieldSlot::enlace] = "gl.wikipedia.org/wiki/Cíes"; },
         {{FindingKind::LinkNotFound, at(4, FieldSlot::enlace)}}},
        {"links to a file, relative or absolute, and a web address in capitals",
         [&](Quiz& q, ReviewOptions&) {
             rec(q, 4)[FieldSlot::enlace] = "xeografia.xml"; // beside the opened quiz
             rec(q, 6)[FieldSlot::enlace] = dir / "notas.txt";
             rec(q, 8)[FieldSlot::enlace] = "HTTPS://gl.wikipedia.org";
         },
         {}},
        {"no question with a statement: a finding of the whole quiz",
         [](Quiz& q, ReviewOptions&) {
             q.model.count = 1;
             rec(q, 1) = Question();
         },
         {{FindingKind::NoQuestions, general(GeneralField::None)}}},
        {"no question at all",
         [](Quiz& q, ReviewOptions&) { q.model.count = 0; },
         {{FindingKind::NoQuestions, general(GeneralField::None)}}},
        {"a several-answer question with no answer marked",
         [](Quiz& q, ReviewOptions&) { rec(q, 2).kind = QuestionKind::Several; },
         {{FindingKind::NoAnswerMarked, at(2, FieldSlot::resposta1)}}},
        {"a several-answer question whose first answer is empty: a gap, not a missing right answer",
         [](Quiz& q, ReviewOptions&) {
             Question& r = rec(q, 3);
             r.kind = QuestionKind::Several;
             r.marked[2] = true;
             r[FieldSlot::resposta1].clear();
         },
         {{FindingKind::AnswerGap, at(3, FieldSlot::resposta1)}}},
        {"a short-answer question without accepted answers",
         [](Quiz& q, ReviewOptions&) {
             rec(q, 6).kind = QuestionKind::Short;
             for (int a = 1; a <= 4; ++a)
                 rec(q, 6)[answerSlot(a)].clear();
         },
         {{FindingKind::NoAcceptedAnswer, at(6, FieldSlot::resposta1)}}},
        {"a short-answer question with one accepted answer, a true-or-false one",
         [](Quiz& q, ReviewOptions&) {
             rec(q, 5).kind = QuestionKind::Short;
             for (int a = 2; a <= 4; ++a)
                 rec(q, 5)[answerSlot(a)].clear();
             Question& r = rec(q, 4);
             r.kind = QuestionKind::TrueFalse;
             r[FieldSlot::resposta1] = kFalseText;
             r[FieldSlot::resposta2] = kTrueText;
             r[FieldSlot::resposta3].clear();
             r[FieldSlot::resposta4].clear();
         },
         {}},
        // warnings of one format
        {"a several-answer question on the form page",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Html;
             rec(q, 7).kind = QuestionKind::Several;
             rec(q, 7).marked[0] = true;
         },
         {{FindingKind::KindNotCarried, at(7, FieldSlot::enunciado)}}},
        {"a short-answer question on the self-marking page",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::JavaScript;
             rec(q, 8).kind = QuestionKind::Short;
         },
         {{FindingKind::KindNotCarried, at(8, FieldSlot::enunciado)}}},
        {"a question the book leaves out, whatever characters it holds",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Ebk;
             rec(q, 2).kind = QuestionKind::Short;
             rec(q, 2)[FieldSlot::enunciado] = "Cal é a ría ≈ máis longa?";
         },
         {{FindingKind::KindNotCarried, at(2, FieldSlot::enunciado)}}},
        {"both kinds in Aiken",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Aiken;
             rec(q, 1).kind = QuestionKind::Short;
             rec(q, 9).kind = QuestionKind::Several;
             rec(q, 9).marked[1] = true;
         },
         {{FindingKind::KindNotCarried, at(1, FieldSlot::enunciado)},
          {FindingKind::KindNotCarried, at(9, FieldSlot::enunciado)}}},
        {"every kind in the spreadsheet",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Csv; // as in the quiz file and the paper test
             rec(q, 1).kind = QuestionKind::Short;
             rec(q, 9).kind = QuestionKind::Several;
             rec(q, 9).marked[1] = true;
         },
         {}},
        {"pictures browsers do not show, on a page",
         [&](Quiz& q, ReviewOptions& o) {
             o.format = Format::JavaScript;
             rec(q, 1)[FieldSlot::imaxe] = dir / "mapa.wmf";
         },
         {{FindingKind::PictureNotForBrowsers, at(1, FieldSlot::imaxe)}}},
        {"sounds that are not MP3 in the web game, each file once",
         [&](Quiz& q, ReviewOptions& o) {
             o.format = Format::Web;
             q.general.endWellSound = dir / "musica.ogg";
             rec(q, 1)[FieldSlot::son] = dir / "musica.ogg";
             rec(q, 3)[FieldSlot::sonben] = dir / "mapa.wmf";
         },
         {{FindingKind::SoundNotMp3, end(GeneralField::EndWellSound)},
          {FindingKind::SoundNotMp3, at(3, FieldSlot::sonben)}}},
        {"pictures browsers do not show, in the SCORM package's page",
         [&](Quiz& q, ReviewOptions& o) {
             o.format = Format::Scorm;
             rec(q, 4)[FieldSlot::imaxe] = dir / "mapa.wmf";
         },
         {{FindingKind::PictureNotForBrowsers, at(4, FieldSlot::imaxe)}}},
        {"a title longer than the SCORM manifest holds, counted in characters",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Scorm;
             q.general.title.clear();
             for (int i = 0; i < 201; ++i)
                 q.general.title += "á";
         },
         {{FindingKind::TitleShortened, general(GeneralField::Title)}}},
        {"a title of 200 characters fits the manifest",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Scorm;
             q.general.title.clear();
             for (int i = 0; i < 200; ++i)
                 q.general.title += "á";
         },
         {}},
        {"a long title in the web game alone",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Web;
             q.general.title = std::string(300, 'x');
         },
         {}},
        {"the same picture in the book",
         [&](Quiz& q, ReviewOptions& o) {
             o.format = Format::Ebk;
             rec(q, 1)[FieldSlot::imaxe] = dir / "mapa.wmf";
         },
         {}},
        {"a sound that is not MP3, in a format with no sound",
         [&](Quiz& q, ReviewOptions& o) {
             o.format = Format::Html;
             o.shuffleAnswers = true;
             rec(q, 1)[FieldSlot::son] = dir / "musica.ogg";
         },
         {}},
        {"self-marking page without end messages",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::JavaScript;
             q.general.endWell.clear();
             q.general.endBad.clear();
         },
         {{FindingKind::EndMessageEmpty, end(GeneralField::EndWell)},
          {FindingKind::EndMessageEmpty, end(GeneralField::EndBad)}}},
        {"end messages empty for the quiz file",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Xml;
             q.general.endWell.clear();
         },
         {}},
        {"form page without shuffled answers",
         [](Quiz&, ReviewOptions& o) {
             o.format = Format::Html;
             o.shuffleAnswers = false;
         },
         {{FindingKind::AnswersNotShuffled, general(GeneralField::ShuffleAnswers)}}},
        {"the book's code page",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Ebk;
             q.general.author = "Equipo → Vireta";
             rec(q, 3)[FieldSlot::resposta2] = "Monte Pindo ≈ 627 m";
             rec(q, 4)[FieldSlot::enunciado] = "Á entrada de que ría están as “illas Cíes” €?";
         },
         {{FindingKind::NotInCodePage, general(GeneralField::Author)},
          {FindingKind::NotInCodePage, at(3, FieldSlot::resposta2)}}},
        {"the same characters in the quiz file",
         [](Quiz& q, ReviewOptions& o) {
             o.format = Format::Xml;
             q.general.author = "Equipo → Vireta";
         },
         {}},
    };

    for (const Case& c : cases) {
        Quiz q = exampleQuiz();
        ReviewOptions o;
        o.shuffleAnswers = true;
        c.change(q, o);
        const std::vector<ReviewFinding> found = reviewQuiz(q.general, q.model, o);
        ASSERT_EQ(found.size(), c.expected.size()) << c.name << ": " << testing::PrintToString(found);
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].kind, c.expected[i].kind) << c.name << " #" << i;
            EXPECT_TRUE(found[i].place == c.expected[i].place) << c.name << ": " << reviewLine(found[i]);
            EXPECT_FALSE(found[i].textGl.empty()) << c.name;
            EXPECT_FALSE(found[i].textEn.empty()) << c.name;
        }
    }
}

TEST(QuizReview, ErrorsComeFirstThenThePlacesInOrder) {
    Quiz q = exampleQuiz();
    rec(q, 7)[FieldSlot::resposta1].clear();              // error, question 7
    rec(q, 2)[FieldSlot::resposta4] = "vigo ";            // warnings, question 2
    q.general.title += " ";                               // warning, general
    q.general.endWellSound = example("non-hai.mp3");      // error, end
    rec(q, 1)[FieldSlot::imaxe] = example("non-hai.png"); // error, question 1
    const std::vector<ReviewFinding> found = reviewQuiz(q.general, q.model);
    std::vector<std::string> lines;
    for (const auto& f : found)
        lines.push_back(placeNameEn(f.place) + " " +
                        (f.severity == Severity::Error ? "error" : "warning"));
    const std::vector<std::string> expected = {
        "end error", "question 1 error", "question 7 error", "general warning",
        "question 2 warning", "question 2 warning"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(errorCount(found), 3u);
    EXPECT_EQ(reviewLine(found[2]).rfind("question 7: error: the correct answer", 0), 0u)
        << reviewLine(found[2]);
    EXPECT_EQ(placeNameGl(found[0].place), "Final");
    EXPECT_EQ(placeNameGl(found[3].place), "Inicio");
    EXPECT_EQ(placeNameGl(found[4].place), "Pregunta 2");
    ReviewPlace shuffle;
    shuffle.field = GeneralField::ShuffleAnswers;
    EXPECT_EQ(placeNameGl(shuffle), "HTML");
}

TEST(QuizReview, NamesTheFormatAndTheKindItLeavesOut) {
    Quiz q = exampleQuiz();
    rec(q, 3).kind = QuestionKind::Short;
    rec(q, 5).kind = QuestionKind::Several;
    rec(q, 5).marked[0] = true;
    ReviewOptions o;
    o.format = Format::JavaScript;
    const std::vector<ReviewFinding> found = reviewQuiz(q.general, q.model, o);
    ASSERT_EQ(found.size(), 2u) << testing::PrintToString(found);
    EXPECT_EQ(found[0].textGl,
              "A páxina con autocorrección non leva preguntas de resposta curta: esta quedará fóra.");
    EXPECT_EQ(reviewLine(found[1]), "question 5: warning: the self-marking page does not carry "
                                    "several-answer questions: this one is left out");
}

TEST(QuizReview, QuestionsBeyondTheCountAreNotReviewed) {
    Quiz q = exampleQuiz();
    q.model.count = 3;
    rec(q, 4)[FieldSlot::resposta1].clear();
    rec(q, 5)[FieldSlot::imaxe] = "/non/hai.png";
    EXPECT_EQ(reviewQuiz(q.general, q.model).size(), 0u);
}

} // namespace
