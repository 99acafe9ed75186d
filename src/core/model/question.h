// One question of a quiz: twelve texts in fixed field slots.
#pragma once

#include <array>
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

// The element name of a field slot in the quiz file ("enunciado", "resposta1", ...).
const char* fieldName(FieldSlot slot);

// The slot of answer number n (1..4).
FieldSlot answerSlot(int n);

struct Question {
    std::array<std::string, kFieldSlotCount> fields;

    std::string& operator[](FieldSlot slot) { return fields[static_cast<int>(slot)]; }
    const std::string& operator[](FieldSlot slot) const {
        return fields[static_cast<int>(slot)];
    }

    void clear();
    bool operator==(const Question& other) const { return fields == other.fields; }
    bool operator!=(const Question& other) const { return !(*this == other); }
};

} // namespace vireta
