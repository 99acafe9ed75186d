#include "classroom/round.h"

#include "classroom/scoring.h"

namespace vireta::classroom {

Round::Round(const std::vector<bool>& connected, long long nowMs, std::optional<long long> limitMs)
    : openedMs_(nowMs), limitMs_(limitMs), inRound_(connected), answers_(connected.size()) {}

std::optional<AnswerRefusal> Round::answer(std::size_t p, bool right, long long nowMs) {
    if (!open_ || (limitMs_ && nowMs - openedMs_ > *limitMs_))
        return AnswerRefusal::Closed;
    if (p >= inRound_.size() || !inRound_[p])
        return AnswerRefusal::NotInRound; // a late joiner plays from the next question
    if (answers_[p].given)
        return AnswerRefusal::AlreadyAnswered;
    answers_[p] = Answer{true, right, nowMs - openedMs_};
    return std::nullopt;
}

bool Round::closeIfDone(const std::vector<bool>& connected, long long nowMs) {
    if (!open_)
        return true;
    if (limitMs_ && nowMs - openedMs_ >= *limitMs_) {
        open_ = false;
        return true;
    }
    // Everyone still here has answered; with no one here, it waits for the time or the
    // presenter (the class may be coming back from a dropped network).
    bool anyoneHere = false;
    for (std::size_t p = 0; p < inRound_.size(); ++p) {
        const bool stillHere = p < connected.size() && connected[p];
        if (inRound_[p] && stillHere && !answers_[p].given)
            return false;
        anyoneHere = anyoneHere || (inRound_[p] && stillHere);
    }
    open_ = !anyoneHere;
    return !open_;
}

std::size_t Round::answeredCount() const {
    std::size_t n = 0;
    for (const Answer& a : answers_)
        n += a.given ? 1 : 0;
    return n;
}

void Round::admit(std::size_t p) {
    if (p < inRound_.size())
        inRound_[p] = true;
}

std::size_t Round::playerCount() const {
    std::size_t n = 0;
    for (bool in : inRound_)
        n += in ? 1 : 0;
    return n;
}

int Round::pointsOf(std::size_t p) const {
    if (p >= answers_.size() || !answers_[p].given)
        return 0;
    return answerPoints(answers_[p].right, answers_[p].elapsedMs, limitMs_);
}

} // namespace vireta::classroom
