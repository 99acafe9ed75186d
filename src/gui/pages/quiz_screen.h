// The quiz as the pages show it: what the actions read from the screen and put back.
#pragma once

#include "formats/export_settings.h"
#include "model/quiz.h"
#include "pages/end_page.h"
#include "pages/general_page.h"
#include "pages/questions_page.h"
#include "pages/save_page.h"

namespace vireta {

struct QuizScreen {
    GeneralPage& general;
    QuestionsPage& questions;
    EndPage& end;
    SavePage& save;

    // The general data of the general and end pages, and back.
    GeneralData generalData() const {
        GeneralData g = general.generalData();
        end.addEndMessages(g);
        return g;
    }
    void setGeneralData(const GeneralData& g) {
        general.setGeneralData(g);
        end.setEndMessages(g);
    }
    CommonValues commonValues() const { return general.commonValues(); }
    Question questionOnScreen() const { return questions.questionOnScreen(); }
    ExportSettings exportSettings() const { return save.exportSettings(); }
};

} // namespace vireta
