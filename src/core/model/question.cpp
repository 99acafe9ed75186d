#include "model/question.h"

#include <stdexcept>

namespace vireta {

const char* fieldName(FieldSlot slot) {
    static constexpr const char* kNames[kFieldSlotCount] = {
        "enunciado", "resposta1", "resposta2", "resposta3", "resposta4", "imaxe",
        "son",       "ben",       "sonben",    "mal",       "sonmal",    "enlace"};
    return kNames[static_cast<int>(slot)];
}

FieldSlot answerSlot(int n) {
    if (n < 1 || n > 4)
        throw std::out_of_range("answer number out of range");
    return static_cast<FieldSlot>(static_cast<int>(FieldSlot::resposta1) + n - 1);
}

void Question::clear() { *this = Question(); }

const char* kindName(QuestionKind kind) {
    switch (kind) {
    case QuestionKind::One: return "unha";
    case QuestionKind::Several: return "varias";
    case QuestionKind::TrueFalse: return "vf";
    case QuestionKind::Short: return "curta";
    }
    return "unha";
}

std::optional<QuestionKind> kindNamed(std::string_view name) {
    for (QuestionKind k : {QuestionKind::One, QuestionKind::Several, QuestionKind::TrueFalse,
                           QuestionKind::Short}) {
        if (name == kindName(k))
            return k;
    }
    return std::nullopt;
}

bool isRightAnswer(const Question& q, int n) {
    switch (q.kind) {
    case QuestionKind::One:
    case QuestionKind::TrueFalse: return n == 1;
    case QuestionKind::Several: return q.marked.at(static_cast<std::size_t>(n - 1));
    case QuestionKind::Short: return !q[answerSlot(n)].empty();
    }
    return false;
}

} // namespace vireta
