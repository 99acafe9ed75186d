// The self-marking page of the "JavaScript" tab: a drop-down list per question and
// a button whose script marks the answers and shows the end-of-game message.
//
// Texts come in as UTF-8; the page is UTF-8 or, with UTF-8 unchecked, Windows-1252.
#pragma once

#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "formats/shuffle.h"
#include "model/quiz.h"

namespace vireta {

// Questions 1..count of `questions` form the quiz (count is clamped to
// 0..kQuestionCapacity); questions with an empty statement are left out, and so are
// those of several answers or a typed answer, noted in `notes` when given (they take
// no number). A true-or-false question is one of one answer, "Verdadeiro" first.
// Filter " *.htm|*.htm;*.html;*.HTM;*.HTML", extension "html". Shuffles the questions
// unless general.inOrder and the answers of every question but a true-or-false one
// always.
SaveRequest writeMarkingPage(const GeneralData& general, const QuestionTable& questions, int count,
                       const ExportSettings& settings, ShuffleGenerator& generator,
                       OutputBuffer& out, ExportNotes* notes = nullptr);

} // namespace vireta
