// Page 3, "Final": the messages and sounds of the end of the game, and the pass mark
// that decides between them in the web game.
#pragma once

#include "model/quiz.h"
#include "pages/page_parts.h"
#include "review/quiz_review.h"

#include <QWidget>

#include <vector>

class QFrame;
class QLineEdit;
class QSpinBox;

namespace vireta {

class EndPage : public QWidget {
    Q_OBJECT

public:
    EndPage();

    // The end messages, their sounds and the pass mark into `general`, and back.
    void addEndMessages(GeneralData& general) const;
    void setEndMessages(const GeneralData& general);
    // Shows `passMark` without telling it as an edit (an undo, an open).
    void showPassMark(int passMark);

    // The box of a finding's place; null for the places of other pages.
    QWidget* field(GeneralField place) const;
    const std::vector<PathBox>& soundBoxes() const { return sounds_; }

signals:
    // The teacher changed "Nota para aprobar (%)" from `before` to `after`.
    void passMarkEdited(int before, int after);

private:
    QFrame* Panel17_ = nullptr;
    QLineEdit* bentx_ = nullptr;
    QLineEdit* sonbentx_ = nullptr;
    QLineEdit* maltx_ = nullptr;
    QLineEdit* sonmaltx_ = nullptr;
    QSpinBox* notaaprobar_ = nullptr;
    int shownPassMark_ = kDefaultPassMark;
    std::vector<PathBox> sounds_;
};

} // namespace vireta
