// Page 2, "Preguntas": one question with its kind and answers, picture, sounds, messages
// and link, and the green bar that moves between questions.
#pragma once

#include "model/question.h"
#include "pages/page_parts.h"

#include <QWidget>

#include <array>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;

namespace vireta {

class AnswersPanel;
class PreviewBox;

class QuestionsPage : public QWidget {
    Q_OBJECT

public:
    // The buttons of the page, by what they do (their names are the handlers' own:
    // btmostra, SpeedButton20 ... SpeedButton25, btinserir, btira, btdesfacer,
    // btrefacer, SpeedButton14).
    enum class Button { Ordear, Delete, First, Previous, Insert, Next, Last, GoTo, Undo, Redo, RefreshPicture };

    QuestionsPage();

    // The question controls as a Question, and back (each text showing its start).
    Question questionOnScreen() const;
    void show(const Question& question);
    void clear(); // every question control blank

    // "N" in the number box and "de M" beside it.
    void showNumber(int current, int count);
    void showCount(int count);
    QString typedNumber() const;

    QLineEdit* field(FieldSlot slot) const { return controls_[static_cast<std::size_t>(slot)]; }
    // The control a field is edited with as the question's kind shows it (for the
    // answers of a true-or-false question, the choice of its word); null when hidden.
    QWidget* control(FieldSlot slot) const;
    // The kind, the answers with their ticks and messages.
    AnswersPanel& answers() const { return *answers_; }
    PreviewBox* pictureBox() const { return imaxe_; }
    // The picture's path box and its open button.
    const PathBox& pictureBoxes() const { return picture_; }
    // The question's, the right and the wrong sounds' boxes.
    const std::vector<PathBox>& soundBoxes() const { return sounds_; }
    QToolButton* button(Button which) const;

signals:
    // The kind, a tick, the right word or an answer's message changed (the boxes tell
    // their edits themselves).
    void edited();

private:
    QFrame* panelpr_ = nullptr;
    PreviewBox* imaxe_ = nullptr;
    QLineEdit* npreg_ = nullptr;
    QLabel* lbtotal_ = nullptr;
    std::array<QToolButton*, 11> buttons_{};
    // The twelve question controls in field-slot order.
    std::array<QLineEdit*, kFieldSlotCount> controls_{};
    AnswersPanel* answers_ = nullptr;
    PathBox picture_;
    std::vector<PathBox> sounds_;
};

} // namespace vireta
