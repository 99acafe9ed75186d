// The form page of the "HTML" tab: every question with its answers as radio
// buttons, optionally inside a form posted to the teacher's address.
//
// Texts come in as UTF-8. With UTF-8 checked the page stays UTF-8; without it, it is
// converted to Windows-1252 at the end, where a character the code page cannot hold
// becomes a numeric character reference.
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
// unless general.inOrder, the answers (but true and false) when
// settings.shuffleAnswers, reseeding `generator` before each shuffle.
SaveRequest writeFormPage(const GeneralData& general, const QuestionTable& questions, int count,
                       const ExportSettings& settings, ShuffleGenerator& generator,
                       OutputBuffer& out, ExportNotes* notes = nullptr);

} // namespace vireta
