// Reading files to import grows with their size and no faster: an Aiken question broken over many lines (each
// line once joined, where it once re-collapsed the whole text at every line) and a GIFT file of many questions.
// The fitted complexity is printed beside the times.

#include <benchmark/benchmark.h>

#include <QByteArray>

#include "velmaris-bank/formats/aiken.h"
#include "velmaris-bank/formats/gift.h"

namespace {

void AikenQuestionOverLines(benchmark::State& state)
{
    QByteArray file = "Întrebare lungă\n";
    for (int i = 0; i < state.range(0); ++i)
        file += "rândul " + QByteArray::number(i) + " al întrebării, cu „ghilimele” și diacritice\n";
    file += "A. a\nB. b\nC. c\nANSWER: A\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(bank::readAiken(file));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(AikenQuestionOverLines)->RangeMultiplier(2)->Range(2000, 16000)->Complexity();

void GiftQuestions(benchmark::State& state)
{
    QByteArray file;
    for (int i = 0; i < state.range(0); ++i)
        file += "::" + QByteArray::number(i) +
                " – Regula 23(a)::[html]Ce arată o navă de &icirc;n <b>noapte</b>? {\n"
                "\t=Lumina de catarg\n\t~[plain]%50% din lumini\n\t~Nimic \\= zero\n}\n\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(bank::readGift(file));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(GiftQuestions)->RangeMultiplier(4)->Range(250, 4000)->Complexity();

}  // namespace
