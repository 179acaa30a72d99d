// The store's costs beside what SQLite and Qt alone need for the same rows and pictures.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QWidget>

#include <sqlite3.h>

#include <vector>

#include "app/window_setup.h"
#include "bench/bench_bank.h"
#include "bench/learning_views.h"
#include "store/connection.h"
#include "store/data_source.h"
#include "store/picture.h"
#include "store/sqlite_handle.h"
#include "store/table_cursor.h"
#include "store/views/db_edit.h"
#include "store/views/db_image.h"
#include "store/views/db_memo.h"
#include "store/views/picture_placement.h"
#include "tests/support/fixture_db.h"

namespace {

// Opening the four cursors on a fresh connection, as start-up does.
void BM_OpenFourCursors(benchmark::State& state)
{
    const auto bank = bench::makeBank();
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::openFourCursors(bank->path()));
}
BENCHMARK(BM_OpenFourCursors)->Unit(benchmark::kMicrosecond);

// Floor: open the file and read every row of the four tables into strings with SQLite alone.
void BM_OpenFloor_RawRead(benchmark::State& state)
{
    const auto bank = bench::makeBank();
    for (auto _ : state) {
        const store::SqliteHandle handle(bank->databasePath(), SQLITE_OPEN_READWRITE);
        sqlite3* db = handle.get();
        std::size_t bytes = 0;
        for (const char* table : {"Intrebari", "ManInt", "Rezultate", "Studenti"}) {
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(db, (std::string("SELECT rowid, * FROM ") + table).c_str(), -1, &stmt, nullptr);
            std::vector<std::string> row;
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                row.clear();
                for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, i));
                    row.emplace_back(p ? p : "", sqlite3_column_bytes(stmt, i));
                    bytes += row.back().size();
                }
            }
            sqlite3_finalize(stmt);
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_OpenFloor_RawRead)->Unit(benchmark::kMicrosecond);

// One page step of the learning window: Next, and the six views of the bank refreshed, the text views in
// that window's font.
void BM_PageStep(benchmark::State& state)
{
    const auto bank = bench::makeBank();
    store::Connection connection;
    connection.setFile(store::bankFileIn(bank->path()));
    store::TableCursor cursor("tblIntrebari", "Intrebari");
    cursor.setConnection(&connection);
    store::DataSource source("dsIntrebari", cursor);
    bench::LearningViews views(source);
    for (auto* m : {&views.question, &views.a, &views.b, &views.c})
        m->setFont(app::windowFont(QStringLiteral("Times New Roman"), 21));
    cursor.Open();
    for (auto _ : state) {
        cursor.Next();
        if (cursor.Eof())
            cursor.First();
    }
}
BENCHMARK(BM_PageStep)->Unit(benchmark::kMicrosecond);

// Floor: read that row with SQLite and decode its BMP with Qt alone.
void BM_PageStepFloor_RawRowAndQtDecode(benchmark::State& state)
{
    const auto bank = bench::makeBank();
    const store::SqliteHandle handle(bank->databasePath(), SQLITE_OPEN_READWRITE);
    sqlite3* db = handle.get();
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT Intrebare, Sol1, Sol2, Sol3, Poza, Rb FROM Intrebari WHERE rowid = ?", -1, &stmt,
                       nullptr);
    int row = 0;
    for (auto _ : state) {
        row = row % 274 + 1;
        sqlite3_bind_int(stmt, 1, row);
        sqlite3_step(stmt);
        std::string texts[4];
        for (int i = 0; i < 4; ++i)
            texts[i] = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, 4));
        QImage image;
        if (p)
            image.loadFromData(reinterpret_cast<const uchar*>(p), sqlite3_column_bytes(stmt, 4), "BMP");
        benchmark::DoNotOptimize(image);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}
BENCHMARK(BM_PageStepFloor_RawRowAndQtDecode)->Unit(benchmark::kMicrosecond);

// A picture shown again after the cursor has let it go: read from the file, decoded and placed by the
// picture view. Twenty of the shipped bank's pictures in turn, more than the cursor keeps, so every one
// is read again.
void BM_PictureShownAgain(benchmark::State& state)
{
    const auto bank = bench::shippedBank(1);
    if (!bank) {
        state.SkipWithError("VELMARIS_BENCH_BANK is not set");
        return;
    }
    std::vector<int> withPicture;
    for (const auto& n : bank->folder.column("SELECT Nr_Intreb FROM Intrebari WHERE Poza IS NOT NULL LIMIT 20"))
        withPicture.push_back(std::stoi(n));
    store::Connection connection;
    connection.setFile(store::bankFileIn(bank->folder.path()));
    store::TableCursor cursor("tblIntrebari", "Intrebari");
    cursor.setConnection(&connection);
    store::DataSource source("dsIntrebari", cursor);
    QWidget window;
    store::DBImage picture(&window);
    picture.setGeometry(0, 0, 187, 474);
    picture.bind(source, "Poza");
    cursor.Open();
    std::size_t next = 0;
    for (auto _ : state) {
        cursor.Locate("Nr_Intreb", withPicture[next]);
        next = (next + 1) % withPicture.size();
    }
}
BENCHMARK(BM_PictureShownAgain)->Unit(benchmark::kMicrosecond);

// Decoding (checked, converted to ARGB32) and placing one question picture.
void BM_PictureDecodeAndPlace(benchmark::State& state)
{
    const QByteArray bytes = QByteArray::fromStdString(bench::questionPicture());
    for (auto _ : state) {
        const QImage image = store::decodePicture(bytes);
        benchmark::DoNotOptimize(store::pictureOrigin({185, 472}, image.size()));
    }
}
BENCHMARK(BM_PictureDecodeAndPlace)->Unit(benchmark::kMicrosecond);

void BM_PictureFloor_QtDecodeOnly(benchmark::State& state)
{
    const QByteArray bytes = QByteArray::fromStdString(bench::questionPicture());
    for (auto _ : state) {
        QImage image;
        image.loadFromData(bytes, "BMP");
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_PictureFloor_QtDecodeOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// A question text of 1 MB (a damaged or hand-edited file), shown by a text view bound to the bank
// cursor as the learning window shows it: the cursor opens on it, the view lays it out and paints.
// Arg: 0 one paragraph of words, 1 the same in lines of 100 characters. The floor: the cursor alone.
void BM_ShowMegabyteText(benchmark::State& state)
{
    std::string text;
    while (text.size() < 1024 * 1024)
        text += "abordaj ";
    if (state.range(0) == 1)
        for (std::size_t i = 100; i < text.size(); i += 101)
            text[i] = '\n';
    std::vector<fixture::Question> questions = fixture::sampleQuestions(2);
    questions[0].text = text;
    fixture::Folder folder;
    folder.writeDatabase(questions);
    store::Connection connection;
    connection.setFile(store::bankFileIn(folder.path()));
    store::TableCursor cursor("tblIntrebari", "Intrebari");
    cursor.setConnection(&connection);
    store::DataSource source("dsIntrebari", cursor);
    for (auto _ : state) {
        store::DBMemo memo;
        memo.resize(500, 150);
        memo.bind(source, "Intrebare");
        cursor.Open();
        QImage canvas(memo.size(), QImage::Format_ARGB32);
        memo.render(&canvas);
        benchmark::DoNotOptimize(canvas.constBits());
        cursor.Close();
    }
}
BENCHMARK(BM_ShowMegabyteText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
