// One question of the classroom game while it is asked: who was in the game when it
// opened, one answer per player, the time each took, and when it closes. The server's
// clock gives every time (milliseconds since any fixed moment).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace vireta::classroom {

enum class AnswerRefusal { Closed, NotInRound, AlreadyAnswered };

class Round {
public:
    // Opens the question for players 0..players-1 that are `connected`, at `nowMs`,
    // with a time limit or none.
    Round(const std::vector<bool>& connected, long long nowMs, std::optional<long long> limitMs);

    // Takes player p's answer at `nowMs`; the verdict is the caller's (right or not).
    std::optional<AnswerRefusal> answer(std::size_t p, bool right, long long nowMs);
    // Closes the question when its time has run out at `nowMs`, or when every player
    // in it who is still connected has answered (and one at least is); true when it is
    // closed.
    bool closeIfDone(const std::vector<bool>& connected, long long nowMs);
    void close() { open_ = false; }
    // Player p, who was in the game when the question opened but not connected then,
    // came back while it is open: they answer it like the others. A player who joined
    // after it opened is not admitted.
    void admit(std::size_t p);

    bool isOpen() const { return open_; }
    std::size_t answeredCount() const;
    // The players who were in the game when it opened.
    std::size_t playerCount() const;
    bool inRound(std::size_t p) const { return p < inRound_.size() && inRound_[p]; }
    // Player p's points for this question (0 when not answered or wrong).
    int pointsOf(std::size_t p) const;
    bool answered(std::size_t p) const { return p < answers_.size() && answers_[p].given; }

private:
    struct Answer {
        bool given = false;
        bool right = false;
        long long elapsedMs = 0;
    };

    long long openedMs_;
    std::optional<long long> limitMs_;
    std::vector<bool> inRound_;
    std::vector<Answer> answers_;
    bool open_ = true;
};

} // namespace vireta::classroom
