// The three export writers of the save page: the HTML form page, the self-marking
// HTML page and the book. Each appends its document to an (empty) output buffer and
// returns what the save step needs to store it.
//
// Texts come in as UTF-8. A page with UTF-8 checked stays UTF-8; a page without it,
// and the book always, is converted to Windows-1252 at the end, where a character the
// code page cannot hold becomes a numeric character reference.
#pragma once

#include "formats/export_settings.h"
#include "formats/output_buffer.h"
#include "model/quiz.h"
#include "formats/shuffle.h"

#include <optional>

namespace vireta {

// Questions 1..count of `questions` form the quiz (count is clamped to
// 0..kQuestionCapacity); questions with an empty statement are left out.

// The form page: filter " *.htm|*.htm;*.html;*.HTM;*.HTML", extension "html".
// Shuffles the questions unless general.inOrder, the answers when
// settings.shuffleAnswers, reseeding `generator` before each shuffle.
SaveRequest gardarHTML(const GeneralData& general, const QuestionTable& questions, int count,
                       const ExportSettings& settings, ShuffleGenerator& generator,
                       OutputBuffer& out);

// The self-marking page: same filter and extension. Shuffles the questions unless
// general.inOrder and the answers of every question always.
SaveRequest gardarjava(const GeneralData& general, const QuestionTable& questions, int count,
                       const ExportSettings& settings, ShuffleGenerator& generator,
                       OutputBuffer& out);

// The book: filter " *.ebk|*.ebk;*.EBK|*.xml|*.xml;*.XML", extension "ebk". Always in
// table order and in Windows-1252.
SaveRequest gardarebk(const GeneralData& general, const QuestionTable& questions, int count,
                      OutputBuffer& out);

// The reserved format index 4: writes nothing and asks for no save.
std::optional<SaveRequest> gardarodt(OutputBuffer& out);

} // namespace vireta
