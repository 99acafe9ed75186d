// Builds the web game from arbitrary texts: the input, cut at NUL bytes, fills the
// general data and the questions' fields and two answers' own messages in turn; the
// input's size picks each question's kind and its marks (a true-or-false question's
// first answer is one of its two words). Besides the sanitizers' checks it verifies
// what must hold for every teacher's text: the page has exactly its two
// script elements and no comment opening, the quiz's JSON holds no "<" at all and
// is valid UTF-8 and carries the pass mark clamped to 0..100, and a link that
// survives is relative or http, https or mailto.
#include "formats/web_game.h"
#include "text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

std::size_t count(const std::string& text, std::string_view what) {
    std::size_t n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

std::string lowered(std::string s) {
    for (char& c : s)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

bool validUtf8(std::string_view s) {
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t cp;
        const std::size_t len = vireta::decodeUtf8At(s, pos, cp);
        if (len == 0)
            return false;
        pos += len;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vireta;
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    std::size_t next = 0;
    auto take = [&]() -> std::string { return next < parts.size() ? parts[next++] : std::string(); };

    GeneralData g;
    for (std::string* field : {&g.title, &g.subtitle, &g.author, &g.intro, &g.help, &g.time,
                               &g.endWell, &g.endBad})
        *field = take();
    g.inOrder = size % 2 == 1;
    g.passMark = static_cast<int>(size % 151) - 25; // clamped by the writer
    QuestionTable questions;
    int count_ = 0;
    while (next < parts.size() && count_ < 4) {
        Question& q = questions.record(++count_);
        for (FieldSlot slot : {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                               FieldSlot::resposta3, FieldSlot::resposta4, FieldSlot::ben,
                               FieldSlot::mal, FieldSlot::enlace, FieldSlot::imaxe})
            q[slot] = take();
        static const QuestionKind kinds[] = {QuestionKind::One, QuestionKind::Several,
                                             QuestionKind::TrueFalse, QuestionKind::Short};
        q.kind = kinds[(size + static_cast<std::size_t>(count_)) % 4];
        for (std::size_t a = 0; a < q.marked.size(); ++a)
            q.marked[a] = (size >> (a + static_cast<std::size_t>(count_)) & 1) != 0;
        q.answerMessage(1) = take();
        q.answerMessage(2) = take();
        if (q.kind == QuestionKind::TrueFalse)
            q[FieldSlot::resposta1] = (size >> count_ & 1) != 0 ? kTrueText : kFalseText;
    }
    const ExportSettings settings;
    ShuffleGenerator generator = ShuffleGenerator::withFixedSeed(static_cast<std::uint32_t>(size));
    const webgame::Page page = webgame::buildPage(g, questions, count_, settings, generator, size % 3 == 0);

    const std::string html = lowered(page.html);
    check(count(html, "<script") == 2);
    check(count(html, "</script") == 2);
    check(count(html, "<!--") == 0);
    const std::string open = "<script type=\"application/json\" id=\"datos\">";
    const std::size_t start = page.html.find(open);
    check(start != std::string::npos);
    const std::size_t end = page.html.find("</script>", start);
    const std::string json = page.html.substr(start + open.size(), end - start - open.size());
    check(json.find('<') == std::string::npos);
    check(json.find(",\"passMark\":" + std::to_string(std::clamp(g.passMark, 0, 100)) + ",") !=
          std::string::npos);
    check(validUtf8(page.html));

    for (int k = 1; k <= count_; ++k) {
        const std::string link = webgame::safeLink(questions.record(k)[FieldSlot::enlace]);
        const std::string l = lowered(link);
        const auto colon = l.find(':');
        const auto stop = l.find_first_of("/?#");
        check(colon == std::string::npos || (stop != std::string::npos && stop < colon) ||
              l.rfind("http:", 0) == 0 || l.rfind("https:", 0) == 0 || l.rfind("mailto:", 0) == 0);
    }
    return 0;
}
