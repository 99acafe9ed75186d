// Opening a quiz: the quiz reader's walk against the parse it runs on (the baseline),
// over a full quiz of 200 questions written by the quiz file writer.
#include "formats/quiz_file.h"
#include "xml/XMLParser.h"

#include <benchmark/benchmark.h>

namespace {

std::string fullQuizFile() {
    vireta::GeneralData g;
    g.title = "Os ríos de Galicia & outros";
    g.intro = "Primeira liña\r\nSegunda liña <con marcas>";
    g.introSound = "/sons/intro.mp3";
    g.endWell = "Moi ben";
    g.endWellSound = "/sons/ben.wav";
    vireta::QuestionTable t;
    for (int k = 1; k <= vireta::kQuestionCapacity; ++k) {
        vireta::Question& q = t.record(k);
        q[vireta::FieldSlot::enunciado] = "Pregunta número " + std::to_string(k) + ": cal é?";
        for (int a = 1; a <= 4; ++a)
            q[vireta::answerSlot(a)] = "Resposta " + std::to_string(a) + " á pregunta";
        q[vireta::FieldSlot::imaxe] = "/imaxes/foto" + std::to_string(k) + ".jpg";
        q[vireta::FieldSlot::son] = "/sons/son" + std::to_string(k) + ".mp3";
        q[vireta::FieldSlot::ben] = "Certo!";
        q[vireta::FieldSlot::sonben] = "/sons/ben.wav";
        q[vireta::FieldSlot::mal] = "Non é así";
        q[vireta::FieldSlot::enlace] = "http://example.org/?p=" + std::to_string(k) + "&q=1";
    }
    vireta::OutputBuffer out;
    vireta::writeQuizFile(g, t, vireta::kQuestionCapacity, out);
    return out.text();
}

void BM_ParseOnly(benchmark::State& state) {
    const std::string file = fullQuizFile();
    vireta::TXMLDoc doc;
    for (auto _ : state) {
        doc.loadFromBytes(file);
        benchmark::DoNotOptimize(doc.root());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void BM_ParseAndReadQuiz(benchmark::State& state) {
    const std::string file = fullQuizFile();
    vireta::TXMLDoc doc;
    for (auto _ : state) {
        doc.loadFromBytes(file);
        vireta::OpenedQuiz q = vireta::readQuiz(doc, "/aulas/", "/aulas/quiz.xml");
        benchmark::DoNotOptimize(q.questions.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void BM_WriteQuizFile(benchmark::State& state) {
    const std::string file = fullQuizFile();
    vireta::TXMLDoc doc;
    doc.loadFromBytes(file);
    const vireta::OpenedQuiz q = vireta::readQuiz(doc, "/aulas/", "/aulas/quiz.xml");
    vireta::QuestionTable t;
    for (int k = 1; k <= q.count(); ++k)
        t.record(k) = q.questions[static_cast<std::size_t>(k - 1)];
    for (auto _ : state) {
        vireta::OutputBuffer out;
        vireta::writeQuizFile(q.general, t, q.count(), out);
        benchmark::DoNotOptimize(out.text().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

BENCHMARK(BM_ParseOnly);
BENCHMARK(BM_ParseAndReadQuiz);
BENCHMARK(BM_WriteQuizFile);

} // namespace

BENCHMARK_MAIN();
