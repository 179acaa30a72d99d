// Fitting a window to a small screen: the whole client area laid out, its fonts set and its pictures
// resampled at the scale a 1024 x 600 screen asks for, and back to the designed layout; per window. And
// what a window pays for being fitted on a screen that holds it: the room measured and nothing changed.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QWidget>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "app/screen_fit.h"
#include "bench/bench_bank.h"
#include "learning/frm_inv_colreg.h"
#include "startup/start_up.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/program_fixture.h"

namespace {

struct Program {
    Program() : bank(bench::makeBank()), program(kit, bank->path()), w(program.windows())
    {
        w.frmAlege->InstruciuniOperare1->trigger();
    }
    QWidget* windowAt(int index) const
    {
        QWidget* const windows[] = {w.frmMain, w.frmAlege, w.frmInv_Colreg, w.frmColreg_Proc};
        return windows[index];
    }
    std::unique_ptr<fixture::Folder> bank;
    app::Kit kit;
    fixture::TestProgram program;
    fixture::Windows w;
};

// The scale of the test window, the widest, on a 1024 x 600 screen.
constexpr double kSmallScreen = 0.757;

void BM_FitToSmallScreenAndBack(benchmark::State& state)
{
    Program program;
    QWidget* window = program.windowAt(int(state.range(0)));
    state.SetLabel(window->objectName().toStdString());
    // Shown, so that every control takes its new size at once and the text views lay their text out again.
    window->show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        app::scaleClient(window, kSmallScreen);
        // The layout the window system carries out before the next paint belongs to the fit too.
        QCoreApplication::sendPostedEvents();
        app::scaleClient(window, 1.0);
        QCoreApplication::sendPostedEvents();
    }
    // Each iteration fits twice; pictures are resampled on other threads too, so the time is real time.
    state.counters["per_fit"] =
        benchmark::Counter(2.0 * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FitToSmallScreenAndBack)->DenseRange(0, 3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_RefitOnALargeScreen(benchmark::State& state)
{
    Program program;
    QWidget* window = program.windowAt(int(state.range(0)));
    state.SetLabel(window->objectName().toStdString());
    for (auto _ : state) {
        const double f = app::fitScale(app::designedClientNeed(window), app::clientRoom(window));
        app::scaleClient(window, f);
        benchmark::DoNotOptimize(f);
    }
}
BENCHMARK(BM_RefitOnALargeScreen)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace
