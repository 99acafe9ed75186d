#include "formats/quiz_file.h"

#include "model/question_editor.h"
#include "io/save_problem.h"
#include "text.h"
#include "xml/xml_parser.h"

#include <algorithm>
#include <cctype>
#include <new>

namespace vireta {

QuizFileError::QuizFileError(std::string path, const std::string& reason, std::string userReason,
                             std::optional<TextPosition> position)
    : std::runtime_error(reason), path_(std::move(path)), userReason_(std::move(userReason)),
      position_(position) {}

std::string QuizFileError::userMessage() const { return "Erro no arquivo :" + path_; }

namespace {

bool isBlank(char c) { return isBlankByte(c); }

std::string trimmed(std::string_view s) { return std::string(trimBlanks(s)); }

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The character of a numeric reference body ("233", "xE9"); false when the body is
// not a number or names no Unicode scalar value other than NUL.
bool numericReference(std::string_view body, char32_t& cp) {
    const bool hex = !body.empty() && body[0] == 'x';
    if (hex)
        body.remove_prefix(1);
    if (body.empty())
        return false;
    unsigned long v = 0;
    for (char c : body) {
        const int d = hex ? hexValue(c) : (isDigit(c) ? c - '0' : -1);
        if (d < 0)
            return false;
        v = v * (hex ? 16 : 10) + static_cast<unsigned long>(d);
        if (v > 0x10FFFF)
            return false;
    }
    if (v == 0 || (v >= 0xD800 && v <= 0xDFFF))
        return false;
    cp = static_cast<char32_t>(v);
    return true;
}

const char* predefinedEntity(std::string_view name) {
    if (name == "lt")
        return "<";
    if (name == "gt")
        return ">";
    if (name == "amp")
        return "&";
    if (name == "apos")
        return "'";
    if (name == "quot")
        return "\"";
    return nullptr;
}

} // namespace

std::string decodeReferences(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, amp - i));
        // A reference body is short and holds no blank, '&' or '<'.
        std::size_t semi = amp + 1;
        while (semi < text.size() && semi - amp <= 32 && text[semi] != ';' && text[semi] != '&' &&
               text[semi] != '<' && !isBlank(text[semi]))
            ++semi;
        if (semi >= text.size() || text[semi] != ';') {
            out += '&';
            i = amp + 1;
            continue;
        }
        const std::string_view body = text.substr(amp + 1, semi - amp - 1);
        char32_t cp;
        if (!body.empty() && body[0] == '#' && numericReference(body.substr(1), cp)) {
            appendUtf8(out, cp);
        } else if (const char* ch = predefinedEntity(body)) {
            out += ch;
        } else {
            out.append(text.substr(amp, semi - amp + 1));
        }
        i = semi + 1;
    }
    return out;
}

std::string confinedMediaName(std::string_view name) {
    bool reduce = false;
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        reduce = true; // absolute (or a network path)
    if (name.size() >= 2 && isAsciiLetter(name[0]) && name[1] == ':')
        reduce = true; // drive letter
    for (std::size_t start = 0; !reduce && start <= name.size();) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        if (name.substr(start, end - start) == "..")
            reduce = true;
        start = end + 1;
    }
    std::string out = reduce ? bareFileName(name) : std::string(name);
    if (out == "." || out == "..")
        out.clear();
    return out;
}

namespace {

// The pass mark written as `aprobado`: a whole number 0..100 (blanks around it
// allowed); anything else is the default.
int passMarkOf(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty())
        return kDefaultPassMark;
    int value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return kDefaultPassMark;
        value = std::min(value * 10 + (c - '0'), 1000); // past 100 is past it for good
    }
    return value <= 100 ? value : kDefaultPassMark;
}

// LoadItem's walk over the `xogo` element.
class QuizReader {
public:
    QuizReader(const TXMLDoc& doc, const std::string& folder, const std::string& path)
        : folder_(folder), path_(path) {
        std::string enc = doc.declaration().encoding();
        for (char& c : enc)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        utf8_ = enc == "utf-8";
    }

    OpenedQuiz read(const TXMLNode& xogo) {
        OpenedQuiz quiz;
        quiz.folder = folder_;
        GeneralData& g = quiz.general;
        std::string order;
        // A root without attributes is read as a quiz without general data or questions.
        if (xogo.isElementWithAttributes()) {
            if (const TXMLAttribute* mark = xogo.attributes().find("aprobado"))
                g.passMark = passMarkOf(mark->value());
            for (const TXMLNode& child : xogo.children()) {
                if (!child.isElement())
                    fail("a node that is not an element lies directly inside xogo",
                         "Dentro de «xogo» hai algo que non é un elemento (texto ou un comentario)");
                const std::string_view name = child.name();
                if (name == "titulo")
                    g.title = valueOf(child);
                else if (name == "subtitulo")
                    g.subtitle = valueOf(child);
                else if (name == "autor")
                    g.author = valueOf(child);
                else if (name == "intro") {
                    g.intro = toCrLf(valueOf(child));
                    soundOf(child, g.introSound);
                } else if (name == "axuda")
                    g.help = valueOf(child);
                else if (name == "tempo")
                    g.time = valueOf(child);
                else if (name == "orde")
                    order = valueOf(child);
                else if (name == "ben") {
                    g.endWell = valueOf(child);
                    soundOf(child, g.endWellSound);
                } else if (name == "mal") {
                    g.endBad = valueOf(child);
                    soundOf(child, g.endBadSound);
                } else if (name == "preguntas")
                    readQuestions(child, quiz.questions);
            }
        }
        g.inOrder = order == "1";
        quiz.notes = std::move(notes_);
        return quiz;
    }

    [[noreturn]] void fail(const std::string& reason, const std::string& userReason) const {
        throw QuizFileError(path_, reason, userReason);
    }

private:
    std::string converted(std::string_view raw) const {
        bool plain = true; // ASCII without references: nothing to convert or decode
        for (char c : raw) {
            if (static_cast<unsigned char>(c) >= 0x80 || c == '&') {
                plain = false;
                break;
            }
        }
        if (plain)
            return std::string(raw);
        return decodeReferences(utf8_ ? utf8FromFile(raw) : cp1252ToUtf8(raw));
    }

    // The trimmed text of the element's first node; empty unless that node is text.
    std::string valueOf(const TXMLNode& element) const {
        const TXMLNode* first = element.child(0);
        if (first == nullptr || first->kind() != TXMLNode::Kind::Text)
            return {};
        // In a UTF-8 file the document's own reading of the text (references
        // replaced, stripped) is the text; only bytes that are no UTF-8 remain to
        // be converted. In another encoding the file's bytes are converted first.
        if (utf8_)
            return utf8FromFile(first->name());
        return trimmed(converted(first->value()));
    }

    std::string mediaPath(const std::string& name) const {
        const std::string confined = confinedMediaName(name);
        return confined.empty() ? std::string() : folder_ + confined;
    }

    // A non-empty `son` attribute sets `field`; otherwise it keeps what it held.
    void soundOf(const TXMLNode& element, std::string& field) const {
        if (const TXMLAttribute* son = element.attributes().find("son")) {
            const std::string path = mediaPath(converted(son->value()));
            if (!path.empty())
                field = path;
        }
    }

    void readQuestions(const TXMLNode& preguntas, std::vector<Question>& questions) {
        for (const TXMLNode& child : preguntas.children()) {
            // Every child takes a question number, whatever it is.
            if (questions.size() >= static_cast<std::size_t>(kQuestionCapacity))
                fail("more than " + std::to_string(kQuestionCapacity) + " questions",
                     "O arquivo ten máis de " + std::to_string(kQuestionCapacity) + " preguntas");
            questions.emplace_back();
            questionNumber_ = static_cast<int>(questions.size());
            if (child.isElement() && child.name() == "pregunta")
                readQuestion(child, questions.back());
        }
    }

    void readQuestion(const TXMLNode& pregunta, Question& q) {
        if (const TXMLAttribute* tipo = pregunta.attributes().find("tipo")) {
            const std::string name = converted(tipo->value());
            if (const auto kind = kindNamed(name))
                q.kind = *kind;
            else
                notes_.push_back("question " + std::to_string(questionNumber_) + ": unknown kind '" +
                                 name + "', read as one answer");
        }
        int answers = 0;
        for (const TXMLNode& child : pregunta.children()) {
            if (!child.isElement())
                fail("a node that is not an element lies directly inside pregunta",
                     "Dentro dunha «pregunta» hai algo que non é un elemento (texto ou un comentario)");
            const std::string_view name = child.name();
            if (name == "enunciado")
                q[FieldSlot::enunciado] = valueOf(child);
            else if (name == "resposta") {
                if (++answers <= 4) { // a fifth answer and later ones are ignored
                    q[answerSlot(answers)] = valueOf(child);
                    const auto& attributes = child.attributes();
                    if (const TXMLAttribute* right = attributes.find("correcta"))
                        q.marked[static_cast<std::size_t>(answers - 1)] = converted(right->value()) == "si";
                    if (const TXMLAttribute* retro = attributes.find("retro"))
                        q.answerMessage(answers) = converted(retro->value());
                }
            } else if (name == "enlace")
                q[FieldSlot::enlace] = valueOf(child);
            else if (name == "imaxe")
                q[FieldSlot::imaxe] = mediaPath(valueOf(child));
            else if (name == "son")
                q[FieldSlot::son] = mediaPath(valueOf(child));
            else if (name == "ben") {
                q[FieldSlot::ben] = valueOf(child);
                soundOf(child, q[FieldSlot::sonben]);
            } else if (name == "mal") {
                q[FieldSlot::mal] = valueOf(child);
                soundOf(child, q[FieldSlot::sonmal]);
            }
        }
        if (q.kind != QuestionKind::Several)
            q.marked = {}; // only the answers of a Several are marked
    }

    bool utf8_ = false;
    int questionNumber_ = 0;
    std::vector<std::string> notes_;
    const std::string& folder_;
    const std::string& path_;
};

} // namespace

OpenedQuiz readQuiz(const TXMLDoc& doc, const std::string& folder, const std::string& path) {
    QuizReader reader(doc, folder, path);
    const TXMLNode* first = doc.node(0);
    if (first == nullptr)
        reader.fail("the file is empty", "O arquivo está baleiro");
    if (!first->isElement() || first->name() != "xogo")
        reader.fail("the document does not start with the element xogo",
                    "O arquivo non comeza polo elemento «xogo»: non é un cuestionario");
    return reader.read(*first);
}

namespace {

// The reason of a parse error for the teacher, after its line and column.
std::string galicianXmlReason(const EXMLException& e) {
    const std::string& subject = e.subject();
    switch (e.problem()) {
    case XmlProblem::NoRootElement:
        return "non ten ningún elemento";
    case XmlProblem::OutsideRootElement:
        return "hai texto ou outro elemento fóra do elemento principal";
    case XmlProblem::DocumentType:
        return "non se admiten declaracións de tipo de documento («<!DOCTYPE»)";
    case XmlProblem::DeclarationOrder:
        return "a declaración XML ten que levar «version» e despois «encoding» ou «standalone», nesta orde";
    case XmlProblem::DeclarationVersion:
        return "a versión de XML ten que ser «1.0»";
    case XmlProblem::DeclarationEncoding:
        return "o nome da codificación na declaración XML non é válido";
    case XmlProblem::DeclarationStandalone:
        return "«standalone» na declaración XML ten que ser «yes» ou «no»";
    case XmlProblem::DeclarationNotFirst:
        return "a declaración XML («<?xml») ten que ir ao principio do arquivo";
    case XmlProblem::DeclarationUnclosed:
        return "falta o «?>» que pecha a declaración XML";
    case XmlProblem::TagNameMissing:
        return "falta o nome da etiqueta despois de «<»";
    case XmlProblem::EndTagMismatch:
        return "esperábase a etiqueta de peche «</" + subject + ">»";
    case XmlProblem::TagUnclosed:
        return "falta o «>» que pecha a etiqueta «<" + subject + ">»";
    case XmlProblem::ElementUnclosed:
        return "o arquivo remata sen pechar a etiqueta «<" + subject + ">»";
    case XmlProblem::AttributeEqualMissing:
        return "falta o «=» despois do nome dun atributo";
    case XmlProblem::AttributeQuoteMissing:
        return "falta unha comiña no valor dun atributo";
    case XmlProblem::AttributeRepeated:
        return "o atributo «" + subject + "» aparece dúas veces na mesma etiqueta";
    case XmlProblem::CommentUnclosed:
        return "o comentario que comeza aquí non se pecha con «-->»";
    case XmlProblem::CommentDoubleHyphen:
        return "un comentario non pode levar dous guións seguidos («--»)";
    case XmlProblem::CDataUnclosed:
        return "a sección CDATA que comeza aquí non se pecha con «]]>»";
    case XmlProblem::InstructionTargetMissing:
        return "falta o nome da instrución de procesamento despois de «<?»";
    case XmlProblem::InstructionTargetXml:
        return "unha instrución de procesamento non pode chamarse «xml»";
    case XmlProblem::InstructionUnclosed:
        return "a instrución de procesamento que comeza aquí non se pecha con «?>»";
    case XmlProblem::ReferenceUnfinished:
        return "un «&» non comeza unha referencia completa (o signo & escríbese «&amp;»)";
    case XmlProblem::ReferenceNameInvalid:
        return "unha referencia ten un nome ou un número que non é válido";
    case XmlProblem::ReferenceNumberTooLarge:
        return "o número da referencia «" + subject + "» é demasiado grande";
    }
    return {};
}

} // namespace

OpenedQuiz openQuizFile(TXMLDoc& doc, const std::string& path) {
    // Every failure, reading the tree into the quiz included, leaves as a QuizFileError.
    try {
        doc.loadFromFile(path, TXMLDoc::TextReading::ReplaceInPlaceWhenUtf8);
        return readQuiz(doc, folderPart(path), path);
    } catch (const QuizFileError&) {
        throw;
    } catch (const FileReadError& e) {
        throw QuizFileError(path, e.what(), galicianReason(problemOfErrno(e.error())));
    } catch (const EXMLException& e) {
        const TextPosition at = e.position();
        throw QuizFileError(path, e.what(),
                            "O XML non é válido na liña " + std::to_string(at.line) + ", columna " +
                                std::to_string(at.column) + ": " + galicianXmlReason(e),
                            at);
    } catch (const std::bad_alloc& e) {
        throw QuizFileError(path, e.what(), "Non hai memoria abonda para abrir o arquivo");
    } catch (const std::exception& e) {
        throw QuizFileError(path, e.what(), "Non se puido ler o arquivo");
    }
}

OpenedQuiz openQuizFile(const std::string& path) {
    TXMLDoc doc;
    return openQuizFile(doc, path);
}

void applyOpenedQuiz(OpenedQuiz opened, QuizModel& model, GeneralData& general) {
    QuestionEditor editor(model);
    editor.reset();
    model.openedFolder = std::move(opened.folder);
    const int n = opened.count();
    for (int k = 1; k <= n; ++k)
        model.staging.record(k) = std::move(opened.questions[static_cast<std::size_t>(k - 1)]);
    editor.takeFromStaging(n);
    model.current = 1;
    general = std::move(opened.general);
}

} // namespace vireta
