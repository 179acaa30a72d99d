// "Start"'s work after its notice, thirty answers and the emptying of the scratch table, beside raw SQLite
// doing the same committed inserts, updates and deletes on the same file.

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <optional>

#include "app/frm_main.h"
#include "app/kit.h"
#include "bench/bench_bank.h"
#include "startup/start_up.h"
#include "store/sqlite_handle.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/program_fixture.h"

namespace {

// The boxes are answered at once: only the work after them is measured.
class NoBoxes : public app::Boxes {
public:
    void notice(const QString&) override {}
    void message(QWidget*, const QString&, const QString&) override {}
    void error(const QString& text) override { fprintf(stderr, "error: %s\n", qPrintable(text)); }
};

struct Program {
    Program() : bank(bench::makeBank()) { kit.setBoxes(&boxes); }
    ~Program() { program.reset(); }
    NoBoxes boxes;
    // Before the program, so that it outlives the windows.
    app::Kit kit;
    std::unique_ptr<fixture::Folder> bank;
    std::optional<fixture::TestProgram> program{std::in_place, kit, bank->path()};
    TfrmMain* const frmMain = program->windows().frmMain;
    TfrmColreg_Proc* const frmColreg_Proc = program->windows().frmColreg_Proc;
};

void BM_StartDrawAndCopy30(benchmark::State& state)
{
    Program program;
    for (auto _ : state) {
        program.frmColreg_Proc->Gen_Num();
        program.frmColreg_Proc->CopFis_FisT();
        state.PauseTiming();
        program.frmColreg_Proc->InapoiClick();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartDrawAndCopy30)->Unit(benchmark::kMillisecond);

void BM_Emptying30(benchmark::State& state)
{
    Program program;
    for (auto _ : state) {
        state.PauseTiming();
        program.frmColreg_Proc->Gen_Num();
        program.frmColreg_Proc->CopFis_FisT();
        state.ResumeTiming();
        program.frmColreg_Proc->InapoiClick();
    }
}
BENCHMARK(BM_Emptying30)->Unit(benchmark::kMillisecond);

// Thirty answers, each letter stored by the move to the next question as "Confirm" does.
void BM_Answering30(benchmark::State& state)
{
    Program program;
    selftest::TestSession& session = program.frmColreg_Proc->session();
    for (auto _ : state) {
        state.PauseTiming();
        session.drawNumbers();
        session.copyDrawnQuestions();
        program.frmMain->data.tblTest.First();
        state.ResumeTiming();
        for (int i = 0; i < 30; ++i) {
            session.answer(QStringLiteral("B"));
            session.moveOn();
        }
        state.PauseTiming();
        program.frmColreg_Proc->InapoiClick();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Answering30)->Unit(benchmark::kMillisecond);

struct RawFile {
    RawFile() : bank(bench::makeBank()), handle(bank->databasePath(), SQLITE_OPEN_READWRITE), db(handle.get())
    {
        sqlite3_prepare_v2(db,
                           "SELECT Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb FROM Intrebari "
                           "WHERE Nr_Intreb = ?",
                           -1, &select, nullptr);
        sqlite3_prepare_v2(db,
                           "INSERT INTO ManInt(Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb, Rd) "
                           "VALUES (?,?,?,?,?,?,?,?,?,?,'?')",
                           -1, &insert, nullptr);
        sqlite3_prepare_v2(db, "DELETE FROM ManInt WHERE Id = ?", -1, &remove, nullptr);
        sqlite3_prepare_v2(db, "UPDATE ManInt SET Rd = 'B' WHERE Id = ?", -1, &answer, nullptr);
    }
    ~RawFile()
    {
        sqlite3_finalize(select);
        sqlite3_finalize(insert);
        sqlite3_finalize(remove);
        sqlite3_finalize(answer);
    }
    // 30 rows of the bank, read beforehand as the cursor holds them in memory.
    std::vector<std::vector<std::string>> rows()
    {
        std::vector<std::vector<std::string>> all;
        for (int n = 0; n < 30; ++n) {
            sqlite3_bind_int(select, 1, n * 9);
            sqlite3_step(select);
            std::vector<std::string> row;
            for (int i = 0; i < 10; ++i) {
                const auto* p = static_cast<const char*>(sqlite3_column_blob(select, i));
                row.emplace_back(p ? p : "", sqlite3_column_bytes(select, i));
            }
            all.push_back(std::move(row));
            sqlite3_reset(select);
        }
        return all;
    }
    void insertAll(const std::vector<std::vector<std::string>>& all)
    {
        for (const auto& row : all) {
            for (int i = 0; i < 10; ++i)
                if (i == 5)
                    sqlite3_bind_blob(insert, i + 1, row[i].data(), static_cast<int>(row[i].size()), SQLITE_STATIC);
                else
                    sqlite3_bind_text(insert, i + 1, row[i].data(), static_cast<int>(row[i].size()), SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
    }
    void deleteAll()
    {
        const sqlite3_int64 last = sqlite3_last_insert_rowid(db);
        for (sqlite3_int64 id = last - 29; id <= last; ++id) {
            sqlite3_bind_int64(remove, 1, id);
            sqlite3_step(remove);
            sqlite3_reset(remove);
        }
    }
    void answerAll()
    {
        const sqlite3_int64 last = sqlite3_last_insert_rowid(db);
        for (sqlite3_int64 id = last - 29; id <= last; ++id) {
            sqlite3_bind_int64(answer, 1, id);
            sqlite3_step(answer);
            sqlite3_reset(answer);
        }
    }
    std::unique_ptr<fixture::Folder> bank;
    store::SqliteHandle handle;
    sqlite3* db = nullptr;
    sqlite3_stmt* select = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* remove = nullptr;
    sqlite3_stmt* answer = nullptr;
};

void BM_StartFloor_Raw30CommittedInserts(benchmark::State& state)
{
    RawFile file;
    const auto rows = file.rows();
    for (auto _ : state) {
        file.insertAll(rows);
        state.PauseTiming();
        file.deleteAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartFloor_Raw30CommittedInserts)->Unit(benchmark::kMillisecond);

void BM_EmptyingFloor_Raw30CommittedDeletes(benchmark::State& state)
{
    RawFile file;
    const auto rows = file.rows();
    for (auto _ : state) {
        state.PauseTiming();
        file.insertAll(rows);
        state.ResumeTiming();
        file.deleteAll();
    }
}
BENCHMARK(BM_EmptyingFloor_Raw30CommittedDeletes)->Unit(benchmark::kMillisecond);

void BM_AnsweringFloor_Raw30CommittedUpdates(benchmark::State& state)
{
    RawFile file;
    const auto rows = file.rows();
    for (auto _ : state) {
        state.PauseTiming();
        file.insertAll(rows);
        state.ResumeTiming();
        file.answerAll();
        state.PauseTiming();
        file.deleteAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AnsweringFloor_Raw30CommittedUpdates)->Unit(benchmark::kMillisecond);

}  // namespace
