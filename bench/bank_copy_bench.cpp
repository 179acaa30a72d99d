// The user's copy of the bank, made on a new user's first start: the program's way (a plain copy through
// a temporary file, synced, then renamed) against SQLite's online backup into a new file, on the same
// 8 MB bank.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <sqlite3.h>

#include <filesystem>

#include "bench/bench_bank.h"
#include "store/bank_location.h"
#include "store/sqlite_handle.h"

namespace {

void BM_UserCopy_PlainFile(benchmark::State& state)
{
    const auto bank = bench::makeBank();
    QTemporaryDir home;
    const std::string user = home.path().toStdString() + "/velmaris";
    const store::BankPlaces places{home.path().toStdString() + "/no-bank-here", bank->path(), user};
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(user);
        state.ResumeTiming();
        benchmark::DoNotOptimize(store::chooseBank(places, [](const std::string&) {}));
    }
    state.counters["MB"] = double(std::filesystem::file_size(bank->databasePath())) / 1e6;
}
BENCHMARK(BM_UserCopy_PlainFile)->Unit(benchmark::kMillisecond);

void BM_UserCopy_SqliteBackup(benchmark::State& state)
{
    const auto bank = bench::makeBank();
    QTemporaryDir home;
    const std::string target = home.path().toStdString() + "/Velmaris.mdb";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(target);
        state.ResumeTiming();
        const store::SqliteHandle from(bank->databasePath(), SQLITE_OPEN_READONLY);
        const store::SqliteHandle to(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
    }
}
BENCHMARK(BM_UserCopy_SqliteBackup)->Unit(benchmark::kMillisecond);

// What every later start pays: the two version stamps read, nothing copied.
void BM_UserCopy_AlreadyThere(benchmark::State& state)
{
    const auto bank = bench::makeBank();
    QTemporaryDir home;
    const std::string user = home.path().toStdString() + "/velmaris";
    const store::BankPlaces places{home.path().toStdString() + "/no-bank-here", bank->path(), user};
    store::chooseBank(places, [](const std::string&) {});
    for (auto _ : state)
        benchmark::DoNotOptimize(store::chooseBank(places, [](const std::string&) {}));
}
BENCHMARK(BM_UserCopy_AlreadyThere)->Unit(benchmark::kMicrosecond);

}  // namespace
