// The paper test: which questions each printed version shows, in which order, with
// its answers in which order, and the answer key. This is everything about the
// document that is not drawing; src/print draws it as a PDF.
#pragma once

#include "formats/export_settings.h"
#include "formats/shuffle.h"
#include "model/quiz.h"

#include <string>
#include <string_view>
#include <vector>

namespace vireta {

inline constexpr int kMaxPaperVersions = 4;

// One question as a version prints it.
struct PaperQuestion {
    int number = 0;           // as printed: 1, 2, 3 ... within the version
    int record = 0;           // the question's record in the table
    QuestionKind kind = QuestionKind::One;
    // The answer field numbers (1..4) in printed order; none for a short-answer
    // question, which has a line to write on instead.
    std::vector<int> answers;
    // Positions in `answers` of the right ones, in printed order: the one right answer
    // (none when it is empty), or every marked one of a several-answer question.
    std::vector<int> keys;
};

struct PaperVersion {
    char letter = 'A';    // A, B, C, D
    std::string name;     // "Modelo A" ...; empty when the test has a single version
    std::vector<PaperQuestion> questions;
};

// The versions of the paper test: settings.versions clamped to 1..kMaxPaperVersions.
// Each version draws its question order (unless `inOrder`) and then, question by
// question, its answer order (unless !settings.shuffleAnswers) from `generator`,
// reseeded before each draw as the HTML pages do, so a fixed seed gives the same
// versions every time. Questions with an empty statement are left out and the others
// numbered without gaps. A true-or-false question's answers stand "Verdadeiro", then
// "Falso", in every version.
std::vector<PaperVersion> planPaperTest(const QuestionTable& questions, int count, bool inOrder,
                                        const PaperSettings& settings,
                                        ShuffleGenerator& generator);

// "a)", "b)" ... for the answer at printed position 0, 1 ...
std::string answerLabel(int position);

// A question's entry in the key: the right answer's letter ("a" ... "d"), every right
// one's for several answers ("a, c"), the accepted answers of a short-answer question
// ("Santiago / Compostela"), or "-" when it has none. `q` is the question's record.
std::string keyText(const PaperQuestion& question, const Question& q);

// The answer key's file beside the test's: a final ".pdf" (any case) is replaced by
// "-solucions.pdf", any other name gets "-solucions.pdf" appended.
//   proba.pdf -> proba-solucions.pdf, /tmp/a.b -> /tmp/a.b-solucions.pdf
std::string keyPathFor(std::string_view documentPath);

// A block of a page of the paper test as its layout measured it (a version's head, a
// question, a row of the key): its own height, and the space that parts it from the
// block after it on the same page, which may shrink by up to `shrink` at the page's
// foot when that keeps the next block on the page. Any unit, the page's height's own.
struct PaperBlock {
    double height = 0;
    double spaceAfter = 0;
    double shrink = 0;
};

// Where a block stands: its page (0 for the run's first) and its top on that page.
struct PaperPlacement {
    int page = 0;
    double top = 0;
};

// Where each of a run of blocks (one version, or the key) stands on pages
// `pageHeight` high. The blocks keep their order and are never split: each stands
// below the one before it, after that one's space, when it fits there; when it fits
// only with that space shrunk, it stands at the page's foot; only when it does not fit
// at all does it open the next page. The space after a page's last block needs no room
// on it. A block taller than a page stands alone on its own.
std::vector<PaperPlacement> placePaperBlocks(const std::vector<PaperBlock>& blocks, double pageHeight);

// "Páxina 2 de 5".
std::string pageNumberText(int page, int pages);

// The document's own words.
inline constexpr const char* kPaperName = "Nome:";
inline constexpr const char* kPaperClass = "Curso:";
inline constexpr const char* kPaperDate = "Data:";
inline constexpr const char* kPaperMark = "Nota:"; // the box for the mark
inline constexpr const char* kPaperKeyTitle = "Solucións";
inline constexpr const char* kPaperSeveralHint = "Marca todas as correctas."; // under a several-answer statement
inline constexpr const char* kPdfFilter = " *.pdf|*.pdf;*.PDF";

} // namespace vireta
