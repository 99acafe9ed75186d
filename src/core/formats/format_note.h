// What the readers and writers of the foreign formats (Aiken, GIFT, spreadsheet,
// Moodle XML) tell about the questions they leave out, cut or change: one note per
// thing, with where it is (a line of the file or a question's name) and why, in
// English for the command line and in Galician for the window.
#pragma once

#include "model/question.h"

#include <string>
#include <vector>

namespace vireta {

enum class NoteReason {
    // Import: a kind of question the program has not.
    Numerical,
    Matching,
    Essay,
    Cloze,
    Description,
    OtherKind,        // detail: the kind as the file names it
    // Import: a multiple-choice question that cannot be held as it is.
    NoRightAnswer,
    SeveralRightAnswers,
    NoAnswers,
    NoStatement,
    WrongAnswersCut,  // detail: how many were cut
    Weighted,         // imported, with only the 100 % answer right
    GeneralFeedbackLeftOut,
    AnswersCut,         // several answers or short answer: detail: how many were cut
    UnreadableWeight,   // several answers: detail: the answer taken as wrong
    NotAcceptedLeftOut, // short answer: detail: how many answers below 100 % were left out
    CaseSensitive,      // short answer: its answers are compared ignoring case here
    UnclosedBraces,
    NoAnswerLine,     // Aiken: the options are not followed by ANSWER
    OneOption,        // Aiken: the right answer is the only option
    UnknownAnswerLetter, // detail: the letter
    UnexpectedLine,
    UnknownColumn,    // detail: the column's heading
    CellsBeyondColumns,
    EmbeddedFileLeftOut, // detail: the file's name
    LinkedSoundLeftOut,  // GIFT: detail: the link's target
    MediaNotWritten,     // detail: the path
    QuizFull,            // detail: how many questions did not fit
    // Import: a spreadsheet's kinds and answer columns.
    UnknownKind,         // detail: the Tipo cell; read as one answer
    RightNumbersIgnored, // "Correctas" on a question that is not of several answers
    UnknownRightNumber,  // detail: the "Correctas" item that names no answer
    NotTrueOrFalse,      // detail: the right answer of a true-or-false question
    TrueFalseExtraLeftOut, // answers or messages beyond the two of a true-or-false question
    MessageWithoutAnswer, // detail: the number of the answer that is empty
    // Export.
    RightAnswerMissing,  // a question without a right answer, left out
    NotCarried,          // detail: the format's name; fields: what it leaves behind
    MediaUnreadable,     // detail: the path
    SeveralLeftOut,      // a question of several answers, which the format cannot ask
    ShortLeftOut,        // a short-answer question, likewise
};

// Bits of FormatNote::fields for NotCarried.
inline constexpr unsigned kPictureField = 1u << 0;
inline constexpr unsigned kSoundField = 1u << 1;
inline constexpr unsigned kRightFeedbackField = 1u << 2;
inline constexpr unsigned kWrongFeedbackField = 1u << 3;
inline constexpr unsigned kRightSoundField = 1u << 4;
inline constexpr unsigned kWrongSoundField = 1u << 5;
inline constexpr unsigned kLinkField = 1u << 6;
inline constexpr unsigned kAnswerMessagesField = 1u << 7; // any filled answer's own message

// Which of the fields in `mask` are filled in `q`.
unsigned filledFields(const Question& q, unsigned mask);

struct FormatNote {
    int line = 0;       // line of the file (import) or question number (export); 0: none
    std::string name;   // the question's name (Moodle XML), when it has one
    NoteReason reason = NoteReason::OtherKind;
    std::string detail;
    unsigned fields = 0;

    // "line 12: essay question: not multiple choice", "question 'Ríos': ...".
    std::string english() const;
    // "liña 12: pregunta de redacción: non é de escolla múltiple".
    std::string galician() const;
};

// The four foreign formats.
enum class ImportFormat { Aiken, Gift, Spreadsheet, MoodleXml };

// Where an imported question came from, for the notes about it.
struct ImportedQuestion {
    Question question;
    int line = 0;
    std::string name;
};

// What a reader made of a file: the questions it could take, in the file's order,
// and one note for everything it left out, cut or changed.
struct ImportResult {
    std::vector<ImportedQuestion> questions;
    std::vector<FormatNote> notes;
    // Read without writing media: the paths the questions give to embedded media
    // that were not written out.
    std::vector<std::string> unwrittenMedia;
};

// The notes a writer gives about what the format could not carry.
using ExportNotes = std::vector<FormatNote>;

} // namespace vireta
