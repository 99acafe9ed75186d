// The quiz in memory: its general data, the question table and the editor-wide
// values that go with it.
#pragma once

#include "model/question.h"

#include <string>
#include <vector>

namespace vireta {

// Both tables hold this many questions; a quiz never has more.
inline constexpr int kQuestionCapacity = 200;

// The pass mark of a quiz that names none.
inline constexpr int kDefaultPassMark = 50;

// A fixed table of kQuestionCapacity records, numbered from 1.
class QuestionTable {
public:
    QuestionTable();

    // Record k, 1 <= k <= kQuestionCapacity; throws std::out_of_range otherwise.
    Question& record(int k);
    const Question& record(int k) const;

    void clear();

private:
    std::vector<Question> records_;
};

// The quiz's general data. In the editor the window's controls hold it; writers
// receive a copy built from them.
struct GeneralData {
    std::string title;        // titulotx
    std::string subtitle;     // subtitulotx
    std::string time;         // tempotx, free text
    bool inOrder = false;     // ordech, "Con orde"
    std::string help;         // axudatx
    std::string author;       // autortx
    std::string intro;        // introtx, lines separated by CR LF
    std::string introSound;   // sontx
    std::string endWell;      // bentx
    std::string endWellSound; // sonbentx
    std::string endBad;       // maltx
    std::string endBadSound;  // sonmaltx
    // notaaprobar, "Nota para aprobar (%)", 0..100: from this share of right answers
    // (the percentage the game shows) the web game ends well and its SCORM package
    // reports "passed". The quiz file keeps it as xogo's attribute `aprobado`.
    int passMark = kDefaultPassMark;

    bool operator==(const GeneralData& o) const;
    bool operator!=(const GeneralData& o) const { return !(*this == o); }
};

// Defaults that new questions take their right and wrong messages and sounds from.
// The quiz file does not keep them.
struct CommonValues {
    std::string right;      // txtcorcomun
    std::string wrong;      // txtincorcomun
    std::string rightSound; // txtsoncorcomun
    std::string wrongSound; // txtsonincorcomun

    // A blank question carrying these messages and sounds.
    Question newQuestion() const;
};

// The editor-wide state that goes with the quiz being edited.
struct QuizModel {
    QuestionTable questions;
    QuestionTable staging; // scratch space for whole-table rewrites (open, ordering)
    int count = 1;         // N, 1..kQuestionCapacity
    int current = 1;       // 1..count
    std::vector<std::string> copiedFiles; // source paths handled in the current save
    std::string openedFolder;             // folder of the last opened quiz file, with separator
    bool fresh = true;                    // set by a reset, cleared by the first visit to the questions

    Question& currentRecord() { return questions.record(current); }
    const Question& currentRecord() const { return questions.record(current); }
};

} // namespace vireta
