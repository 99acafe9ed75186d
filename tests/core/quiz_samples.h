// Quizzes whose quiz files lie under tests/data/quiz_file, shared by the writer and
// reader tests.
#pragma once

#include "model/quiz.h"

#include <ostream>
#include <string>

namespace vireta::samples {

struct SampleQuiz {
    GeneralData general;
    QuestionTable questions;
    int count = 1;
};

inline std::string dataPath(const std::string& name) {
    return std::string(VIRETA_TEST_DATA) + "/quiz_file/" + name;
}

// What the editor holds right after a reset.
inline SampleQuiz newQuiz() {
    SampleQuiz q;
    q.general.intro = "\r\n";
    return q;
}

// Every element of the format, a multi-line introduction, media in folders.
inline SampleQuiz fullQuiz() {
    SampleQuiz q;
    GeneralData& g = q.general;
    g.title = "Os ríos de Galicia";
    g.subtitle = "Xeografía, 2º curso";
    g.author = "Uxía Pena";
    g.intro = "Le con atención.\r\nTes dez minutos.\r\n\r\nBoa sorte!";
    g.introSound = "/home/uxia/sons/intro.mp3";
    g.help = "Preme na resposta correcta.";
    g.time = "600";
    g.inOrder = true;
    g.endWell = "Moi ben!";
    g.endWellSound = "D:\\sons\\aplauso.wav";
    g.endBad = "Volve tentalo.";
    Question& r = q.questions.record(1);
    r[FieldSlot::enunciado] = "Cal é o río máis longo?";
    r[FieldSlot::resposta1] = "Miño";
    r[FieldSlot::resposta2] = "Sil";
    r[FieldSlot::resposta3] = "Ulla";
    r[FieldSlot::resposta4] = "Tambre";
    r[FieldSlot::imaxe] = "C:\\fotos\\mapa.jpg";
    r[FieldSlot::son] = "/media/rio.mp3";
    r[FieldSlot::ben] = "Certo";
    r[FieldSlot::sonben] = "sons/ben.wav";
    r[FieldSlot::mal] = "Non";
    r[FieldSlot::sonmal] = "mal.wav";
    r[FieldSlot::enlace] = "http://example.org/rios?a=1&b=2";
    q.count = 1;
    return q;
}

// Empty statements, gapped answers, sounds without messages, markup characters,
// quotes and letters outside ASCII.
inline SampleQuiz mixedQuiz() {
    SampleQuiz q;
    GeneralData& g = q.general;
    g.title = "Tom & Jerry <3 > todo";
    g.subtitle = "\"Comiñas\" e 'apóstrofos'";
    g.author = "Ánxela Núñez";
    g.introSound = "/sons/a&b <\"x\">.mp3";
    g.help = "  espazos  ";
    g.endWellSound = "/x/aplauso.wav"; // no message: not written
    g.endBadSound = "z.wav";
    Question& q1 = q.questions.record(1);
    q1[FieldSlot::enunciado] = "Primeira: 1 < 2 && 3 > 2?";
    q1[FieldSlot::resposta1] = "Si";
    q1[FieldSlot::resposta3] = "Terceira";
    q1[FieldSlot::sonben] = "x.wav";
    Question& q2 = q.questions.record(2);
    q2[FieldSlot::resposta1] = "sen enunciado";
    q2[FieldSlot::imaxe] = "/a/b.png";
    Question& q3 = q.questions.record(3);
    q3[FieldSlot::enunciado] = "Terceira: €uro “citado”";
    q3[FieldSlot::resposta1] = "Un";
    q3[FieldSlot::resposta4] = "Catro";
    q3[FieldSlot::imaxe] = "C:\\fotos\\foto.png";
    q3[FieldSlot::son] = "rel/dir/son da pregunta.ogg";
    q.questions.record(5)[FieldSlot::enunciado] = "beyond the count: not written";
    q.count = 4;
    return q;
}

// One question of every kind, with answers' own messages (quotes and markup in them).
inline SampleQuiz kindsQuiz() {
    SampleQuiz q;
    q.general.title = "Ríos";
    Question& several = q.questions.record(1);
    several.kind = QuestionKind::Several;
    several[FieldSlot::enunciado] = "Cales son ríos galegos?";
    several[FieldSlot::resposta1] = "Mondego";
    several.answerMessage(1) = "Non: é portugués.";
    several[FieldSlot::resposta2] = "Miño";
    several.answerMessage(2) = "Si: nace en Meira.";
    several.marked[1] = true;
    several[FieldSlot::resposta3] = "Ulla";
    several.marked[2] = true;
    several[FieldSlot::resposta4] = "Douro";
    Question& trueFalse = q.questions.record(2);
    trueFalse.kind = QuestionKind::TrueFalse;
    trueFalse[FieldSlot::enunciado] = "O Miño nace en Ourense.";
    trueFalse[FieldSlot::resposta1] = kFalseText;
    trueFalse.answerMessage(1) = "Ben: nace en \"Meira\" & Lugo <norte>.";
    trueFalse[FieldSlot::resposta2] = kTrueText;
    Question& typed = q.questions.record(3);
    typed.kind = QuestionKind::Short;
    typed[FieldSlot::enunciado] = "Capital de Galicia?";
    typed[FieldSlot::resposta1] = "Santiago de Compostela";
    typed[FieldSlot::resposta2] = "Santiago";
    typed[FieldSlot::ben] = "Moi ben!";
    Question& one = q.questions.record(4);
    one[FieldSlot::enunciado] = "Río máis longo?";
    one[FieldSlot::resposta1] = "Miño";
    one[FieldSlot::resposta2] = "Sil";
    one.answerMessage(2) = "O Sil é afluente do Miño.";
    q.count = 4;
    return q;
}

} // namespace vireta::samples

namespace vireta {
// Readable failure messages in tests.
inline void PrintTo(const GeneralData& g, std::ostream* os) {
    *os << "{title=\"" << g.title << "\" subtitle=\"" << g.subtitle << "\" author=\"" << g.author
        << "\" intro=\"" << g.intro << "\" introSound=\"" << g.introSound << "\" help=\"" << g.help
        << "\" time=\"" << g.time << "\" inOrder=" << g.inOrder << " endWell=\"" << g.endWell
        << "\" endWellSound=\"" << g.endWellSound << "\" endBad=\"" << g.endBad
        << "\" endBadSound=\"" << g.endBadSound << "\"}";
}
inline void PrintTo(const Question& q, std::ostream* os) {
    *os << "{" << kindName(q.kind) << " ";
    for (int i = 0; i < kFieldSlotCount; ++i)
        *os << fieldName(static_cast<FieldSlot>(i)) << "=\"" << q.fields[static_cast<std::size_t>(i)] << "\" ";
    for (int n = 1; n <= kAnswerCount; ++n) {
        if (q.marked[static_cast<std::size_t>(n - 1)] || !q.answerMessage(n).empty())
            *os << "answer" << n << (q.marked[static_cast<std::size_t>(n - 1)] ? "+" : "") << "=\""
                << q.answerMessage(n) << "\" ";
    }
    *os << "}";
}
} // namespace vireta
