#include "formats/quiz_file.h"
#include "formats/web_game.h"
#include "quiz_samples.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <algorithm>
#include <functional>
#include <cerrno>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

using namespace vireta;
using namespace vireta::webgame;
using testfiles::readFile;
using testfiles::ScratchDir;
using testfiles::writeFile;

namespace {

const std::string kData = VIRETA_TEST_DATA;

struct Quiz {
    QuizModel model;
    GeneralData general;
};

Quiz openQuiz(const std::string& name) {
    Quiz q;
    applyOpenedQuiz(openQuizFile(kData + "/web/" + name), q.model, q.general);
    return q;
}

// The expected pages are written with this seed (scripts/renew-web-expected.sh).
constexpr std::uint32_t kSeed = 26;

std::string page(const Quiz& q, const ExportSettings& settings = {}, std::uint32_t seed = kSeed) {
    OutputBuffer out;
    ShuffleGenerator generator = ShuffleGenerator::withFixedSeed(seed);
    writeWebGame(q.general, q.model.questions, q.model.count, settings, generator, out);
    return out.text();
}

SaveRequest writePage(const Quiz& q, const ExportSettings& settings, OutputBuffer& out) {
    ShuffleGenerator generator = ShuffleGenerator::withFixedSeed(kSeed);
    return writeWebGame(q.general, q.model.questions, q.model.count, settings, generator, out);
}

SaveRequest writePackage(const Quiz& q, const ExportSettings& settings, OutputBuffer& out) {
    ShuffleGenerator generator = ShuffleGenerator::withFixedSeed(kSeed);
    return writeScormPackage(q.general, q.model.questions, q.model.count, settings, generator, out);
}

// The JSON between the page's data element and its end.
std::string jsonOf(const std::string& html) {
    const std::string open = "<script type=\"application/json\" id=\"datos\">\r\n";
    const auto start = html.find(open);
    const auto end = html.find("\r\n</script>", start);
    return start == std::string::npos ? std::string() : html.substr(start + open.size(), end - start - open.size());
}

// A text sealed by the page, opened with the game's rule: hex bytes, each mixed with
// the low byte of k = (k * 75 + 74) % 65537 from k = salt.
std::string unseal(const std::string& hex, int salt) {
    std::string out;
    unsigned k = static_cast<unsigned>(salt);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        k = (k * 75 + 74) % 65537;
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16) ^ static_cast<int>(k & 255));
    }
    return out;
}

// A question of the page's data as the game reads it: its kind, its answers in the
// page's order, the index `sealed` and the page's salt give and the answer at it (for
// "varias" every answer whose bit is set), the answers' own messages and a short
// question's accepted answers, unsealed.
struct PageQuestion {
    int n = 0;
    std::string kind = "unha";
    std::vector<std::string> answers;
    int sealed = 0;
    int rightIndex = -1;
    std::string right;
    std::set<std::string> rights;
    std::vector<std::string> messages;
    std::vector<std::string> accepted;
};

// The texts of a JSON list of plain strings (no quote or backslash inside).
std::vector<std::string> listOf(const std::string& line, const std::string& key) {
    std::vector<std::string> texts;
    std::smatch m;
    if (!std::regex_search(line, m, std::regex("\"" + key + "\":\\[([^\\]]*)\\]")))
        return texts;
    const std::string list = m[1];
    const std::regex text("\"([^\"]*)\"");
    for (std::sregex_iterator a(list.begin(), list.end(), text), end; a != end; ++a)
        texts.push_back((*a)[1]);
    return texts;
}

int pageSalt(const std::string& json) {
    std::smatch m;
    return std::regex_search(json, m, std::regex(",\"salt\":(\\d+),")) ? std::stoi(m[1]) : -1;
}

// The questions of the page's data, one a line, read with the game's rule.
std::vector<PageQuestion> pageQuestions(const std::string& json) {
    const int salt = pageSalt(json);
    if (salt < 0)
        return {};
    std::vector<PageQuestion> out;
    std::istringstream lines(json);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, std::regex("^\\{\"n\":(\\d+),\"text\":\"[^\"]*\"")))
            continue;
        PageQuestion q;
        q.n = std::stoi(m[1]);
        if (std::regex_search(line, m, std::regex("^[^\\[]*,\"kind\":\"(\\w+)\"")))
            q.kind = m[1];
        q.answers = listOf(line, "answers");
        if (std::regex_search(line, m, std::regex("\\],\"sealed\":(\\d+)")))
            q.sealed = std::stoi(m[1]);
        for (const std::string& hex : listOf(line, "messages"))
            q.messages.push_back(unseal(hex, salt));
        for (const std::string& hex : listOf(line, "accepted"))
            q.accepted.push_back(unseal(hex, salt));
        const int count = static_cast<int>(q.answers.size());
        if (q.kind == "varias") {
            const int code = (q.sealed + salt) % 16;
            for (int i = 0; i < count; ++i)
                if (code >> i & 1)
                    q.rights.insert(q.answers[static_cast<std::size_t>(i)]);
        } else if (count > 0) {
            q.rightIndex = (q.sealed + salt) % count;
            q.right = q.answers[static_cast<std::size_t>(q.rightIndex)];
            q.rights.insert(q.right);
        }
        out.push_back(q);
    }
    return out;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::string lowered = text;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), ::tolower);
    std::size_t n = 0;
    for (auto p = lowered.find(what); p != std::string::npos; p = lowered.find(what, p + 1))
        ++n;
    return n;
}

// The text between `open` and the next `close` in `page`; empty when there is none.
std::string between(const std::string& page, const std::string& open, const std::string& close) {
    const auto start = page.find(open);
    const auto end = start == std::string::npos ? start : page.find(close, start + open.size());
    return end == std::string::npos ? std::string() : page.substr(start + open.size(), end - start - open.size());
}

// An expected page. The style sheet and the script are the same on every page, so
// only web_xogo.html holds them; the other pages name them by a marker line.
std::string expectedPage(const std::string& name) {
    std::string page = readFile(kData + "/exports/" + name);
    const std::string full = readFile(kData + "/exports/web_xogo.html");
    const struct {
        const char* marker;
        const char* open;
        const char* close;
    } shared[] = {{"@@ the style sheet of web_xogo.html @@\r\n", "<style>\r\n", "</style>"},
                  {"@@ the script of web_xogo.html @@\r\n", "<script>\r\n", "</script>"}};
    for (const auto& part : shared)
        if (const auto at = page.find(part.marker); at != std::string::npos)
            page.replace(at, std::string(part.marker).size(), between(full, part.open, part.close));
    return page;
}

TEST(WebGame, PagesMatchTheirExpectedFilesByteForByte) {
    ExportSettings single;
    single.singleFile = true;
    const struct {
        const char* quiz;
        ExportSettings settings;
        const char* expected;
    } cases[] = {
        {"xogo.xml", {}, "web_xogo.html"},
        {"marcado.xml", {}, "web_marcado.html"},
        {"xogo.xml", single, "web_xogo_single.html"},
        {"kinds.xml", {}, "web_kinds.html"},
    };
    for (const auto& c : cases) {
        const std::string expected = expectedPage(c.expected);
        ASSERT_FALSE(expected.empty()) << c.expected;
        EXPECT_TRUE(page(openQuiz(c.quiz), c.settings) == expected) << c.expected;
    }
}

// The answers are in an order drawn when the page is written, and the right one's
// index is no number the page shows: over many questions and seeds it stands at
// every place, and the game's rule still finds it.
TEST(WebGame, TheRightAnswerIsNotInPlainSightYetTheGameFindsIt) {
    Quiz q;
    q.model.count = kQuestionCapacity;
    for (int k = 1; k <= q.model.count; ++k) {
        Question& r = q.model.questions.record(k);
        r[FieldSlot::enunciado] = "P" + std::to_string(k);
        const int answers = 2 + k % 3; // two to four
        for (int a = 1; a <= answers; ++a)
            r[answerSlot(a)] = (a == 1 ? "right " : "wrong ") + std::to_string(k) + "." + std::to_string(a);
    }
    std::set<int> salts;
    for (std::uint32_t seed : {kSeed, 1u, 4294967295u}) {
        const std::string html = page(q, {}, seed);
        EXPECT_EQ(page(q, {}, seed), html) << "a fixed seed gives the same page";
        const std::vector<PageQuestion> found = pageQuestions(jsonOf(html));
        ASSERT_EQ(found.size(), static_cast<std::size_t>(kQuestionCapacity)) << seed;
        std::map<int, int> places; // index of the right answer -> questions
        for (const PageQuestion& p : found) {
            const Question& r = q.model.questions.record(p.n);
            EXPECT_EQ(p.right, r[FieldSlot::resposta1]) << "seed " << seed << ", question " << p.n;
            std::vector<std::string> given = p.answers, table;
            for (int a = 1; a <= 4 && !r[answerSlot(a)].empty(); ++a)
                table.push_back(r[answerSlot(a)]);
            std::sort(given.begin(), given.end());
            std::sort(table.begin(), table.end());
            EXPECT_EQ(given, table) << "every answer once, seed " << seed << ", question " << p.n;
            EXPECT_GE(p.sealed, static_cast<int>(p.answers.size())) << "never an index";
            ++places[p.rightIndex];
        }
        for (int index = 0; index < 4; ++index)
            EXPECT_GT(places[index], 10) << "seed " << seed << ": the right answer at " << index;
        salts.insert(pageSalt(jsonOf(html)));
    }
    EXPECT_EQ(salts.size(), 3u) << "each page draws its own salt";
}

// Every kind travels with what the game needs and nothing right in plain sight: the
// right answers of a several and which of true or false is right only through the
// salt, a short question's accepted answers and every answer's own message sealed.
TEST(WebGame, EveryKindTravelsWithItsRightAnswersSealed) {
    const samples::SampleQuiz sample = samples::kindsQuiz();
    Quiz q;
    q.general = sample.general;
    q.model.questions = sample.questions;
    q.model.count = sample.count;
    for (std::uint32_t seed : {kSeed, 1u, 77u}) {
        const std::string json = jsonOf(page(q, {}, seed));
        for (const char* hidden : {"Santiago", "portugu", "Meira", "afluente"})
            EXPECT_EQ(json.find(hidden), std::string::npos) << hidden << " in plain sight: " << json;
        const std::vector<PageQuestion> found = pageQuestions(json);
        ASSERT_EQ(found.size(), 4u) << json;
        // The answers' own messages, by the answer they follow.
        const auto messages = [](const PageQuestion& p) {
            std::map<std::string, std::string> byAnswer;
            for (std::size_t i = 0; i < p.messages.size() && i < p.answers.size(); ++i)
                byAnswer[p.answers[i]] = p.messages[i];
            return byAnswer;
        };
        const PageQuestion& several = found[0];
        EXPECT_EQ(several.kind, "varias");
        EXPECT_EQ(std::set<std::string>(several.answers.begin(), several.answers.end()),
                  (std::set<std::string>{"Mondego", "Miño", "Ulla", "Douro"}));
        EXPECT_EQ(several.rights, (std::set<std::string>{"Miño", "Ulla"})) << seed;
        EXPECT_GE(several.sealed, 16) << "never the bits themselves";
        EXPECT_EQ(messages(several), (std::map<std::string, std::string>{
                                         {"Mondego", "Non: é portugués."}, {"Miño", "Si: nace en Meira."},
                                         {"Ulla", ""}, {"Douro", ""}}));
        const PageQuestion& trueFalse = found[1];
        EXPECT_EQ(trueFalse.kind, "vf");
        EXPECT_EQ(trueFalse.answers, (std::vector<std::string>{"Verdadeiro", "Falso"})) << "always in that order";
        EXPECT_EQ(trueFalse.right, "Falso");
        EXPECT_GE(trueFalse.sealed, 2);
        EXPECT_EQ(trueFalse.messages, (std::vector<std::string>{"", "Ben: nace en \"Meira\" & Lugo <norte>."}));
        const PageQuestion& typed = found[2];
        EXPECT_EQ(typed.kind, "curta");
        EXPECT_TRUE(typed.answers.empty());
        EXPECT_EQ(typed.accepted, (std::vector<std::string>{"Santiago de Compostela", "Santiago"}));
        EXPECT_TRUE(typed.messages.empty());
        const PageQuestion& one = found[3];
        EXPECT_EQ(one.kind, "unha");
        EXPECT_EQ(one.right, "Miño");
        EXPECT_EQ(messages(one), (std::map<std::string, std::string>{{"Miño", ""}, {"Sil", "O Sil é afluente do Miño."}}));
    }
}

// Over many questions with several right answers, the right ones stand at every place
// and the sealed value never gives them away.
TEST(WebGame, TheRightAnswersOfASeveralAreFoundOnlyWithTheSalt) {
    Quiz q;
    q.model.count = kQuestionCapacity;
    for (int k = 1; k <= q.model.count; ++k) {
        Question& r = q.model.questions.record(k);
        r.kind = QuestionKind::Several;
        r[FieldSlot::enunciado] = "P" + std::to_string(k);
        for (int a = 1; a <= 4; ++a) {
            r[answerSlot(a)] = std::to_string(k) + "." + std::to_string(a);
            r.marked[static_cast<std::size_t>(a - 1)] = (k >> (a - 1) & 1) != 0 || k % 15 == 0;
        }
    }
    std::map<int, int> rightAt; // place -> questions with a right answer there
    std::set<int> codes;
    for (const PageQuestion& p : pageQuestions(jsonOf(page(q)))) {
        const Question& r = q.model.questions.record(p.n);
        std::set<std::string> marked;
        for (int a = 1; a <= 4; ++a)
            if (isRightAnswer(r, a))
                marked.insert(r[answerSlot(a)]);
        EXPECT_EQ(p.rights, marked) << "question " << p.n;
        EXPECT_GE(p.sealed, 16);
        codes.insert(p.sealed % 16);
        for (std::size_t i = 0; i < p.answers.size(); ++i)
            rightAt[static_cast<int>(i)] += p.rights.count(p.answers[i]) ? 1 : 0;
    }
    EXPECT_EQ(codes.size(), 15u) << "every remainder but that of no right answer at all";
    for (int place = 0; place < 4; ++place)
        EXPECT_GT(rightAt[place], 50) << place;
}

// The pass mark decides the game's end on every page, clamped to 0..100.
TEST(WebGame, EveryPageCarriesThePassMark) {
    for (const auto& [passMark, carried] :
         std::vector<std::pair<int, const char*>>{{kDefaultPassMark, ",\"passMark\":50,"},
                                                  {63, ",\"passMark\":63,"},
                                                  {0, ",\"passMark\":0,"},
                                                  {250, ",\"passMark\":100,"}}) {
        Quiz q = openQuiz("xogo.xml");
        q.general.passMark = passMark;
        const std::string json = jsonOf(page(q));
        EXPECT_NE(json.find(carried), std::string::npos) << passMark << ": " << json;
    }
}

TEST(WebGame, JsonStringsCannotEndTheScriptOrBreakTheJson) {
    const struct {
        std::string text;
        std::string json;
    } cases[] = {
        {"", "\"\""},
        {"Miño é", "\"Miño é\""},
        {"a \"b\" \\c", "\"a \\\"b\\\" \\\\c\""},
        {"</script><!-- &amp;", "\"\\u003c/script\\u003e\\u003c!-- \\u0026amp;\""},
        {"l\r\nm\tn", "\"l\\r\\nm\\tn\""},
        {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\u2028\u2029", "\"\\u2028\\u2029\""},
        {"\xF0\x9F\x8E\xB2", "\"\xF0\x9F\x8E\xB2\""},               // kept as it is
        {"caf\xE9 \x80", "\"caf\xC3\xA9 \xE2\x82\xAC\""},           // Windows-1252 bytes
        {"\xC3", "\"\xC3\x83\""},                                   // a cut sequence
        {"\xED\xA0\x80", "\"\xC3\xAD\xC2\xA0\xE2\x82\xAC\""},       // a surrogate is no UTF-8
        {"\xC0\xBC", "\"\xC3\x80\xC2\xBC\""},                       // nor an overlong "<"
    };
    for (const auto& c : cases)
        EXPECT_EQ(jsonString(c.text), c.json) << c.text;
}

TEST(WebGame, MarkupInEveryTextStaysInsideTheDataElement) {
    const std::string nasty = "</script><script>alert(1)</script><!--<script>\u2028</SCRIPT >"
                              "\xC0\xBC/script>\xFF";
    Quiz q;
    for (std::string* text : {&q.general.title, &q.general.subtitle, &q.general.author,
                              &q.general.intro, &q.general.help, &q.general.time,
                              &q.general.endWell, &q.general.endBad, &q.general.introSound})
        *text = nasty;
    Question& r = q.model.questions.record(1);
    for (auto& field : r.fields)
        field = nasty;
    r[FieldSlot::enlace] = "https://x.org/" + nasty;
    const std::string html = page(q);
    EXPECT_EQ(occurrences(html, "<script"), 2u);
    EXPECT_EQ(occurrences(html, "</script"), 2u);
    EXPECT_EQ(occurrences(html, "<!--"), 0u);
    EXPECT_EQ(jsonOf(html).find('<'), std::string::npos);
    EXPECT_NE(html.find("<title>&lt;/script&gt;"), std::string::npos);
}

TEST(WebGame, OnlyPlayableQuestionsTravelInTheData) {
    Quiz q;
    auto& t = q.model.questions;
    t.record(1)[FieldSlot::enunciado] = "Con respostas";
    t.record(1)[FieldSlot::resposta1] = "Si";
    t.record(1)[FieldSlot::resposta4] = "Non";   // a gap leaves no answer out
    t.record(2)[FieldSlot::resposta1] = "Sen enunciado";
    t.record(3)[FieldSlot::enunciado] = "Sen respostas";
    t.record(4)[FieldSlot::enunciado] = "Sen a correcta";
    t.record(4)[FieldSlot::resposta2] = "Unha errada";
    t.record(5)[FieldSlot::enunciado] = "Fóra da conta";
    t.record(5)[FieldSlot::resposta1] = "x";
    q.model.count = 4;
    const std::string json = jsonOf(page(q));
    const std::vector<PageQuestion> travelled = pageQuestions(json);
    ASSERT_EQ(travelled.size(), 1u) << json;
    EXPECT_EQ(travelled[0].n, 1);
    EXPECT_EQ(std::set<std::string>(travelled[0].answers.begin(), travelled[0].answers.end()),
              (std::set<std::string>{"Si", "Non"}));
    EXPECT_EQ(travelled[0].answers.size(), 2u);
    EXPECT_EQ(travelled[0].right, "Si");
    EXPECT_NE(json.find("{\"n\":1,\"text\":\"Con respostas\",\"answers\":["), std::string::npos);
    for (const char* absent : {"\"n\":2", "\"n\":3", "\"n\":4", "\"n\":5"})
        EXPECT_EQ(json.find(absent), std::string::npos) << absent;

    // Each kind travels when it has a right answer to find.
    Question marks;
    marks.kind = QuestionKind::Several;
    marks[FieldSlot::enunciado] = "Varias";
    marks[FieldSlot::resposta1] = "Un";
    marks[FieldSlot::resposta2] = "Dous";
    Question trueFalse;
    trueFalse.kind = QuestionKind::TrueFalse;
    trueFalse[FieldSlot::enunciado] = "VF";
    Question typed;
    typed.kind = QuestionKind::Short;
    typed[FieldSlot::enunciado] = "Curta";
    const auto with = [](Question r, const std::function<void(Question&)>& change) {
        change(r);
        return r;
    };
    const struct {
        Question question;
        std::set<std::string> right; // the right or accepted answers; none: left out
    } kinds[] = {
        {marks, {}},                                                          // nothing marked
        {with(marks, [](Question& r) { r.marked[3] = true; }), {}},           // only an empty one
        {with(marks, [](Question& r) { r.marked[1] = true; }), {"Dous"}},
        {with(marks, [](Question& r) { r.marked = {true, true, false, false}; }), {"Un", "Dous"}},
        {with(trueFalse, [](Question& r) { r[FieldSlot::resposta1] = kTrueText; }), {kTrueText}},
        {with(trueFalse, [](Question& r) { r[FieldSlot::resposta1] = kFalseText; }), {kFalseText}},
        {with(trueFalse, [](Question& r) { r[FieldSlot::resposta1] = "Si"; }), {}},
        {trueFalse, {}},
        {typed, {}},                                                          // nothing accepted
        {with(typed, [](Question& r) { r[FieldSlot::resposta3] = "Tres"; }), {"Tres"}},
    };
    for (const auto& c : kinds) {
        Quiz one;
        one.model.questions.record(1) = c.question;
        one.model.count = 1;
        const std::vector<PageQuestion> found = pageQuestions(jsonOf(page(one)));
        ASSERT_EQ(found.size(), c.right.empty() ? 0u : 1u) << kindName(c.question.kind);
        if (found.empty())
            continue;
        const PageQuestion& p = found[0];
        EXPECT_EQ(p.kind == "curta" ? std::set<std::string>(p.accepted.begin(), p.accepted.end()) : p.rights,
                  c.right) << kindName(c.question.kind);
    }

    q.model.count = 100000; // clamped to the table
    EXPECT_NE(jsonOf(page(q)).find("\"n\":5"), std::string::npos);
    q.model.count = -3;
    EXPECT_NE(jsonOf(page(q)).find("\"questions\":[\r\n]}"), std::string::npos);
}

TEST(WebGame, TheTimeBecomesACountdownOnlyWhenItIsSecondsMinutesOrBoth) {
    const std::map<std::string, std::optional<int>> cases = {
        {"90", 90}, {"90s", 90}, {" 90 s ", 90}, {"5 min", 300}, {"5min", 300}, {"5 MIN", 300},
        {"86400", 86400}, {"1440 min", 86400}, {"5:00", 300}, {" 1:30 ", 90}, {"0:45", 45},
        {"1440:00", 86400}, {"5:60", std::nullopt}, {"5:0", std::nullopt}, {"5:00 min", std::nullopt},
        {":30", std::nullopt}, {"0:00", std::nullopt},
        {"", std::nullopt}, {"0", std::nullopt}, {"0 min", std::nullopt}, {"86401", std::nullopt},
        {"1441 min", std::nullopt}, {"9999999", std::nullopt}, {"-5", std::nullopt},
        {"1.5 min", std::nullopt}, {"5 minutos", std::nullopt}, {"moito tempo", std::nullopt},
        {"10 h", std::nullopt}, {"min", std::nullopt},
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(countdownSeconds(text), seconds) << "'" << text << "'";
}

TEST(WebGame, MediaAndLinksAreNamedSafely) {
    EXPECT_EQ(mediaUrl("C:\\sons\\son 1.mp3"), "son%201.mp3");
    EXPECT_EQ(mediaUrl("/a/b/río#2?.png"), "r%C3%ADo%232%3F.png");
    EXPECT_EQ(mediaUrl("/a/b/"), "");
    EXPECT_EQ(mediaUrl("d:x%20.wav"), "x%2520.wav");

    const std::pair<const char*, const char*> links[] = {
        {"https://gl.wikipedia.org/wiki/Miño", "https://gl.wikipedia.org/wiki/Miño"},
        {"  HTTP://example.org  ", "HTTP://example.org"},
        {"mailto:ana@example.org", "mailto:ana@example.org"},
        {"rios.html#a:b", "rios.html#a:b"},
        {"docs/a:b.html", "docs/a:b.html"},
        {"javascript:alert(1)", ""},
        {" JavaScript:alert(1)", ""},
        {"java\tscr\nipt:alert(1)", ""},
        {"data:text/html,<script>", ""},
        {"vbscript:x", ""},
        {"C:\\docs\\a.html", ""},
        {"a\\b.html", ""},
        {"x\x01y", ""},
        {"", ""},
    };
    for (const auto& [link, safe] : links)
        EXPECT_EQ(safeLink(link), safe) << link;

    for (const char* video : {"a.flv", "a.FLV", "C:\\v\\a.Swf"})
        EXPECT_TRUE(isVideo(video)) << video;
    for (const char* picture : {"a.png", "flv.jpg", ""})
        EXPECT_FALSE(isVideo(picture)) << picture;
}

TEST(WebGame, ASingleFilePageReportsTheMediaItCouldNotEmbed) {
    ScratchDir dir;
    writeFile(dir / "ben.wav", "RIFF");
    Quiz q;
    q.general.introSound = dir / "falta.mp3";
    Question& r = q.model.questions.record(1);
    r[FieldSlot::enunciado] = "P";
    r[FieldSlot::resposta1] = "R";
    r[FieldSlot::sonben] = dir / "ben.wav";
    r[FieldSlot::sonmal] = dir.str(); // a folder
    r[FieldSlot::son] = dir / "falta.mp3";
    ExportSettings settings;
    settings.singleFile = true;
    OutputBuffer out;
    const SaveRequest request = writePage(q, settings, out);
    EXPECT_TRUE(request.carriesMedia);
    EXPECT_TRUE(request.packable);
    EXPECT_EQ(request.unreadMedia,
              (std::vector<UnreadMedium>{{dir / "falta.mp3", ENOENT}, {dir.str(), EISDIR}}));
    const std::string json = jsonOf(out.text());
    EXPECT_NE(json.find("\"rightSound\":\"data:audio/wav;base64,UklGRg==\""), std::string::npos) << json;
    EXPECT_EQ(json.find("introSound"), std::string::npos);
    EXPECT_EQ(json.find("\"sound\""), std::string::npos);

    settings.singleFile = false;
    const SaveRequest plain = writePage(q, settings, out);
    EXPECT_FALSE(plain.carriesMedia);
    EXPECT_TRUE(plain.unreadMedia.empty());
    EXPECT_EQ(plain.filter, " *.htm|*.htm;*.html;*.HTM;*.HTML");
    EXPECT_EQ(plain.extension, "html");
}

TEST(WebGame, TheOwnStyleAndScriptStaySmall) {
    EXPECT_LT(styleSheet().size() + script().size(), 20u * 1024u);
    EXPECT_EQ(script().find("</"), std::string::npos) << "the script cannot end its element";
}

// The zip's entries, name -> bytes.
std::map<std::string, std::string> unzip(const std::string& bytes) {
    std::map<std::string, std::string> entries;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* za = src ? zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    zip_error_fini(&error);
    if (!za) {
        if (src)
            zip_source_free(src);
        ADD_FAILURE() << "not a zip";
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
        std::string data(static_cast<std::size_t>(st.size), '\0');
        zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
        EXPECT_EQ(zip_fread(f, data.data(), data.size()), static_cast<zip_int64_t>(data.size()));
        zip_fclose(f);
        entries[st.name] = data;
    }
    zip_close(za);
    return entries;
}

TEST(ScormPackage, HoldsTheManifestThePageAndEveryMediaFileOnce) {
    Quiz q = openQuiz("xogo.xml");
    q.general.passMark = 70;
    OutputBuffer out;
    const SaveRequest request = writePackage(q, ExportSettings{}, out);
    EXPECT_EQ(request.filter, " *.zip|*.zip;*.ZIP");
    EXPECT_EQ(request.extension, "zip");
    EXPECT_TRUE(request.carriesMedia);
    EXPECT_FALSE(request.packable);
    EXPECT_TRUE(request.unreadMedia.empty());

    const auto entries = unzip(out.text());
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.first);
    EXPECT_EQ(names, (std::vector<std::string>{"ben.wav", "final-ben.wav", "final-mal.wav",
                                               "imsmanifest.xml", "index.html", "intro.wav",
                                               "mal.wav", "mapa.png", "pregunta.wav"}));
    EXPECT_EQ(entries.at("mapa.png"), readFile(kData + "/web/mapa.png"));
    const std::string& manifest = entries.at("imsmanifest.xml");
    EXPECT_NE(manifest.find("<adlcp:masteryscore>70</adlcp:masteryscore>"), std::string::npos);
    EXPECT_NE(manifest.find("<title>Os ríos de Galicia</title>"), std::string::npos);
    for (const auto& name : names) {
        if (name != "imsmanifest.xml") {
            EXPECT_NE(manifest.find("<file href=\"" + name + "\"/>"), std::string::npos) << name;
        }
    }
    const std::string json = jsonOf(entries.at("index.html"));
    EXPECT_NE(json.find(",\"passMark\":70,\"scorm\":true,"), std::string::npos) << json;
    EXPECT_EQ(jsonOf(page(q)).find("scorm"), std::string::npos) << "the plain page has no platform";
}

TEST(ScormPackage, LeavesOutAndReportsMediaItCannotTakeUnderTheirBareNames) {
    ScratchDir dir;
    writeFile(dir / "a/son.wav", "first");
    writeFile(dir / "b/son.wav", "second");
    writeFile(dir / "c/index.html", "page");
    writeFile(dir / "c/imsmanifest.xml", "manifest");
    writeFile(dir / "c/ben & mal.wav", "amp");
    Quiz q;
    q.general.title = "  ";
    q.general.introSound = dir / "a/son.wav";
    q.general.endWellSound = dir / "b/son.wav";
    q.general.endBadSound = dir / "c/index.html";
    Question& r = q.model.questions.record(1);
    r[FieldSlot::enunciado] = "P";
    r[FieldSlot::resposta1] = "R";
    r[FieldSlot::son] = dir / "c/imsmanifest.xml";
    r[FieldSlot::sonben] = dir / "falta.wav";
    r[FieldSlot::sonmal] = dir / "c/ben & mal.wav";
    r[FieldSlot::imaxe] = dir / "c/video.flv"; // not shown, so not packed
    Question& r2 = q.model.questions.record(2);
    r2[FieldSlot::enunciado] = "P2";
    r2[FieldSlot::resposta1] = "R2";
    r2[FieldSlot::imaxe] = dir / "c/..";        // a folder, never an entry
    q.model.count = 2;
    q.general.passMark = 250; // clamped
    OutputBuffer out;
    const SaveRequest request = writePackage(q, ExportSettings{}, out);
    EXPECT_EQ(request.unreadMedia,
              (std::vector<UnreadMedium>{{dir / "b/son.wav", EEXIST}, {dir / "c/index.html", EEXIST},
                                         {dir / "c/imsmanifest.xml", EEXIST}, {dir / "falta.wav", ENOENT},
                                         {dir / "c/..", EEXIST}}));
    const auto entries = unzip(out.text());
    EXPECT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries.at("son.wav"), "first");
    EXPECT_EQ(entries.at("ben & mal.wav"), "amp");
    EXPECT_NE(entries.at("index.html").find("<!DOCTYPE html>"), std::string::npos);
    const std::string& manifest = entries.at("imsmanifest.xml");
    EXPECT_NE(manifest.find("<file href=\"ben%20%26%20mal.wav\"/>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("<title>Cuestionario</title>"), std::string::npos);
    EXPECT_NE(manifest.find("<adlcp:masteryscore>100</adlcp:masteryscore>"), std::string::npos);
}

TEST(ScormPackage, ALongTitleIsCutInTheManifestOnACharacterBoundaryAndKeptWholeInThePage) {
    Quiz q = openQuiz("xogo.xml");
    std::string kept;
    for (int i = 0; i < 199; ++i)
        kept += "ñ";
    kept += "&"; // one character, however the manifest writes it
    q.general.title = kept + std::string(63, 'x');
    OutputBuffer out;
    writePackage(q, ExportSettings{}, out);
    const auto entries = unzip(out.text());
    const std::string& manifest = entries.at("imsmanifest.xml");
    const std::string cut = "<title>" + kept.substr(0, kept.size() - 1) + "&amp;</title>";
    EXPECT_NE(manifest.find(cut), std::string::npos) << manifest;
    EXPECT_NE(entries.at("index.html").find(std::string(63, 'x') + "</title>"), std::string::npos);
    EXPECT_TRUE(webgame::manifestTitleShortened(q.general));
    q.general.title = kept;
    EXPECT_FALSE(webgame::manifestTitleShortened(q.general));
    EXPECT_EQ(webgame::manifestTitle(q.general), kept);
}

} // namespace
