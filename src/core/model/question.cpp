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

void Question::clear() {
    for (auto& field : fields)
        field.clear();
}

} // namespace vireta
