#include "formats/gift.h"

#include "formats/bank_answers.h"
#include "formats/import_support.h"
#include "formats/moodle_xml.h"
#include "formats/writer_support.h"
#include "text.h"

#include <cctype>

namespace vireta {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// The first `c` at or after `from` that no backslash escapes.
std::size_t findUnescaped(std::string_view s, char c, std::size_t from = 0) {
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
            continue;
        }
        if (s[i] == c)
            return i;
    }
    return npos;
}

std::size_t findUnescaped(std::string_view s, std::string_view what, std::size_t from = 0) {
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
            continue;
        }
        if (s.substr(i, what.size()) == what)
            return i;
    }
    return npos;
}

// A GIFT text as the program holds it: escapes resolved, "\n" a line break. A run of
// blanks is one space, or its tabs when it holds any within a line (a tab is the
// teacher's, and the quiz keeps it); one across the file's line breaks is one space,
// since a text runs on over lines. Blanks at the ends, and at either end of a line
// break, are removed.
std::string giftText(std::string_view raw) {
    std::string out;
    bool space = false, acrossLines = false;
    std::size_t tabs = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            space = true;
            acrossLines = acrossLines || c == '\r' || c == '\n';
            tabs += c == '\t';
            continue;
        }
        if (space && !out.empty() && out.back() != '\n')
            out.append(acrossLines || tabs == 0 ? std::string(" ") : std::string(tabs, '\t'));
        space = acrossLines = false;
        tabs = 0;
        if (c == '\\' && i + 1 < raw.size()) {
            const char e = raw[i + 1];
            if (e == 'n') {
                while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
                    out.pop_back();
                out += "\r\n";
                ++i;
                continue;
            }
            if (std::string_view("~=#{}:\\").find(e) != npos) {
                out += e;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return std::string(trimmed(out));
}

// Removes a leading [html], [moodle], [plain] or [markdown]; tells whether it was [html].
bool stripMarker(std::string_view& s) {
    while (!s.empty() && (s[0] == ' ' || s[0] == '\t' || s[0] == '\r' || s[0] == '\n'))
        s.remove_prefix(1);
    for (const char* m : {"[html]", "[moodle]", "[plain]", "[markdown]"}) {
        if (startsWithNoCase(s, m)) {
            s.remove_prefix(std::string_view(m).size());
            return std::string_view(m) == "[html]";
        }
    }
    return false;
}

std::string textOf(std::string_view raw) {
    const bool html = stripMarker(raw);
    std::string t = giftText(raw);
    return html ? htmlToText(t) : t;
}

struct Block {
    int line;
    std::string text;
};

std::vector<Block> blocksOf(std::string_view text) {
    std::vector<Block> blocks;
    Block current{0, {}};
    int number = 0;
    for (std::string_view line : splitLines(text)) {
        ++number;
        const std::string_view t = trimmed(line);
        if (t.substr(0, 2) == "//" || startsWithNoCase(t, "$CATEGORY:"))
            continue;
        if (t.empty()) {
            if (!current.text.empty())
                blocks.push_back(std::move(current));
            current = Block{0, {}};
            continue;
        }
        if (current.text.empty())
            current.line = number;
        else
            current.text += '\n';
        current.text += line;
    }
    if (!current.text.empty())
        blocks.push_back(std::move(current));
    return blocks;
}

// The answers of a multiple-choice part: tokens starting at an unescaped '=' or '~'.
// '=' weighs 100 %, '~' 0 %, unless a weight between '%' signs follows the mark
// ("~%50%"); a '%' text that is no weight is part of the answer's text.
std::vector<BankAnswer> answersOf(std::string_view part) {
    std::vector<BankAnswer> answers;
    std::size_t i = 0;
    while (i < part.size() && part[i] != '=' && part[i] != '~')
        i += part[i] == '\\' ? 2 : 1;
    while (i < part.size()) {
        const char mark = part[i];
        std::size_t end = i + 1;
        while (end < part.size() && part[end] != '=' && part[end] != '~')
            end += part[end] == '\\' ? 2 : 1;
        end = std::min(end, part.size());
        std::string_view body = trimmed(part.substr(i + 1, end - i - 1));
        BankAnswer a;
        a.weight = mark == '=' ? 100 : 0;
        if (!body.empty() && body[0] == '%') {
            const std::size_t close = body.find('%', 1);
            if (close != npos) {
                if (const std::optional<double> w = bankWeight(body.substr(1, close - 1))) {
                    a.weight = w;
                    body = trimmed(body.substr(close + 1));
                }
            }
        }
        const std::size_t hash = findUnescaped(body, '#');
        a.text = textOf(body.substr(0, hash));
        if (hash != npos)
            a.feedback = textOf(body.substr(hash + 1));
        answers.push_back(std::move(a));
        i = end;
    }
    return answers;
}

bool isTrueFalse(std::string_view word, bool& value) {
    for (const char* t : {"T", "TRUE"})
        if (equalsNoCase(word, t))
            return value = true;
    for (const char* f : {"F", "FALSE"})
        if (equalsNoCase(word, f)) {
            value = false;
            return true;
        }
    return false;
}

void readBlock(const Block& block, ImportResult& result) {
    std::string_view s = trimmed(block.text);
    auto note = [&](NoteReason r, std::string detail = {}) {
        result.notes.push_back({block.line, {}, r, std::move(detail), 0});
    };
    std::string name;
    if (s.substr(0, 2) == "::") {
        const std::size_t close = findUnescaped(s, "::", 2);
        if (close != npos) {
            name = giftText(s.substr(2, close - 2));
            s = s.substr(close + 2);
        }
    }
    const std::size_t open = findUnescaped(s, '{');
    if (open == npos) {
        note(NoteReason::Description);
        return;
    }
    const std::size_t close = findUnescaped(s, '}', open + 1);
    if (close == npos) {
        note(NoteReason::UnclosedBraces);
        return;
    }
    std::string_view before = s.substr(0, open);
    std::string_view part = trimmed(s.substr(open + 1, close - open - 1));
    const std::string_view after = trimmed(s.substr(close + 1));
    if (findUnescaped(after, '{') != npos) {
        note(NoteReason::Cloze);
        return;
    }
    const bool html = stripMarker(before);
    std::string raw(before);
    if (!after.empty())
        raw += "_____" + std::string(s.substr(close + 1));
    std::string statement = giftText(raw);
    std::vector<std::string> links;
    if (html)
        statement = htmlToText(statement, &links);
    // A sound the text links to is no part of the question: the sound of a question
    // is its own field, which GIFT does not carry.
    auto noteLinkedSounds = [&] {
        for (const std::string& target : links)
            if (isSoundName(target.substr(0, target.find_first_of("?#"))))
                note(NoteReason::LinkedSoundLeftOut, target);
    };

    if (part.empty()) {
        note(NoteReason::Essay);
        return;
    }
    if (part[0] == '#') {
        note(NoteReason::Numerical);
        return;
    }
    ImportedQuestion q;
    q.line = block.line;
    q.name = std::move(name);
    Question& r = q.question;
    r[FieldSlot::enunciado] = statement;

    // The general feedback ("####...") has no place in a question here.
    const std::size_t general = findUnescaped(part, "####");
    if (general != npos)
        part = part.substr(0, general);

    BankKind kind;
    std::vector<BankAnswer> answers;
    bool value;
    const std::size_t hash = findUnescaped(part, '#');
    if (isTrueFalse(trimmed(part.substr(0, hash)), value)) {
        // {T#feedback for the wrong choice#feedback for the right one}
        BankAnswer right{100, value ? kTrueText : kFalseText, {}};
        BankAnswer wrong{0, value ? kFalseText : kTrueText, {}};
        if (hash != npos) {
            const std::string_view rest = part.substr(hash + 1);
            const std::size_t second = findUnescaped(rest, '#');
            wrong.feedback = textOf(rest.substr(0, second));
            if (second != npos)
                right.feedback = textOf(rest.substr(second + 1));
        }
        kind = BankKind::TrueFalse;
        answers = {std::move(right), std::move(wrong)};
    } else if (findUnescaped(part, '~') != npos) {
        // With no '=' answer the question is a multiple-response one.
        kind = findUnescaped(part, '=') != npos ? BankKind::SingleChoice : BankKind::MultipleResponse;
        answers = answersOf(part);
    } else {
        // Every answer a pair "a -> b": matching; an arrow elsewhere is a short answer's text.
        answers = answersOf(part);
        bool pairs = !answers.empty();
        for (const BankAnswer& a : answers)
            pairs = pairs && a.text.find("->") != std::string::npos;
        if (pairs) {
            note(NoteReason::Matching);
            return;
        }
        kind = BankKind::ShortAnswer;
    }
    if (r[FieldSlot::enunciado].empty()) {
        note(NoteReason::NoStatement);
        return;
    }
    const BankQuestion taken = takeBankQuestion(kind, answers);
    if (taken.leftOut) {
        note(*taken.leftOut);
        return;
    }
    taken.putInto(r);
    for (const AnswerChange& c : taken.changes)
        note(c.reason, c.detail);
    if (general != npos)
        note(NoteReason::GeneralFeedbackLeftOut);
    noteLinkedSounds();
    result.questions.push_back(std::move(q));
}

std::string oneLine(std::string_view text) {
    std::string out;
    for (char c : text)
        out += (c == '\r' || c == '\n') ? ' ' : c;
    return out;
}

} // namespace

std::string giftEscaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            continue;
        }
        if (std::string_view("~=#{}:\\").find(c) != npos)
            out += '\\';
        out += c;
    }
    return out;
}

namespace {

// A text the reader takes as text: escaped, and after "[plain]" when it starts with
// what the reader would take for a format marker ("[html]..." as a statement).
std::string giftTextEscaped(std::string_view text) {
    std::string_view rest = text;
    while (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t' || rest[0] == '\r' || rest[0] == '\n'))
        rest.remove_prefix(1);
    const std::size_t before = rest.size();
    stripMarker(rest);
    const bool marked = rest.size() != before;
    return (marked ? "[plain]" : "") + giftEscaped(text);
}

} // namespace

ImportResult GiftReader::read(std::string_view text) {
    ImportResult result;
    for (const Block& b : blocksOf(text))
        readBlock(b, result);
    return result;
}

SaveRequest GiftWriter::write(const GeneralData& general, const QuestionTable& questions, int count,
                              OutputBuffer& out, ExportNotes& notes) {
    if (!general.title.empty()) {
        std::string category;
        for (char c : oneLine(general.title))
            category += c == '/' ? std::string("//") : std::string(1, c);
        out.appendLine("$CATEGORY: $course$/top/" + category);
        out.appendLine("");
    }
    constexpr unsigned kNotCarried = kPictureField | kSoundField | kRightSoundField | kWrongSoundField | kLinkField;
    auto messagesLost = [](const Question& q) { return messagesNotCarried(q, q.kind == QuestionKind::Short); };
    forEachBankQuestion(questions, count, 0, kNotCarried, "GIFT", notes, [&](int, const Question& q) {
        const std::string head = "::" + giftEscaped(questionName(statementOf(q))) + "::" + giftTextEscaped(statementOf(q));
        auto feedback = [](const std::string& f) { return f.empty() ? f : "#" + giftTextEscaped(f); };
        if (q.kind == QuestionKind::TrueFalse) {
            // {TRUE#feedback for the wrong choice#feedback for the right one}
            const std::string& wrong = bankFeedback(q, 2);
            const std::string& right = bankFeedback(q, 1);
            std::string answer = q[FieldSlot::resposta1] == kFalseText ? "FALSE" : "TRUE";
            if (!wrong.empty() || !right.empty())
                answer += "#" + giftTextEscaped(wrong);
            if (!right.empty())
                answer += "#" + giftTextEscaped(right);
            out.appendLine(head + " {" + answer + "}");
            out.appendLine("");
            return;
        }
        out.appendLine(head + " {");
        const std::string rightWeight = "~%" + severalRightWeight(rightAnswerCount(q)) + "%";
        const std::string wrongWeight = std::string("~%") + kSeveralWrongWeight + "%";
        for (int a : filledAnswers(q)) {
            std::string mark;
            switch (q.kind) {
            case QuestionKind::Several:
                mark = isRightAnswer(q, a) ? rightWeight : wrongWeight;
                break;
            case QuestionKind::Short: mark = "="; break;
            default: mark = a == 1 ? "=" : "~"; break;
            }
            const std::string text = q.kind == QuestionKind::Short ? shortAnswerPattern(q[answerSlot(a)]) : q[answerSlot(a)];
            // A text that starts with '%' would be read as a weight: the weight is written first.
            if (mark.size() == 1 && !text.empty() && text[0] == '%')
                mark += mark == "=" ? "%100%" : "%0%";
            out.appendLine("\t" + mark + giftTextEscaped(text) + feedback(bankFeedback(q, a)));
        }
        // A short answer's wrong message goes with "anything else" of no weight.
        if (q.kind == QuestionKind::Short && !q[FieldSlot::mal].empty())
            out.appendLine("\t=%0%*" + feedback(q[FieldSlot::mal]));
        out.appendLine("}");
        out.appendLine("");
    }, messagesLost);
    return SaveRequest{kGiftFilter, "gift"};
}

} // namespace vireta
