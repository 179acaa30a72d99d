// The results window opened on a made history of 1,000 graded tests (reading the record, filling the lists
// and the chart, showing and painting), beside its floor: a bare Qt window that reads the same tests with
// raw SQLite and shows them in a QTableWidget, built, shown and painted afresh each time. The opening
// should stay within 1.5 times the floor.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <optional>

#include "app/frm_main.h"
#include "app/kit.h"
#include "bench/bench_bank.h"
#include "bench/made_history.h"
#include "results/frm_rezultate.h"
#include "results/overview.h"
#include "results/row_list.h"
#include "startup/start_up.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"

namespace {

constexpr int kTests = 1000;

class NoBoxes : public app::Boxes {
public:
    void notice(const QString&) override {}
    void message(QWidget*, const QString&, const QString&) override {}
    void error(const QString& text) override { fprintf(stderr, "error: %s\n", qPrintable(text)); }
};

// Each benchmark on its own bank with the same history.
std::unique_ptr<fixture::Folder> bankWithHistory()
{
    std::unique_ptr<fixture::Folder> bank = bench::makeBank();
    bench::makeHistory(bank->path(), kTests);
    return bank;
}

void BM_ResultsWindowOpen1000(benchmark::State& state)
{
    const std::unique_ptr<fixture::Folder> bank = bankWithHistory();
    NoBoxes boxes;
    app::Kit kit;
    kit.setBoxes(&boxes);
    std::optional<fixture::TestProgram> program(std::in_place, kit, bank->path());
    TfrmRezultate* const frmRezultate = program->windows().frmRezultate;
    for (auto _ : state) {
        // As the menu opens it: shown (which reads the record), then painted whole.
        kit.showWindow(frmRezultate);
        QCoreApplication::processEvents();
        const QPixmap painted = frmRezultate->grab();
        benchmark::DoNotOptimize(painted);
        state.PauseTiming();
        if (frmRezultate->lstIstoric->count() != kTests)
            state.SkipWithError("the window does not show the made history");
        kit.closeWindow(frmRezultate);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    program.reset();
}
BENCHMARK(BM_ResultsWindowOpen1000)->Unit(benchmark::kMillisecond);

void BM_BareTableWindow1000(benchmark::State& state)
{
    const std::unique_ptr<fixture::Folder> bank = bankWithHistory();
    const store::SqliteHandle db(bank->databasePath(), SQLITE_OPEN_READONLY);
    if (!db.ok()) {
        state.SkipWithError("cannot open the bank");
        return;
    }
    for (auto _ : state) {
        QWidget window;
        auto* table = new QTableWidget(0, 5, &window);
        (new QVBoxLayout(&window))->addWidget(table);
        store::Statement select(
            db.get(), "SELECT Data, Nota, Corecte, Gresite, Procent FROM Rezultate ORDER BY Data DESC, Id DESC");
        int row = 0;
        while (select.step() == store::Statement::Step::Row) {
            table->insertRow(row);
            for (int column = 0; column < 5; ++column)
                table->setItem(row, column, new QTableWidgetItem(QString::fromStdString(select.text(column))));
            ++row;
        }
        window.resize(1350, 698);
        window.show();
        QCoreApplication::processEvents();
        const QPixmap painted = window.grab();
        benchmark::DoNotOptimize(painted);
        state.PauseTiming();
        if (row != kTests)
            state.SkipWithError("the table does not hold the made history");
        window.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareTableWindow1000)->Unit(benchmark::kMillisecond);

}  // namespace
namespace {

// Of the opening, the reading of the record alone.
void BM_LoadOverview1000(benchmark::State& state)
{
    const std::unique_ptr<fixture::Folder> bank = bankWithHistory();
    NoBoxes boxes;
    app::Kit kit;
    kit.setBoxes(&boxes);
    std::optional<fixture::TestProgram> program(std::in_place, kit, bank->path());
    for (auto _ : state) {
        const results::Overview overview = results::loadOverview(program->data());
        benchmark::DoNotOptimize(overview);
    }
    program.reset();
}
BENCHMARK(BM_LoadOverview1000)->Unit(benchmark::kMillisecond);

}  // namespace
