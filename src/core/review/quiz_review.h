// The quiz review: the faults a teacher would want to know of before a save, found
// over the quiz in memory and the media files it names.
//
//     ReviewOptions options;
//     options.format = Format::Html;       // the findings of the format being saved
//     options.shuffleAnswers = settings.shuffleAnswers;
//     std::vector<ReviewFinding> found = reviewQuiz(general, model, options);
//
// Errors come first, then warnings; within each, in the order of the places
// (general data, end messages, questions 1..N).
#pragma once

#include "formats/export_settings.h"
#include "model/quiz.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vireta {

enum class Severity { Error, Warning };

// Where a finding is: the general data, the end messages, or a question.
enum class ReviewArea { General, End, Question };

// The control of the general data, the end page or the save page a finding is about.
enum class GeneralField {
    None,
    Title,
    Subtitle,
    Time,
    Help,
    Author,
    Intro,
    IntroSound,
    EndWell,
    EndWellSound,
    EndBad,
    EndBadSound,
    ShuffleAnswers, // "Revolver respostas" on the save page's "HTML" tab
};

struct ReviewPlace {
    ReviewArea area = ReviewArea::General;
    int question = 0;                        // 1..N for ReviewArea::Question
    FieldSlot slot = FieldSlot::enunciado;   // for ReviewArea::Question
    GeneralField field = GeneralField::None; // for the other areas

    bool operator==(const ReviewPlace& o) const {
        return area == o.area && question == o.question && slot == o.slot && field == o.field;
    }
};

// What was found; tests and callers tell findings apart by it, not by their text.
enum class FindingKind {
    // errors
    CorrectAnswerEmpty,     // resposta1 empty while another answer is filled
    MediaUnreadable,        // a picture or sound missing or not a readable regular file
    MediaNameShared,        // two different files with one bare name
    MediaNamedLikeDocument, // a media file with the name of the document being saved
    // warnings
    FewAnswers,             // fewer than two answers
    AnswersAlike,           // two answers the same, ignoring case and surrounding blanks
    StatementEmpty,         // no statement, but other fields filled
    AnswerGap,              // an empty answer before a filled one
    PictureNotForBrowsers,  // .emf, .wmf, .flv, .swf on a page
    SoundNotMp3,            // a sound a page plays that is not MP3
    SurroundingBlanks,      // leading or trailing blanks, lost on reopening
    LinkNotFound,           // neither a web address nor an existing file
    EndMessageEmpty,        // the self-marking page without one of its end messages
    AnswersNotShuffled,     // the form page with "Revolver respostas" clear
    NotInCodePage,          // characters the book cannot hold in Windows-1252
    NoQuestions,            // no question with a statement at all
    TitleShortened,         // a title longer than the SCORM manifest holds
    NoAnswerMarked,         // a several-answer question with no answer marked right
    NoAcceptedAnswer,       // a short-answer question with no accepted answer
    KindNotCarried,         // a kind of question the format leaves out (FormatInfo::kindsLeftOut)
};

struct ReviewFinding {
    FindingKind kind;
    Severity severity;
    ReviewPlace place;
    std::string textGl; // one Galician sentence, for the window
    std::string textEn; // the same in English, for the command line
};

// What the review learns of a file it is given.
struct FileFacts {
    enum class State { Missing, NotRegular, Unreadable, Regular };
    State state = State::Missing;
    std::uint64_t device = 0; // with inode, the file's identity (Regular only)
    std::uint64_t inode = 0;
};

// The review's view of the file system; tests can put their own in its place.
class ReviewFiles {
public:
    virtual ~ReviewFiles() = default;
    virtual FileFacts probe(const std::string& path) const = 0;
};

// The real file system: a file is Regular when it can be opened for reading.
const ReviewFiles& systemFiles();

struct ReviewOptions {
    // The format about to be saved: adds the findings that depend on it (pictures
    // and sounds for the pages, the self-marking page's end messages, the form
    // page's shuffle, the book's code page, the kinds of question it leaves out).
    // None: only the shared findings.
    std::optional<Format> format;
    bool shuffleAnswers = false; // "Revolver respostas" (the form page)
    // The bare file name of the document being saved, its extension completed;
    // empty when not known.
    std::string documentName;
    // The values new questions start with: a question whose only filled fields hold
    // these is blank as far as the review is concerned. Null: none.
    const CommonValues* common = nullptr;
    const ReviewFiles* files = nullptr; // null: systemFiles()
};

std::vector<ReviewFinding> reviewQuiz(const GeneralData& general, const QuizModel& model,
                                      const ReviewOptions& options = {});

std::size_t errorCount(const std::vector<ReviewFinding>& findings);

// The place as the command line names it: "general", "end", "question 3".
std::string placeNameEn(const ReviewPlace& place);
// The place as the window names it: "Inicio", "Final", "Pregunta 3", and "HTML" for
// the save page's "Revolver respostas".
std::string placeNameGl(const ReviewPlace& place);

// One line of `vireta-export --review`: "question 3: error: ...".
std::string reviewLine(const ReviewFinding& finding);

} // namespace vireta
