// The book of the "EBK" tab, for the separate player: an XML document in
// Windows-1252 (without an encoding name), where a character the code page cannot
// hold becomes a numeric character reference.
#pragma once

#include "formats/export_settings.h"
#include "formats/format_note.h"
#include "formats/output_buffer.h"
#include "model/quiz.h"

namespace vireta {

// Questions 1..count of `questions` form the quiz (count is clamped to
// 0..kQuestionCapacity); questions with an empty statement are left out, and so are
// those of several answers or a typed answer, noted in `notes` when given. A
// true-or-false question is one of one answer, its right answer first.
// Filter " *.ebk|*.ebk;*.EBK|*.xml|*.xml;*.XML", extension "ebk". Always in table order.
SaveRequest writeBook(const GeneralData& general, const QuestionTable& questions, int count,
                      OutputBuffer& out, ExportNotes* notes = nullptr);

} // namespace vireta
