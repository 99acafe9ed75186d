#include "classroom/game_quiz.h"

#include "formats/web_game.h"
#include "formats/writer_support.h"
#include "text.h"

#include <algorithm>

namespace vireta::classroom {
namespace {

std::optional<std::size_t> mediumNumber(std::vector<std::string>& media, const std::string& path) {
    if (trimBlanks(path).empty())
        return std::nullopt;
    const auto found = std::find(media.begin(), media.end(), path);
    if (found != media.end())
        return static_cast<std::size_t>(found - media.begin());
    media.push_back(path);
    return media.size() - 1;
}

char32_t lowerCase(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // Latin-1: À..Þ but ×
        return c + 32;
    // Latin Extended-A pairs capital and small letters, capital first, with a few
    // letters that have no pair.
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
        c != 0x178) {
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if ((c % 2 == 1) == oddPairs)
            return c + 1;
    }
    if (c == 0x178)
        return 0xFF;
    return c;
}

} // namespace

GameQuiz gameQuiz(const GeneralData& general, const QuestionTable& questions, int count) {
    GameQuiz quiz;
    quiz.title = webgame::pageTitle(general);
    const int n = clampedCount(count);
    for (int k = 1; k <= n; ++k) {
        const Question& q = questions.record(k);
        if (trimBlanks(statementOf(q)).empty() || !hasRightAnswer(q))
            continue;
        GameQuestion g;
        g.kind = q.kind;
        g.text = statementOf(q);
        for (int a : shownAnswers(q)) {
            g.answers.push_back(q[answerSlot(a)]);
            g.right.push_back(isRightAnswer(q, a));
            g.messages.push_back(q.answerMessage(a));
        }
        g.rightMessage = q[FieldSlot::ben];
        g.wrongMessage = q[FieldSlot::mal];
        if (!webgame::isVideo(q[FieldSlot::imaxe]) && !mediaType(q[FieldSlot::imaxe]).empty())
            g.image = mediumNumber(quiz.media, q[FieldSlot::imaxe]);
        if (!mediaType(q[FieldSlot::son]).empty())
            g.sound = mediumNumber(quiz.media, q[FieldSlot::son]);
        quiz.questions.push_back(std::move(g));
    }
    return quiz;
}

std::string comparableAnswer(std::string_view typed) {
    const std::string_view trimmed = trimBlanks(typed);
    std::string out;
    bool blank = false;
    for (std::size_t i = 0; i < trimmed.size();) {
        char32_t c = 0;
        i += decodeUtf8At(trimmed, i, c);
        if (c <= 32 || c == 0xA0) {
            blank = true;
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        appendUtf8(out, lowerCase(c));
    }
    return out;
}

bool acceptsTyped(const GameQuestion& question, std::string_view typed) {
    const std::string given = comparableAnswer(typed);
    if (given.empty())
        return false;
    for (std::size_t a = 0; a < question.answers.size(); ++a) {
        if (question.right[a] && comparableAnswer(question.answers[a]) == given)
            return true;
    }
    return false;
}

std::string_view mediaType(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos)
        return {};
    const std::string ext = asciiLower(path.substr(dot + 1));
    static const struct {
        const char* ext;
        const char* type;
    } kTypes[] = {{"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"}, {"png", "image/png"},
                  {"gif", "image/gif"},  {"webp", "image/webp"}, {"bmp", "image/bmp"},
                  {"mp3", "audio/mpeg"}, {"ogg", "audio/ogg"},   {"wav", "audio/wav"},
                  {"m4a", "audio/mp4"}};
    for (const auto& t : kTypes) {
        if (ext == t.ext)
            return t.type;
    }
    return {};
}

} // namespace vireta::classroom
