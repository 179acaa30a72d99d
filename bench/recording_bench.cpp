// "Nota" with and without its record: the grade alone (nothing judged since the last grade), and the grade
// that records a test of 30 answers, on a bank that already holds 0 or 1000 recorded tests. The difference
// is what recording adds to the press.

#include <benchmark/benchmark.h>

#include "bench/bench_bank.h"
#include "results/record.h"
#include "store/database.h"
#include "testing/test_session.h"

namespace {

struct Session {
    explicit Session(int recordedBefore) : bank(bench::makeBank())
    {
        data.open(store::bankFileIn(bank->path()));
        results::GradedTest old;
        old.when = QDateTime(QDate(2026, 1, 1), QTime(8, 0));
        for (int n = 0; n < 30; ++n)
            old.questions.push_back(
                {n * 9, QStringLiteral("Regula %1").arg(n + 1), QStringLiteral("A"), QStringLiteral("B")});
        old.wrong = 30;
        for (int i = 0; i < recordedBefore; ++i)
            results::recordTest(data, old);
        session.start();
    }
    void answerAll()
    {
        data.tblTest.First();
        for (int i = 0; i < 30; ++i) {
            session.answer(QStringLiteral("B"));
            session.moveOn();
        }
    }
    std::unique_ptr<fixture::Folder> bank;
    store::Database data;
    selftest::TestSession session{data};
};

void BM_NotaGradeOnly(benchmark::State& state)
{
    Session s(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(s.session.grade());
}
BENCHMARK(BM_NotaGradeOnly)->Unit(benchmark::kMillisecond);

void BM_NotaRecording30(benchmark::State& state)
{
    Session s(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        s.answerAll();
        state.ResumeTiming();
        const selftest::TestSession::Graded graded = s.session.grade();
        if (graded.recordFailure)
            state.SkipWithError("the record failed");
    }
}
BENCHMARK(BM_NotaRecording30)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
