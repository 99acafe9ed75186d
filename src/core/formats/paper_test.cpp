#include "formats/paper_test.h"

#include "formats/writer_support.h"

#include <algorithm>
#include <cctype>

namespace vireta {

std::vector<PaperVersion> planPaperTest(const QuestionTable& questions, int count, bool inOrder,
                                        const PaperSettings& settings,
                                        ShuffleGenerator& generator) {
    count = clampedCount(count);
    const int versions = std::clamp(settings.versions, 1, kMaxPaperVersions);
    std::vector<PaperVersion> plan(static_cast<std::size_t>(versions));
    for (int v = 0; v < versions; ++v) {
        PaperVersion& version = plan[static_cast<std::size_t>(v)];
        version.letter = static_cast<char>('A' + v);
        if (versions > 1)
            version.name = std::string("Modelo ") + version.letter;
        for (int record : questionOrder(count, inOrder, generator)) {
            const Question& q = questions.record(record);
            if (statementOf(q).empty())
                continue;
            PaperQuestion pq;
            pq.number = static_cast<int>(version.questions.size()) + 1;
            pq.record = record;
            pq.kind = q.kind;
            if (q.kind != QuestionKind::Short)
                pq.answers = shownAnswers(q);
            if (settings.shuffleAnswers && q.kind != QuestionKind::TrueFalse) {
                generator.reseed();
                shuffle(pq.answers, generator);
            }
            for (std::size_t i = 0; i < pq.answers.size(); ++i)
                if (isRightAnswer(q, pq.answers[i]))
                    pq.keys.push_back(static_cast<int>(i));
            version.questions.push_back(std::move(pq));
        }
    }
    return plan;
}

std::string answerLabel(int position) {
    return std::string(1, static_cast<char>('a' + position)) + ")";
}

std::string keyText(const PaperQuestion& question, const Question& q) {
    std::string text;
    if (question.kind == QuestionKind::Short) {
        for (int a : filledAnswers(q))
            text += (text.empty() ? "" : " / ") + q[answerSlot(a)];
    } else {
        for (int position : question.keys)
            text += (text.empty() ? "" : ", ") + std::string(1, static_cast<char>('a' + position));
    }
    return text.empty() ? "-" : text;
}

std::string keyPathFor(std::string_view documentPath) {
    std::string path(documentPath);
    const std::size_t bare = path.find_last_of("/\\:");
    const std::size_t nameStart = bare == std::string::npos ? 0 : bare + 1;
    if (path.size() >= nameStart + 5) {
        std::string tail = path.substr(path.size() - 4);
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (tail == ".pdf")
            path.erase(path.size() - 4);
    }
    return path + "-solucions.pdf";
}

std::vector<PaperPlacement> placePaperBlocks(const std::vector<PaperBlock>& blocks, double pageHeight) {
    std::vector<PaperPlacement> placed;
    placed.reserve(blocks.size());
    double end = 0; // where the block before ends on its page
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const double height = blocks[i].height;
        PaperPlacement at;
        if (i > 0) {
            const PaperBlock& before = blocks[i - 1];
            at.page = placed.back().page;
            at.top = end + before.spaceAfter;
            if (at.top + height > pageHeight) {
                if (end + before.spaceAfter - std::min(before.shrink, before.spaceAfter) + height <= pageHeight)
                    at.top = pageHeight - height; // at the foot, closer to the one before
                else
                    at = {placed.back().page + 1, 0};
            }
        }
        placed.push_back(at);
        end = at.top + height;
    }
    return placed;
}

std::string pageNumberText(int page, int pages) {
    return "P\xC3\xA1xina " + std::to_string(page) + " de " + std::to_string(pages);
}

} // namespace vireta
