// Opening the four cursors on the shipped bank and on a bank ten times its size, with the database reads
// each open makes, beside a plain read of the same tables' non-picture columns: from the same file, and
// from a copy that holds no pictures at all.
//

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <map>
#include <memory>

#include "bench/bench_bank.h"
#include "bench/page_reads.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"

namespace {

const char* const kTables[] = {"Intrebari", "ManInt", "Rezultate", "Studenti"};

// The non-picture columns of a table, as a select list, rowid first.
std::string nonPictureColumns(sqlite3* db, const std::string& table)
{
    std::string list = "rowid";
    store::Statement info(db, "PRAGMA table_info(" + table + ")");
    while (info.step() == store::Statement::Step::Row)
        if (info.text(1) != "Poza")
            list += ", \"" + info.text(1) + "\"";
    return list;
}

bench::ShippedBank* bank(int times)
{
    static std::map<int, std::unique_ptr<bench::ShippedBank>> banks;
    auto& slot = banks[times];
    if (!slot)
        slot = bench::shippedBank(times);
    return slot.get();
}

// Runs `read` on the bank `times` the benchmark's argument, counting the database pages it reads.
template <class Read>
void measureReads(benchmark::State& state, Read read)
{
    bench::PageReads::install();
    bench::ShippedBank* b = bank(static_cast<int>(state.range(0)));
    if (!b) {
        state.SkipWithError("VELMARIS_BENCH_BANK is not set");
        return;
    }
    const auto before = bench::PageReads::count();
    for (auto _ : state)
        read(*b);
    state.counters["reads"] =
        benchmark::Counter(static_cast<double>(bench::PageReads::count() - before), benchmark::Counter::kAvgIterations);
}

// Opening the four cursors on a fresh connection, as start-up does.
void BM_BankOpen(benchmark::State& state)
{
    measureReads(state,
                 [](bench::ShippedBank& b) { benchmark::DoNotOptimize(bench::openFourCursors(b.folder.path())); });
}
BENCHMARK(BM_BankOpen)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

void plainRead(const std::string& path, bool wholeRows)
{
    const store::SqliteHandle handle(path, SQLITE_OPEN_READWRITE);
    sqlite3* db = handle.get();
    std::size_t bytes = 0;
    for (const char* table : kTables) {
        const std::string sql =
            "SELECT " + (wholeRows ? std::string("rowid, *") : nonPictureColumns(db, table)) + " FROM " + table;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
        std::string value;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                value.assign(p ? p : "", sqlite3_column_bytes(stmt, i));
                bytes += value.size();
            }
        sqlite3_finalize(stmt);
    }
    benchmark::DoNotOptimize(bytes);
}

// Floor: SQLite alone reading every non-picture column of the four tables of the same file.
void BM_BankOpenFloor_PlainNonPictureRead(benchmark::State& state)
{
    measureReads(state, [](bench::ShippedBank& b) { plainRead(b.folder.databasePath(), false); });
}
BENCHMARK(BM_BankOpenFloor_PlainNonPictureRead)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

// Lower floor: the same read from a file that holds no pictures at all.
void BM_BankOpenFloor_FileWithoutPictures(benchmark::State& state)
{
    measureReads(state, [](bench::ShippedBank& b) { plainRead(b.noPictures.databasePath(), true); });
}
BENCHMARK(BM_BankOpenFloor_FileWithoutPictures)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace
