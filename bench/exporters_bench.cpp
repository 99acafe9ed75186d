// The three exports of a full quiz of 200 questions against the quiz file writer on
// the same quiz (the baseline): each writes about as many lines; the pages add the
// shuffles and, without UTF-8, the conversion of the whole buffer.
#include "formats/book.h"
#include "formats/form_page.h"
#include "formats/marking_page.h"
#include "formats/quiz_file.h"

#include <benchmark/benchmark.h>

namespace {

struct FullQuiz {
    vireta::GeneralData general;
    vireta::QuestionTable questions;
};

const FullQuiz& fullQuiz() {
    static const FullQuiz quiz = [] {
        FullQuiz z;
        z.general.title = "Os ríos de Galicia & outros";
        z.general.endWell = "Moi \"ben\"";
        z.general.endWellSound = "/sons/ben.wav";
        z.general.endBad = "Mal";
        for (int k = 1; k <= vireta::kQuestionCapacity; ++k) {
            vireta::Question& q = z.questions.record(k);
            q[vireta::FieldSlot::enunciado] = "Pregunta número " + std::to_string(k) + ": cal é?";
            for (int a = 1; a <= 4; ++a)
                q[vireta::answerSlot(a)] = "Resposta " + std::to_string(a) + " á pregunta";
            q[vireta::FieldSlot::imaxe] = "/imaxes/foto" + std::to_string(k) + ".jpg";
            q[vireta::FieldSlot::son] = "/sons/son" + std::to_string(k) + ".mp3";
        }
        return z;
    }();
    return quiz;
}

template <typename Write>
void run(benchmark::State& state, Write write) {
    const FullQuiz& z = fullQuiz();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        vireta::OutputBuffer out;
        write(z, out);
        bytes += static_cast<std::int64_t>(out.text().size());
        benchmark::DoNotOptimize(out.text().data());
    }
    state.SetBytesProcessed(bytes);
}

void BM_QuizFile(benchmark::State& state) {
    run(state, [](const FullQuiz& z, vireta::OutputBuffer& out) {
        vireta::writeQuizFile(z.general, z.questions, vireta::kQuestionCapacity, out);
    });
}

void BM_FormPage(benchmark::State& state) {
    vireta::ExportSettings s;
    s.utf8 = state.range(0) != 0;
    s.shuffleAnswers = true;
    run(state, [&](const FullQuiz& z, vireta::OutputBuffer& out) {
        vireta::ShuffleGenerator g;
        vireta::writeFormPage(z.general, z.questions, vireta::kQuestionCapacity, s, g, out);
    });
}

void BM_MarkingPage(benchmark::State& state) {
    vireta::ExportSettings s;
    s.utf8 = state.range(0) != 0;
    run(state, [&](const FullQuiz& z, vireta::OutputBuffer& out) {
        vireta::ShuffleGenerator g;
        vireta::writeMarkingPage(z.general, z.questions, vireta::kQuestionCapacity, s, g, out);
    });
}

void BM_Book(benchmark::State& state) {
    run(state, [](const FullQuiz& z, vireta::OutputBuffer& out) {
        vireta::writeBook(z.general, z.questions, vireta::kQuestionCapacity, out);
    });
}

} // namespace

BENCHMARK(BM_QuizFile);
BENCHMARK(BM_FormPage)->ArgName("utf8")->Arg(1)->Arg(0);
BENCHMARK(BM_MarkingPage)->ArgName("utf8")->Arg(1)->Arg(0);
BENCHMARK(BM_Book);
BENCHMARK_MAIN();
