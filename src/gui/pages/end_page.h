// Page 3, "Final": the messages and sounds of the end of the game.
#pragma once

#include "model/quiz.h"
#include "pages/page_parts.h"
#include "review/quiz_review.h"

#include <QWidget>

#include <vector>

class QFrame;
class QLineEdit;

namespace vireta {

class EndPage : public QWidget {
    Q_OBJECT

public:
    EndPage();

    // The end messages and their sounds into `general`, and back.
    void addEndMessages(GeneralData& general) const;
    void setEndMessages(const GeneralData& general);

    // The box of a finding's place; null for the places of other pages.
    QWidget* field(GeneralField place) const;
    const std::vector<PathBox>& soundBoxes() const { return sounds_; }

private:
    QFrame* Panel17_ = nullptr;
    QLineEdit* bentx_ = nullptr;
    QLineEdit* sonbentx_ = nullptr;
    QLineEdit* maltx_ = nullptr;
    QLineEdit* sonmaltx_ = nullptr;
    std::vector<PathBox> sounds_;
};

} // namespace vireta
