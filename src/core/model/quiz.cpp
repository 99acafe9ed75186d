#include "model/quiz.h"

#include <stdexcept>
#include <tuple>

namespace vireta {

QuestionTable::QuestionTable() : records_(kQuestionCapacity) {}

Question& QuestionTable::record(int k) {
    if (k < 1 || k > kQuestionCapacity)
        throw std::out_of_range("question number " + std::to_string(k) + " out of range");
    return records_[static_cast<std::size_t>(k - 1)];
}

const Question& QuestionTable::record(int k) const {
    return const_cast<QuestionTable*>(this)->record(k);
}

void QuestionTable::clear() {
    for (auto& q : records_)
        q.clear();
}

static auto tie(const GeneralData& g) {
    return std::tie(g.title, g.subtitle, g.time, g.inOrder, g.help, g.author, g.intro,
                    g.introSound, g.endWell, g.endWellSound, g.endBad, g.endBadSound, g.passMark);
}

bool GeneralData::operator==(const GeneralData& o) const { return tie(*this) == tie(o); }

Question CommonValues::newQuestion() const {
    Question q;
    q[FieldSlot::ben] = right;
    q[FieldSlot::mal] = wrong;
    q[FieldSlot::sonben] = rightSound;
    q[FieldSlot::sonmal] = wrongSound;
    return q;
}

} // namespace vireta
