// One question of a quiz: twelve texts in fixed field slots, its kind, which answers
// are right and each answer's own message.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vireta {

enum class FieldSlot : int {
    enunciado = 0, // the statement
    resposta1,     // the correct answer
    resposta2,
    resposta3,
    resposta4,
    imaxe,  // full path of the image (or a video/Flash file)
    son,    // full path of the question's sound
    ben,    // message for a right answer
    sonben, // sound played with `ben`
    mal,    // message for a wrong answer
    sonmal, // sound played with `mal`
    enlace, // a link attached to the question
};

inline constexpr int kFieldSlotCount = 12;
inline constexpr int kAnswerCount = 4;

// What the student does; the quiz file's `tipo` (absent for One).
enum class QuestionKind {
    One,       // "unha": picks one answer; the first is right
    Several,   // "varias": ticks every right answer, the ones marked right
    TrueFalse, // "vf": "Verdadeiro" and "Falso", shown in that order; the first is right
    Short,     // "curta": types an answer; every answer is an accepted one
};

// The answers of a true-or-false question, in the order the student sees them.
inline constexpr const char* kTrueText = "Verdadeiro";
inline constexpr const char* kFalseText = "Falso";

// "unha", "varias", "vf", "curta".
const char* kindName(QuestionKind kind);
// The kind a `tipo` names; nullopt for an unknown name.
std::optional<QuestionKind> kindNamed(std::string_view name);

// The element name of a field slot in the quiz file ("enunciado", "resposta1", ...).
const char* fieldName(FieldSlot slot);

// The slot of answer number n (1..4).
FieldSlot answerSlot(int n);

struct Question {
    std::array<std::string, kFieldSlotCount> fields;
    QuestionKind kind = QuestionKind::One;
    // For Several: whether answer n (1..4, at n - 1) is one of the right ones.
    std::array<bool, kAnswerCount> marked{};
    // Answer n's own message (the quiz file's `retro`), shown once it was chosen.
    std::array<std::string, kAnswerCount> answerMessages;

    std::string& operator[](FieldSlot slot) { return fields[static_cast<int>(slot)]; }
    const std::string& operator[](FieldSlot slot) const {
        return fields[static_cast<int>(slot)];
    }
    // Answer n's own message, n 1..4.
    std::string& answerMessage(int n) { return answerMessages.at(static_cast<std::size_t>(n - 1)); }
    const std::string& answerMessage(int n) const {
        return answerMessages.at(static_cast<std::size_t>(n - 1));
    }

    void clear();
    bool operator==(const Question& other) const {
        return fields == other.fields && kind == other.kind && marked == other.marked &&
               answerMessages == other.answerMessages;
    }
    bool operator!=(const Question& other) const { return !(*this == other); }
};

// Whether answer n (1..4) of `q` counts as right: the first for One and TrueFalse, a
// marked one for Several, any filled one for Short.
bool isRightAnswer(const Question& q, int n);

} // namespace vireta
