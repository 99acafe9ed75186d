#include "formats/format_note.h"

namespace vireta {
namespace {

struct Texts {
    const char* english;
    const char* galician;
};

// %s stands for the note's detail.
Texts textsOf(NoteReason r) {
    switch (r) {
    case NoteReason::Numerical:
        return {"numerical question: not multiple choice",
                "pregunta numérica: non é de escolla múltiple"};
    case NoteReason::Matching:
        return {"matching question: not multiple choice",
                "pregunta de emparellar: non é de escolla múltiple"};
    case NoteReason::Essay:
        return {"essay question: not multiple choice",
                "pregunta de redacción: non é de escolla múltiple"};
    case NoteReason::Cloze:
        return {"embedded-answers (cloze) question: not multiple choice",
                "pregunta de respostas incrustadas: non é de escolla múltiple"};
    case NoteReason::Description:
        return {"description: not a question", "descrición: non é unha pregunta"};
    case NoteReason::OtherKind:
        return {"question of type '%s': not multiple choice",
                "pregunta de tipo «%s»: non é de escolla múltiple"};
    case NoteReason::NoRightAnswer:
        return {"no right answer: not imported", "ningunha resposta correcta: non se importou"};
    case NoteReason::SeveralRightAnswers:
        return {"several right answers: not imported",
                "varias respostas correctas: non se importou"};
    case NoteReason::NoAnswers:
        return {"no answers: not imported", "sen respostas: non se importou"};
    case NoteReason::NoStatement:
        return {"no question text: not imported", "sen texto da pregunta: non se importou"};
    case NoteReason::WrongAnswersCut:
        return {"%s wrong answer(s) beyond the third left out",
                "%s resposta(s) incorrecta(s) despois da terceira quedaron fóra"};
    case NoteReason::Weighted:
        return {"weighted answers: only the 100 % answer is right, the others are wrong",
                "respostas con peso: só a do 100 % é correcta, as outras son incorrectas"};
    case NoteReason::GeneralFeedbackLeftOut:
        return {"general feedback left out", "a retroacción xeral quedou fóra"};
    case NoteReason::AnswersCut:
        return {"%s answer(s) left out: a question holds four, the right ones first",
                "%s resposta(s) quedaron fóra: unha pregunta ten catro, primeiro as correctas"};
    case NoteReason::UnreadableWeight:
        return {"the weight of answer '%s' cannot be read: taken as wrong",
                "non se pode ler o peso da resposta «%s»: tómase como incorrecta"};
    case NoteReason::NotAcceptedLeftOut:
        return {"%s answer(s) below 100 % left out: a short answer keeps only the accepted ones",
                "%s resposta(s) por debaixo do 100 % quedaron fóra: unha resposta curta só garda "
                "as aceptadas"};
    case NoteReason::CaseSensitive:
        return {"answers told apart by case: here they are accepted in any case",
                "respostas que distinguen maiúsculas e minúsculas: aquí acéptanse sen distinguilas"};
    case NoteReason::UnclosedBraces:
        return {"no closing '}': not imported", "falta a «}» de peche: non se importou"};
    case NoteReason::NoAnswerLine:
        return {"no ANSWER line after the options: not imported",
                "falta a liña ANSWER despois das opcións: non se importou"};
    case NoteReason::OneOption:
        return {"only one option: not imported", "só unha opción: non se importou"};
    case NoteReason::UnknownAnswerLetter:
        return {"ANSWER '%s' names no option: not imported",
                "ANSWER «%s» non corresponde a ningunha opción: non se importou"};
    case NoteReason::UnexpectedLine:
        return {"line is neither an option nor ANSWER: question not imported",
                "a liña non é unha opción nin ANSWER: a pregunta non se importou"};
    case NoteReason::UnknownColumn:
        return {"column '%s' not imported", "a columna «%s» non se importou"};
    case NoteReason::CellsBeyondColumns:
        return {"cells beyond the known columns not imported",
                "as celas fóra das columnas coñecidas non se importaron"};
    case NoteReason::EmbeddedFileLeftOut:
        return {"embedded file '%s' left out", "o arquivo incrustado «%s» quedou fóra"};
    case NoteReason::LinkedSoundLeftOut:
        return {"link to the sound '%s' left out", "a ligazón ao son «%s» quedou fóra"};
    case NoteReason::MediaNotWritten:
        return {"cannot write '%s': left out", "non se puido escribir «%s»: quedou fóra"};
    case NoteReason::QuizFull:
        return {"%s question(s) did not fit: a quiz holds at most 200",
                "%s pregunta(s) non caben: un cuestionario ten como moito 200"};
    case NoteReason::UnknownKind:
        return {"kind '%s' unknown: read as one answer",
                "tipo «%s» descoñecido: lese como pregunta dunha resposta"};
    case NoteReason::RightNumbersIgnored:
        return {"'Correctas' left out: only a several-answer question has it",
                "«Correctas» quedou fóra: só a leva unha pregunta de varias respostas"};
    case NoteReason::UnknownRightNumber:
        return {"'Correctas' item '%s' names no answer: left out",
                "«%s» en «Correctas» non corresponde a ningunha resposta: quedou fóra"};
    case NoteReason::NotTrueOrFalse:
        return {"true or false, but the right answer '%s' is neither Verdadeiro nor Falso: not imported",
                "verdadeiro ou falso, pero a resposta correcta «%s» non é Verdadeiro nin Falso: "
                "non se importou"};
    case NoteReason::TrueFalseExtraLeftOut:
        return {"true or false: answers other than Verdadeiro and Falso left out",
                "verdadeiro ou falso: as respostas que non son Verdadeiro e Falso quedaron fóra"};
    case NoteReason::MessageWithoutAnswer:
        return {"message %s has no answer: left out", "a mensaxe %s non ten resposta: quedou fóra"};
    case NoteReason::RightAnswerMissing:
        return {"no right answer: left out", "sen resposta correcta: quedou fóra"};
    case NoteReason::NotCarried:
        return {"%s does not carry: ", "%s non leva: "};
    case NoteReason::MediaUnreadable:
        return {"cannot read '%s': left out", "non se puido ler «%s»: quedou fóra"};
    case NoteReason::SeveralLeftOut:
        return {"several-answer question: left out", "pregunta de varias respostas: quedou fóra"};
    case NoteReason::ShortLeftOut:
        return {"short-answer question: left out", "pregunta de resposta curta: quedou fóra"};
    }
    return {"", ""};
}

const Texts kFieldNames[] = {
    {"picture", "imaxe"},
    {"sound", "son"},
    {"right-answer message", "mensaxe de acerto"},
    {"wrong-answer message", "mensaxe de erro"},
    {"right-answer sound", "son de acerto"},
    {"wrong-answer sound", "son de erro"},
    {"link", "ligazón"},
    {"answers' messages", "mensaxes das respostas"},
};

std::string compose(const FormatNote& n, bool english) {
    std::string out;
    if (!n.name.empty())
        out = (english ? "question '" : "pregunta «") + n.name + (english ? "': " : "»: ");
    else if (n.line > 0)
        out = (n.reason == NoteReason::NotCarried || n.reason == NoteReason::MediaUnreadable ||
                       n.reason == NoteReason::RightAnswerMissing ||
                       n.reason == NoteReason::SeveralLeftOut || n.reason == NoteReason::ShortLeftOut
                   ? (english ? "question " : "pregunta ")
                   : (english ? "line " : "liña ")) +
              std::to_string(n.line) + ": ";
    const Texts t = textsOf(n.reason);
    std::string text = english ? t.english : t.galician;
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, n.detail);
    out += text;
    if (n.reason == NoteReason::NotCarried) {
        bool first = true;
        for (unsigned i = 0; i < sizeof kFieldNames / sizeof kFieldNames[0]; ++i) {
            if (n.fields & (1u << i)) {
                out += first ? "" : ", ";
                out += english ? kFieldNames[i].english : kFieldNames[i].galician;
                first = false;
            }
        }
    }
    return out;
}

} // namespace

unsigned filledFields(const Question& q, unsigned mask) {
    const FieldSlot slots[] = {FieldSlot::imaxe, FieldSlot::son,    FieldSlot::ben,
                               FieldSlot::mal,   FieldSlot::sonben, FieldSlot::sonmal,
                               FieldSlot::enlace};
    unsigned filled = 0;
    for (unsigned i = 0; i < 7; ++i)
        if ((mask & (1u << i)) && !q[slots[i]].empty())
            filled |= 1u << i;
    for (int n = 1; n <= kAnswerCount && (mask & kAnswerMessagesField); ++n)
        if (!q[answerSlot(n)].empty() && !q.answerMessage(n).empty())
            filled |= kAnswerMessagesField;
    return filled;
}

std::string FormatNote::english() const { return compose(*this, true); }
std::string FormatNote::galician() const { return compose(*this, false); }

} // namespace vireta
