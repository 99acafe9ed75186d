#include "review/quiz_review.h"

#include "formats/format_table.h"
#include "formats/web_game.h"
#include "formats/writer_support.h"
#include "io/file_read.h"
#include "text.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>

#include <sys/stat.h>

namespace vireta {
namespace {

// The quiz file's reader drops the blanks at both ends of every text.
bool isBlank(char c) { return isBlankByte(c); }
std::string_view trimmed(std::string_view s) { return trimBlanks(s); }

// Lower case for the letters a teacher writing Galician, Spanish or Portuguese uses:
// ASCII, Latin-1 and Latin Extended-A.
char32_t folded(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 32;
    if (((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) && c % 2 == 0)
        return c + 1;
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1)
        return c + 1;
    return c;
}

std::string foldedText(std::string_view s) {
    std::string out;
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t cp;
        const std::size_t len = decodeUtf8At(s, pos, cp);
        if (len == 0) {
            out += s[pos++];
            continue;
        }
        appendUtf8(out, folded(cp));
        pos += len;
    }
    return out;
}

// The extension of a path's bare file name, in ASCII lower case; empty without one.
std::string extensionOf(const std::string& path) {
    const std::string name = bareFileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// The first character of `text` Windows-1252 cannot hold, as UTF-8; empty when none.
std::string firstOutsideCp1252(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp;
        const std::size_t len = decodeUtf8At(text, pos, cp);
        if (len == 0) {
            ++pos;
            continue;
        }
        if (!fitsCp1252(cp))
            return std::string(text.substr(pos, len));
        pos += len;
    }
    return {};
}

std::string quotedGl(std::string_view s) { return "«" + std::string(s) + "»"; }
std::string quotedEn(std::string_view s) { return "'" + std::string(s) + "'"; }

bool isPicture(const ReviewPlace& p) {
    return p.area == ReviewArea::Question && p.slot == FieldSlot::imaxe;
}

// "A imaxe" / "O son" and "the picture" / "the sound", for the file at a place.
std::string mediaGl(const ReviewPlace& p) { return isPicture(p) ? "A imaxe" : "O son"; }
std::string mediaEn(const ReviewPlace& p) { return isPicture(p) ? "the picture" : "the sound"; }

ReviewPlace generalPlace(GeneralField field) {
    ReviewPlace p;
    const bool end = field == GeneralField::EndWell || field == GeneralField::EndWellSound ||
                     field == GeneralField::EndBad || field == GeneralField::EndBadSound;
    p.area = end ? ReviewArea::End : ReviewArea::General;
    p.field = field;
    return p;
}

ReviewPlace questionPlace(int k, FieldSlot slot) {
    ReviewPlace p;
    p.area = ReviewArea::Question;
    p.question = k;
    p.slot = slot;
    return p;
}

// Whether any page or book a format writes shows pictures / plays sounds.
// The pages show pictures; of them only the web game plays sounds.
bool showsPictures(Format f) { return formatInfo(f).page; }
bool playsSounds(Format f) { return f == Format::Web || f == Format::Scorm; }

struct Text {
    ReviewPlace place;
    const std::string* text;
};

struct Media {
    ReviewPlace place;
    const std::string* path;
};

class Review {
public:
    Review(const GeneralData& general, const QuizModel& model, const ReviewOptions& options)
        : g_(general), model_(model), options_(options),
          files_(options.files ? *options.files : systemFiles()) {
        if (options.common)
            common_ = options.common->newQuestion();
    }

    std::vector<ReviewFinding> run() {
        collect();
        questions();
        media();
        texts();
        formatFindings();
        // Errors first; then the general data, the end messages and the questions in
        // their order, each place's findings in the order they were found.
        std::stable_sort(found_.begin(), found_.end(),
                         [](const ReviewFinding& a, const ReviewFinding& b) {
                             const auto key = [](const ReviewFinding& f) {
                                 return std::make_tuple(f.severity == Severity::Error ? 0 : 1,
                                                        static_cast<int>(f.place.area),
                                                        f.place.question);
                             };
                             return key(a) < key(b);
                         });
        return std::move(found_);
    }

private:
    void add(FindingKind kind, Severity severity, const ReviewPlace& place, std::string gl,
             std::string en) {
        found_.push_back(ReviewFinding{kind, severity, place, std::move(gl), std::move(en)});
    }

    bool hasFormat(Format f) const { return options_.format && *options_.format == f; }

    // The questions 1..N that reach a saved file: those with a statement.
    void collect() {
        count_ = clampedCount(model_.count);
        for (int k = 1; k <= count_; ++k) {
            if (!statementOf(model_.questions.record(k)).empty())
                written_.push_back(k);
        }
        auto general = [&](GeneralField f, const std::string& s) {
            texts_.push_back({generalPlace(f), &s});
        };
        general(GeneralField::Title, g_.title);
        general(GeneralField::Subtitle, g_.subtitle);
        general(GeneralField::Time, g_.time);
        general(GeneralField::Help, g_.help);
        general(GeneralField::Author, g_.author);
        general(GeneralField::Intro, g_.intro);
        media_.push_back({generalPlace(GeneralField::IntroSound), &g_.introSound});
        general(GeneralField::EndWell, g_.endWell);
        media_.push_back({generalPlace(GeneralField::EndWellSound), &g_.endWellSound});
        general(GeneralField::EndBad, g_.endBad);
        media_.push_back({generalPlace(GeneralField::EndBadSound), &g_.endBadSound});
        for (int k : written_) {
            const Question& q = model_.questions.record(k);
            for (FieldSlot s : {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                                FieldSlot::resposta3, FieldSlot::resposta4, FieldSlot::ben,
                                FieldSlot::mal, FieldSlot::enlace})
                texts_.push_back({questionPlace(k, s), &q[s]});
            for (FieldSlot s : {FieldSlot::imaxe, FieldSlot::son, FieldSlot::sonben, FieldSlot::sonmal})
                media_.push_back({questionPlace(k, s), &q[s]});
        }
    }

    // A field of a question without a statement that holds something of its own.
    bool holdsSomething(const Question& q, FieldSlot s) const {
        const std::string& v = q[s];
        if (v.empty())
            return false;
        return !common_ || v != (*common_)[s];
    }

    void questions() {
        for (int k = 1; k <= count_; ++k) {
            const Question& q = model_.questions.record(k);
            if (statementOf(q).empty()) {
                for (int i = 1; i < kFieldSlotCount; ++i) {
                    if (holdsSomething(q, static_cast<FieldSlot>(i))) {
                        add(FindingKind::StatementEmpty, Severity::Warning,
                            questionPlace(k, FieldSlot::enunciado),
                            "A pregunta non ten enunciado pero si outros datos: non aparecerá en "
                            "ningún arquivo gardado nin exportado.",
                            "the question has no statement but other fields are filled: it is "
                            "left out of every saved or exported file");
                        break;
                    }
                }
                continue;
            }
            answers(k, q);
            link(k, q);
        }
        if (written_.empty())
            add(FindingKind::NoQuestions, Severity::Warning, generalPlace(GeneralField::None),
                "Ningunha pregunta ten enunciado: os arquivos gardados non terán preguntas.",
                "no question has a statement: the saved files will hold no questions");
    }

    void answers(int k, const Question& q) {
        const std::vector<int> filled = filledAnswers(q);
        // The first answer is the right one, unless the question marks its right ones
        // or takes every answer.
        const bool firstRight = q.kind == QuestionKind::One || q.kind == QuestionKind::TrueFalse;
        const bool correctEmpty = firstRight && q[FieldSlot::resposta1].empty();
        if (correctEmpty && !filled.empty())
            add(FindingKind::CorrectAnswerEmpty, Severity::Error, questionPlace(k, FieldSlot::resposta1),
                "A resposta correcta (a primeira) está baleira e hai outras respostas: ao gardar, "
                "unha resposta incorrecta pasará a ser a correcta.",
                "the correct answer (the first) is empty while other answers are filled: on "
                "saving, a wrong answer becomes the correct one");
        if (q.kind == QuestionKind::Several && !filled.empty() &&
            std::none_of(filled.begin(), filled.end(), [&](int a) { return isRightAnswer(q, a); }))
            add(FindingKind::NoAnswerMarked, Severity::Warning, questionPlace(k, answerSlot(filled.front())),
                "A pregunta de varias respostas non ten ningunha marcada como correcta: ningunha "
                "combinación será a boa.",
                "the several-answer question has no answer marked right: no choice of answers is "
                "right");
        if (q.kind == QuestionKind::Short && filled.empty())
            add(FindingKind::NoAcceptedAnswer, Severity::Warning, questionPlace(k, FieldSlot::resposta1),
                "A pregunta de resposta curta non ten ningunha resposta aceptada: ningunha resposta "
                "escrita será a boa.",
                "the short-answer question has no accepted answer: no typed answer is right");
        else if (q.kind != QuestionKind::Short && filled.size() < 2) {
            int firstEmpty = 1;
            while (firstEmpty < 4 && !q[answerSlot(firstEmpty)].empty())
                ++firstEmpty;
            add(FindingKind::FewAnswers, Severity::Warning, questionPlace(k, answerSlot(firstEmpty)),
                filled.empty() ? "A pregunta non ten ningunha resposta."
                               : "A pregunta só ten unha resposta.",
                filled.empty() ? "the question has no answer" : "the question has only one answer");
        }
        if (!correctEmpty) {
            for (int a = firstRight ? 2 : 1; a <= 3; ++a) {
                if (q[answerSlot(a)].empty() && !filled.empty() && filled.back() > a) {
                    const std::string n = std::to_string(a);
                    add(FindingKind::AnswerGap, Severity::Warning, questionPlace(k, answerSlot(a)),
                        "A resposta " + n + " está baleira e hai outra despois: ao gardar, as "
                        "respostas seguintes moveranse para encher o oco.",
                        "answer " + n + " is empty before a filled one: the answers close up on "
                        "saving");
                    break;
                }
            }
        }
        std::vector<std::pair<int, std::string>> seen;
        for (int a : filled) {
            const std::string_view t = trimmed(q[answerSlot(a)]);
            if (t.empty())
                continue;
            std::string key = foldedText(t);
            const auto same = std::find_if(seen.begin(), seen.end(),
                                           [&](const auto& s) { return s.second == key; });
            if (same != seen.end()) {
                const std::string pair = std::to_string(same->first) + " e " + std::to_string(a);
                const std::string pairEn =
                    std::to_string(same->first) + " and " + std::to_string(a);
                add(FindingKind::AnswersAlike, Severity::Warning, questionPlace(k, answerSlot(a)),
                    "As respostas " + pair + " son iguais.", "answers " + pairEn + " are alike");
            } else {
                seen.emplace_back(a, std::move(key));
            }
        }
    }

    void link(int k, const Question& q) {
        const std::string& l = q[FieldSlot::enlace];
        if (l.empty() || startsWithNoCase(l, "http://") || startsWithNoCase(l, "https://"))
            return;
        std::string path = startsWithNoCase(l, "file://") ? l.substr(7) : l;
        bool exists = files_.probe(path).state == FileFacts::State::Regular;
        if (!exists && !path.empty() && path[0] != '/' && !model_.openedFolder.empty())
            exists = files_.probe(model_.openedFolder + path).state == FileFacts::State::Regular;
        if (!exists)
            add(FindingKind::LinkNotFound, Severity::Warning, questionPlace(k, FieldSlot::enlace),
                "A ligazón " + quotedGl(l) + " non é un enderezo web (http:// ou https://) nin un "
                "arquivo que exista.",
                "the link " + quotedEn(l) + " is neither a web address (http://, https://) nor an "
                "existing file");
    }

    void media() {
        struct Known {
            std::string path;
            FileFacts facts;
        };
        std::map<std::string, FileFacts> probed;       // path -> facts, each path once
        std::map<std::string, std::vector<Known>> byName; // bare name -> distinct files
        for (const Media& m : media_) {
            const std::string& path = *m.path;
            if (path.empty() || probed.count(path))
                continue;
            const FileFacts facts = files_.probe(path);
            probed.emplace(path, facts);
            const std::string name = bareFileName(path);
            if (facts.state != FileFacts::State::Regular) {
                const bool missing = facts.state == FileFacts::State::Missing;
                add(FindingKind::MediaUnreadable, Severity::Error, m.place,
                    mediaGl(m.place) + " " + quotedGl(path) +
                        (missing ? " non existe." : " non é un arquivo que se poida ler."),
                    mediaEn(m.place) + " " + quotedEn(path) +
                        (missing ? " does not exist" : " is not a readable file"));
            } else {
                auto& others = byName[name];
                const auto other = std::find_if(others.begin(), others.end(), [&](const Known& o) {
                    return o.facts.device != facts.device || o.facts.inode != facts.inode;
                });
                if (other != others.end())
                    add(FindingKind::MediaNameShared, Severity::Error, m.place,
                        quotedGl(path) + " e " + quotedGl(other->path) +
                            " son arquivos distintos co mesmo nome: ao copiar os arquivos só "
                            "queda un, e as páxinas mostrarán ese nos dous sitios.",
                        quotedEn(path) + " and " + quotedEn(other->path) +
                            " are different files with the same name: only one survives "
                            "copying, and every page shows that one for both");
                others.push_back({path, facts});
            }
            if (!options_.documentName.empty() && name == options_.documentName)
                add(FindingKind::MediaNamedLikeDocument, Severity::Error, m.place,
                    mediaGl(m.place) + " " + quotedGl(path) + " chámase igual que o documento "
                    "que se garda: non se pode copiar ao seu carón.",
                    mediaEn(m.place) + " " + quotedEn(path) + " has the same name as the document "
                    "being saved: it cannot be copied beside it");
        }
    }

    void texts() {
        for (const Text& t : texts_) {
            std::string_view s = *t.text;
            if (t.place.field == GeneralField::Intro) {
                // The introduction's box holds lines: its line breaks at either end are
                // not the teacher's blanks.
                while (!s.empty() && (s.front() == '\r' || s.front() == '\n'))
                    s.remove_prefix(1);
                while (!s.empty() && (s.back() == '\r' || s.back() == '\n'))
                    s.remove_suffix(1);
                if (trimmed(s).empty())
                    continue;
            }
            if (!s.empty() && (isBlank(s.front()) || isBlank(s.back())))
                add(FindingKind::SurroundingBlanks, Severity::Warning, t.place,
                    "O texto empeza ou remata con espazos, que se perden ao abrir de novo o arquivo.",
                    "the text begins or ends with blanks, which are lost when the file is reopened");
        }
    }

    void formatFindings() {
        if (!options_.format)
            return;
        const Format f = *options_.format;
        if (showsPictures(f) || playsSounds(f)) {
            std::set<std::string> done;
            for (const Media& m : media_) {
                const std::string& path = *m.path;
                if (path.empty() || !done.insert(path).second)
                    continue;
                const std::string ext = extensionOf(path);
                if (isPicture(m.place)) {
                    if (showsPictures(f) &&
                        (ext == "emf" || ext == "wmf" || ext == "flv" || ext == "swf"))
                        add(FindingKind::PictureNotForBrowsers, Severity::Warning, m.place,
                            "Os navegadores non mostran " + quotedGl(bareFileName(path)) +
                                ": usa unha imaxe PNG, JPEG ou GIF.",
                            "browsers do not show " + quotedEn(bareFileName(path)) +
                                ": use a PNG, JPEG or GIF picture");
                } else if (playsSounds(f) && ext != "mp3") {
                    add(FindingKind::SoundNotMp3, Severity::Warning, m.place,
                        "O son " + quotedGl(bareFileName(path)) +
                            " non é MP3: pode que algúns navegadores non o reproduzan.",
                        "the sound " + quotedEn(bareFileName(path)) +
                            " is not MP3: some browsers may not play it");
                }
            }
        }
        if (f == Format::JavaScript) {
            if (g_.endWell.empty())
                add(FindingKind::EndMessageEmpty, Severity::Warning, generalPlace(GeneralField::EndWell),
                    "A mensaxe «Xogo finalizado ben.» está baleira: na páxina con autocorrección, o "
                    "aviso do resultado empezará sen texto.",
                    "the message for a game ended well is empty: the self-marking page's result "
                    "box then starts with nothing");
            if (g_.endBad.empty())
                add(FindingKind::EndMessageEmpty, Severity::Warning, generalPlace(GeneralField::EndBad),
                    "A mensaxe «Xogo finalizado mal.» está baleira: na páxina con autocorrección, o "
                    "aviso do resultado empezará sen texto.",
                    "the message for a game ended badly is empty: the self-marking page's result "
                    "box then starts with nothing");
        }
        if (f == Format::Html && !options_.shuffleAnswers)
            add(FindingKind::AnswersNotShuffled, Severity::Warning,
                generalPlace(GeneralField::ShuffleAnswers),
                "«Revolver respostas» está desmarcado: na páxina HTML, a resposta correcta será a "
                "primeira en todas as preguntas.",
                "'Revolver respostas' is clear: on the form page the correct answer is the first "
                "of every question");
        if (f == Format::Scorm && webgame::manifestTitleShortened(g_))
            add(FindingKind::TitleShortened, Severity::Warning, generalPlace(GeneralField::Title),
                "O título ten máis de " + std::to_string(webgame::kManifestTitleLimit) +
                    " caracteres: a plataforma verá só os " +
                    std::to_string(webgame::kManifestTitleLimit) +
                    " primeiros (o xogo mostra o título enteiro).",
                "the title is longer than " + std::to_string(webgame::kManifestTitleLimit) +
                    " characters: the package's manifest gives the platform only the first " +
                    std::to_string(webgame::kManifestTitleLimit) + " (the game shows it whole)");
        if (f == Format::Ebk)
            bookCodePage();
        kindsNotCarried(f);
    }

    // The questions of a kind the format cannot ask, which its writer leaves out.
    void kindsNotCarried(Format f) {
        const unsigned leftOut = formatInfo(f).kindsLeftOut;
        if (!leftOut)
            return;
        struct Names {
            const char* gl;
            const char* en;
        };
        const Names format = f == Format::Html         ? Names{"A páxina HTML", "the form page"}
                             : f == Format::JavaScript ? Names{"A páxina con autocorrección", "the self-marking page"}
                             : f == Format::Ebk        ? Names{"O libro", "the book"}
                             : f == Format::Aiken      ? Names{"Aiken", "Aiken"}
                                                       : Names{formatInfo(f).name, formatInfo(f).name};
        for (int k : written_) {
            const Question& q = model_.questions.record(k);
            if (!leavesOutKind(q, leftOut))
                continue;
            const bool typed = q.kind == QuestionKind::Short;
            add(FindingKind::KindNotCarried, Severity::Warning, questionPlace(k, FieldSlot::enunciado),
                std::string(format.gl) + " non leva preguntas de " +
                    (typed ? "resposta curta" : "varias respostas") + ": esta quedará fóra.",
                std::string(format.en) + " does not carry " + (typed ? "short-answer" : "several-answer") +
                    " questions: this one is left out");
        }
    }

    // What the book writes, in the order it writes it.
    void bookCodePage() {
        auto check = [&](const ReviewPlace& place, const std::string& text) {
            const std::string c = firstOutsideCp1252(text);
            if (!c.empty())
                add(FindingKind::NotInCodePage, Severity::Warning, place,
                    "O texto ten caracteres que o libro non pode gardar en Windows-1252 (como " +
                        quotedGl(c) + "): quedarán como referencias numéricas.",
                    "the text has characters the book cannot hold in Windows-1252 (such as " +
                        quotedEn(c) + "): they become numeric references");
        };
        check(generalPlace(GeneralField::Title), g_.title);
        check(generalPlace(GeneralField::Subtitle), g_.subtitle);
        check(generalPlace(GeneralField::Author), g_.author);
        check(generalPlace(GeneralField::Help), g_.help);
        if (!g_.endWell.empty()) {
            check(generalPlace(GeneralField::EndWellSound), bareFileName(g_.endWellSound));
            check(generalPlace(GeneralField::EndWell), g_.endWell);
        }
        if (!g_.endBad.empty()) {
            check(generalPlace(GeneralField::EndBadSound), bareFileName(g_.endBadSound));
            check(generalPlace(GeneralField::EndBad), g_.endBad);
        }
        for (int k : written_) {
            const Question& q = model_.questions.record(k);
            if (leavesOutKind(q, formatInfo(Format::Ebk).kindsLeftOut))
                continue; // not in the book
            for (FieldSlot s : {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                                FieldSlot::resposta3, FieldSlot::resposta4})
                check(questionPlace(k, s), q[s]);
            check(questionPlace(k, FieldSlot::imaxe), bareFileName(q[FieldSlot::imaxe]));
            check(questionPlace(k, FieldSlot::son), bareFileName(q[FieldSlot::son]));
        }
    }

    const GeneralData& g_;
    const QuizModel& model_;
    const ReviewOptions& options_;
    const ReviewFiles& files_;
    std::optional<Question> common_; // a new question's fields
    int count_ = 0;
    std::vector<int> written_;
    std::vector<Text> texts_;
    std::vector<Media> media_;
    std::vector<ReviewFinding> found_;
};

class SystemFiles : public ReviewFiles {
public:
    FileFacts probe(const std::string& path) const override {
        FileFacts facts;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            facts.state = (errno == ENOENT || errno == ENOTDIR) ? FileFacts::State::Missing
                                                                : FileFacts::State::Unreadable;
            return facts;
        }
        if (!S_ISREG(st.st_mode)) {
            facts.state = FileFacts::State::NotRegular;
            return facts;
        }
        if (!io::openRegularForReading(path).valid()) {
            facts.state = FileFacts::State::Unreadable;
            return facts;
        }
        facts.state = FileFacts::State::Regular;
        facts.device = static_cast<std::uint64_t>(st.st_dev);
        facts.inode = static_cast<std::uint64_t>(st.st_ino);
        return facts;
    }
};

} // namespace

const ReviewFiles& systemFiles() {
    static const SystemFiles files;
    return files;
}

std::vector<ReviewFinding> reviewQuiz(const GeneralData& general, const QuizModel& model,
                                      const ReviewOptions& options) {
    return Review(general, model, options).run();
}

std::size_t errorCount(const std::vector<ReviewFinding>& findings) {
    return static_cast<std::size_t>(std::count_if(
        findings.begin(), findings.end(),
        [](const ReviewFinding& f) { return f.severity == Severity::Error; }));
}

std::string placeNameEn(const ReviewPlace& place) {
    switch (place.area) {
    case ReviewArea::General:
        return "general";
    case ReviewArea::End:
        return "end";
    case ReviewArea::Question:
        break;
    }
    return "question " + std::to_string(place.question);
}

std::string placeNameGl(const ReviewPlace& place) {
    switch (place.area) {
    case ReviewArea::General:
        // The form page's shuffle box is on the save page's "HTML" tab.
        return place.field == GeneralField::ShuffleAnswers ? "HTML" : "Inicio";
    case ReviewArea::End:
        return "Final";
    case ReviewArea::Question:
        break;
    }
    return "Pregunta " + std::to_string(place.question);
}

std::string reviewLine(const ReviewFinding& finding) {
    return placeNameEn(finding.place) +
           (finding.severity == Severity::Error ? ": error: " : ": warning: ") + finding.textEn;
}

} // namespace vireta
