// Page 1, "Inicio": the general data of the quiz and the values common to every new
// question.
#pragma once

#include "model/quiz.h"
#include "pages/page_parts.h"
#include "review/quiz_review.h"

#include <QWidget>

#include <vector>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;

namespace vireta {

class GeneralPage : public QWidget {
    Q_OBJECT

public:
    GeneralPage();

    // The general data this page holds (the end messages are the end page's: left
    // empty here), and back.
    GeneralData generalData() const;
    void setGeneralData(const GeneralData& general);
    // "Repetir para todos...": what every new question starts with.
    CommonValues commonValues() const;

    // The box of a finding's place; null for the places of other pages.
    QWidget* field(GeneralField place) const;
    // The introduction's and the common sounds' boxes.
    const std::vector<PathBox>& soundBoxes() const { return sounds_; }
    // What the quiz's modified marker follows besides the line boxes.
    QPlainTextEdit* introBox() const { return introtx_; }
    QCheckBox* inOrderBox() const { return ordech_; }

private:
    QFrame* panelb_ = nullptr;
    QLineEdit* titulotx_ = nullptr;
    QLineEdit* subtitulotx_ = nullptr;
    QLineEdit* tempotx_ = nullptr;
    QCheckBox* ordech_ = nullptr;
    QLineEdit* axudatx_ = nullptr;
    QLineEdit* autortx_ = nullptr;
    QPlainTextEdit* introtx_ = nullptr;
    QLineEdit* sontx_ = nullptr;
    QLineEdit* txtcorcomun_ = nullptr;
    QLineEdit* txtincorcomun_ = nullptr;
    QLineEdit* txtsoncorcomun_ = nullptr;
    QLineEdit* txtsonincorcomun_ = nullptr;
    std::vector<PathBox> sounds_;
};

} // namespace vireta
