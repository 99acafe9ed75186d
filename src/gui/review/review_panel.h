// The "Revisión" list beside the save page's tabs: what a save in the chosen format
// would carry wrong, errors first, made again whenever the page is shown, the tab
// changes or a save ends. Activating a finding shows the control it is about.
#pragma once

#include "review/quiz_review.h"
#include "sections.h"

#include <QObject>

#include <vector>

class QListWidgetItem;

namespace vireta {

class QuestionNavigator;
class QuizSession;
struct QuizScreen;

class ReviewPanel : public QObject {
    Q_OBJECT

public:
    ReviewPanel(QuizSession& session, QuizScreen& screen, QuestionNavigator& navigator);

    // Reviews the quiz again, with what the review takes from the window (the chosen
    // tab's format, "Revolver respostas", the remembered save name, the common
    // values), and fills the list.
    void refreshReview();
    std::size_t errorCount() const { return vireta::errorCount(findings_); }
    void listarevisionActivated(QListWidgetItem* item);
    // Shows the control of a finding's place, with the cursor in it.
    // Shows the control a finding is about: its place's, or for a kind the format
    // leaves out the kind chooser, for a several question with no answer marked the
    // first answer's tick.
    void goToFinding(const ReviewFinding& finding);

signals:
    void sectionWanted(Section section);

private:
    QuizSession& session_;
    QuizScreen& screen_;
    QuestionNavigator& navigator_;
    std::vector<ReviewFinding> findings_; // what the list shows
};

} // namespace vireta
