// Damaged and unusual database files, each put through a whole run of the program as a user would
// make it: start, the learning window, a test started, one answer, "Terminat". For each: what the user
// reads in the error boxes, and whether the file's bytes survive the run (only a sound file may be
// written).

#include <gtest/gtest.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <utility>
#include <vector>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "app/structure_check.h"
#include "learning/frm_inv_colreg.h"
#include "startup/start_up.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/picture.h"
#include "store/sqlite_handle.h"
#include "store/table_cursor.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs SQL on a file through a connection of its own, read-write: only for making fixtures.
void execOn(const std::string& path, const std::string& sql)
{
    fixture::FileConnection(path).exec(sql);
}

// First column of the first row, read without any write (no recovery, no checkpoint).
std::string readOnlyValue(const std::string& path, const std::string& sql)
{
    const store::SqliteHandle db(path, SQLITE_OPEN_READONLY);
    sqlite3_stmt* stmt = nullptr;
    std::string value = "(error)";
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        value = text ? text : "";
    }
    sqlite3_finalize(stmt);
    return value;
}

// A hash of every column of every question: the bank must come out of any run as it went in.
std::string bankDigest(const std::string& path)
{
    const store::SqliteHandle db(path, SQLITE_OPEN_READONLY);
    sqlite3_stmt* stmt = nullptr;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (sqlite3_prepare_v2(db.get(), "SELECT * FROM Intrebari ORDER BY rowid", -1, &stmt, nullptr) != SQLITE_OK)
        return "(unreadable)";
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const int type = sqlite3_column_type(stmt, i);
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, i));
            const QByteArray value(bytes ? bytes : "", sqlite3_column_bytes(stmt, i));
            hash.addData(QByteArray::number(type) + ':' + QByteArray::number(value.size()) + ':' + value);
        }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? hash.result().toHex().toStdString() : "(unreadable)";
}

// The bank every case starts from: 274 questions, every tenth with a picture, so that the file has
// overflow pages and the draw of a test finds every number.
const std::string& pristineBank()
{
    static const std::string bytes = [] {
        std::vector<fixture::Question> questions = fixture::sampleQuestions(274);
        QImage picture(120, 80, QImage::Format_RGB32);
        picture.fill(QColor(10, 90, 160));
        const QByteArray bmp = store::encodeBmp(picture);
        for (std::size_t i = 0; i < questions.size(); i += 10)
            questions[i].picture = bmp.toStdString();
        fixture::Folder folder;
        folder.writeDatabase(questions);
        return readFile(folder.databasePath());
    }();
    return bytes;
}

constexpr std::size_t kPage = 4096;

// A child process runs `sql` on the file and dies without committing or closing, as a killed program
// would: what it leaves beside the file is what the next start finds.
void dieInTheMiddle(const std::string& path, const std::string& sql)
{
#ifdef _WIN32
    // No fork here: the files are taken as they are with the transaction still open, which is what a
    // killed process leaves, and put back once the connection has tidied up after itself.
    store::SqliteHandle db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr);
    std::vector<std::pair<std::string, std::string>> left;
    for (const std::string& file : {path, path + "-journal", path + "-wal"})
        if (fs::exists(file))
            left.emplace_back(file, readFile(file));
    db.close();
    for (const auto& [file, bytes] : left)
        writeFile(file, bytes);
#else
    const pid_t child = fork();
    if (child == 0) {
        // _exit leaves the handle open, as a killed program would: its owner never closes it.
        store::SqliteHandle db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
#endif
}

struct Outcome {
    std::vector<std::string> errors;
    bool firstErrorOverWelcome = false;  // the welcome window was on screen behind the first error box
};

// One run of the program on `folder`, driven as a user would.
Outcome runProgram(const fixture::Folder& folder)
{
    Outcome outcome;
    fixture::ProgramHolder run;
    BoxRecorder recorder(run.kit());
    recorder.whileOpen = [&](const BoxRecorder::Box& box) {
        if (box.kind == BoxRecorder::Kind::Error && recorder.errors().size() == 1)
            outcome.firstErrorOverWelcome = run.frmMain && run.frmMain->isVisible();
    };
    run.kit().resetEndRequest();
    run.build(folder.path());
    auto& [frmMain, frmAlege, frmInv_Colreg, frmColreg_Proc, frmRezultate] = run.windows();
    run.kit().showWindow(frmMain);
    app::checkDatabaseStructureAfterFirstPaint(run.kit(), frmMain, frmMain->data.conColreg);
    // The check runs after the first paint; wait for it as the event loop would.
    for (int i = 0; i < 50 && frmMain->data.conColreg.handle() && !frmMain->data.conColreg.structureChecked(); ++i)
        QTest::qWait(10);
    if (frmMain->data.conColreg.handle()) {
        EXPECT_TRUE(frmMain->data.conColreg.structureChecked()) << "the check ran after the first paint";
    }

    frmMain->bitbtnOK->click();
    frmAlege->Invatare1->trigger();
    frmInv_Colreg->BitbtnInainte->click();
    frmInv_Colreg->Inapoi->click();
    frmAlege->estarecapreciereprocentual1->trigger();
    frmColreg_Proc->Timer2->stop();
    frmColreg_Proc->btnStart->click();
    frmColreg_Proc->rdbtnA->setChecked(true);
    frmColreg_Proc->bitbtnUrmat->click();
    frmColreg_Proc->Terminat->click();
    EXPECT_TRUE(run.kit().endRequested()) << "\"Terminat\" ends the program whatever the file";
    run.destroy();

    for (const QString& error : recorder.errors())
        outcome.errors.push_back(error.toStdString());
    return outcome;
}

// When the first error box showed.
enum class Shown {
    Never,        // the run shows no error at all
    AtStart,      // while the welcome window was being built, before it showed
    OverWelcome,  // over the welcome window: found by the check after its first paint, or later
};

enum class After {
    Unchanged,       // not a byte of the file, nor of a log beside it, changed
    WrittenAsMade,   // written and sound, every question as the case made it, the test emptied by "Terminat"
    WrittenAsSound,  // the same, every question as in the sound bank: an unfinished write left nothing
};

const char* named(Shown shown)
{
    return shown == Shown::Never ? "never" : shown == Shown::AtStart ? "at start" : "over the welcome window";
}

struct Damage {
    const char* name;
    std::function<void(fixture::Folder&)> make;
    // The whole text of the first error box, FILE standing for the database file's path; "" for none.
    std::string firstError;
    Shown shown;
    After after;
};

// The error text with the database file's path, in quotes, written FILE: the path is a new temporary
// folder each run, and its spelling differs between systems.
std::string withFileNamed(const std::string& text)
{
    static const std::regex path("'[^']*Velmaris\\.mdb'");
    return std::regex_replace(text, path, "'FILE'");
}

std::string cut(std::size_t length)
{
    return pristineBank().substr(0, length);
}

// The sound bank, then one statement's damage done through SQLite itself.
std::function<void(fixture::Folder&)> bankAfter(std::string sql)
{
    return [sql = std::move(sql)](fixture::Folder& f) {
        f.writeBytes(pristineBank());
        f.exec(sql);
    };
}

std::string flipped(std::vector<std::size_t> offsets)
{
    std::string bytes = pristineBank();
    for (std::size_t at : offsets)
        bytes[at] = static_cast<char>(bytes[at] ^ 0xff);
    return bytes;
}

TEST(DamagedDatabase, EachRunReportsWhatItFoundAndWritesOnlyASoundFile)
{
    const std::size_t size = pristineBank().size();
    ASSERT_EQ(size % kPage, 0u);
    ASSERT_GT(size / kPage, 20u);
    const std::string advice = store::replaceFileAdvice();
    const auto damaged = [advice](const std::string& found) {
        return "Fișierul bazei de date 'FILE' este deteriorat; programul nu scrie nimic în el. " + advice +
               " (detalii: " + found + ")";
    };
    const std::string malformed = damaged("database disk image is malformed");
    const std::string unreadableTable = "tblIntrebari: Tabela 'Intrebari' nu poate fi citită. " + malformed;
    const std::string notFound = "tblIntrebari: Tabela 'Intrebari' lipsește din baza de date 'FILE'. " + advice;
    const std::string pictureInvalid = "Bitmap image is not valid.";

    const Damage cases[] = {
        {"zero length", [](fixture::Folder& f) { f.writeBytes(""); },
         "Fișierul bazei de date 'FILE' este gol: nu are nicio tabelă. " + advice, Shown::AtStart, After::Unchanged},
        {"a directory", [](fixture::Folder& f) { fs::create_directory(f.databasePath()); },
         "În locul fișierului bazei de date 'FILE' se află un dosar. Mutați dosarul în altă parte, apoi reinstalați "
         "programul sau cereți instructorului o copie a fișierului.",
         Shown::AtStart, After::Unchanged},
        {"cut to one page", [](fixture::Folder& f) { f.writeBytes(cut(kPage)); }, malformed, Shown::AtStart,
         After::Unchanged},
        {"cut to half its pages", [size](fixture::Folder& f) { f.writeBytes(cut(size / kPage / 2 * kPage)); },
         malformed, Shown::AtStart, After::Unchanged},
        // Every page SQLite reads is there: only the structure check finds the file's size wrong.
        {"cut short by 1234 bytes", [size](fixture::Folder& f) { f.writeBytes(cut(size - 1234)); },
         damaged("fișierul are " + std::to_string(size - 1234) + " octeți, nu un număr întreg de pagini de 4096"),
         Shown::OverWelcome, After::Unchanged},
        {"cut inside the first page", [](fixture::Folder& f) { f.writeBytes(cut(1000)); }, malformed, Shown::AtStart,
         After::Unchanged},
        {"page size in the header flipped",
         [](fixture::Folder& f) {
             f.writeBytes(flipped({16, 17}));
         },
         "Fișierul 'FILE' nu este o bază de date Velmaris. " + advice + " (detalii: file is not a database)",
         Shown::AtStart, After::Unchanged},
        {"ten header bytes flipped (page count, free list, schema cookie)",
         [](fixture::Folder& f) {
             f.writeBytes(flipped({28, 29, 30, 31, 32, 35, 36, 39, 40, 43}));
         },
         malformed, Shown::AtStart, After::Unchanged},
        // Nothing the program reads goes through the free list: only the structure check finds this.
        {"free-list count in the header wrong",
         [](fixture::Folder& f) {
             std::string bytes = pristineBank();
             bytes[39] = 5;
             f.writeBytes(bytes);
         },
         damaged("Main freelist: size is 0 but should be 5"), Shown::OverWelcome, After::Unchanged},
        {"b-tree page header flipped",
         [](fixture::Folder& f) {
             f.writeBytes(flipped({kPage + 3, kPage + 4, kPage + 5}));
         },
         unreadableTable, Shown::AtStart, After::Unchanged},
        // The fields after the picture lie beyond it in the chain, so reading the table finds this.
        {"picture overflow chain broken",
         [](fixture::Folder& f) {
             std::string bytes = pristineBank();
             const std::string pixels = "\xa0\x5a\x0a\xa0\x5a\x0a\xa0\x5a\x0a\xa0\x5a\x0a";
             std::size_t page = 2;
             while ((page + 1) * kPage <= bytes.size() && bytes.compare(page * kPage + 4 + 2, 9, pixels, 0, 9) != 0 &&
                    bytes.compare(page * kPage + 4 + 1, 9, pixels, 0, 9) != 0 &&
                    bytes.compare(page * kPage + 4, 9, pixels, 0, 9) != 0)
                 ++page;
             ASSERT_LT((page + 1) * kPage, bytes.size()) << "no overflow page found";
             std::fill(bytes.begin() + page * kPage, bytes.begin() + page * kPage + 4, '\x7f');
             f.writeBytes(bytes);
         },
         unreadableTable, Shown::AtStart, After::Unchanged},
        {"schema page smashed",
         [](fixture::Folder& f) {
             std::string bytes = pristineBank();
             std::fill(bytes.begin() + 100, bytes.begin() + kPage, '\x55');
             f.writeBytes(bytes);
         },
         malformed, Shown::AtStart, After::Unchanged},
        // Shown when the learning window reaches the question; the rest of the run goes on.
        {"picture field holding text",
         bankAfter("UPDATE Intrebari SET Poza = CAST('nu este o poză' AS BLOB) WHERE Nr_Intreb = 1"), pictureInvalid,
         Shown::OverWelcome, After::WrittenAsMade},
        {"picture with a huge header",
         [](fixture::Folder& f) {
             f.writeBytes(pristineBank());
             // 5790 x 5790 run-length pixels promised by a 62-byte file.
             f.exec(
                 "UPDATE Intrebari SET Poza = X'424D3E000000000000003E00000028000000A2160000A2160000010008000100"
                 "0000000000000000000000000000020000000000000000000000FFFFFF00' WHERE Nr_Intreb = 1");
         },
         pictureInvalid, Shown::OverWelcome, After::WrittenAsMade},
        {"Nr_Intreb as text", bankAfter("UPDATE Intrebari SET Nr_Intreb = 'unu' WHERE Nr_Intreb = 1"), "", Shown::Never,
         After::WrittenAsMade},
        {"NULLs everywhere",
         bankAfter("UPDATE Intrebari SET Nr_Intreb = NULL, Intrebare = NULL, Sol1 = NULL, Sol2 = NULL, Sol3 = NULL, "
                   "Poza = NULL, R1 = NULL, R2 = NULL, R3 = NULL, Rb = NULL"),
         "Banca de întrebări nu are nicio întrebare numerotată de la 0 la 273; un test are nevoie de 30.",
         Shown::OverWelcome, After::Unchanged},
        {"wrong columns in ManInt",
         bankAfter("DROP TABLE ManInt; CREATE TABLE ManInt(Id INTEGER PRIMARY KEY, Ceva TEXT)"),
         "tblTest: Tabela 'ManInt' din baza de date 'FILE' nu are câmpurile de care are nevoie programul (lipsesc: "
         "Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb, Rd). " +
             advice,
         Shown::AtStart, After::Unchanged},
        {"missing table", bankAfter("DROP TABLE Intrebari"), notFound, Shown::AtStart, After::Unchanged},
        {"hot journal",
         [](fixture::Folder& f) {
             f.writeBytes(pristineBank());
             dieInTheMiddle(f.databasePath(),
                            "PRAGMA cache_size = 2; BEGIN; UPDATE Intrebari SET Intrebare = hex(randomblob(3000)), "
                            "Poza = NULL;");
             ASSERT_TRUE(fs::exists(f.databasePath() + "-journal"));
         },
         "", Shown::Never, After::WrittenAsSound},
        // The log holds a committed row of ManInt, which "Start" empties like any old row.
        {"hot write-ahead log",
         [](fixture::Folder& f) {
             f.writeBytes(pristineBank());
             execOn(f.databasePath(), "PRAGMA journal_mode = WAL");
             dieInTheMiddle(
                 f.databasePath(),
                 "PRAGMA wal_autocheckpoint = 0; INSERT INTO ManInt(Nr_Intreb, Rb, Rd) VALUES (5, 'A', '?');");
             ASSERT_GT(fs::file_size(f.databasePath() + "-wal"), 0u);
         },
         "", Shown::Never, After::WrittenAsSound},
        {"foreign write-ahead log",
         [](fixture::Folder& f) {
             f.writeBytes(pristineBank());
             execOn(f.databasePath(), "PRAGMA journal_mode = WAL");
             const std::string other = f.path() + "/Alta.db";
             execOn(other, "PRAGMA journal_mode = WAL");
             dieInTheMiddle(other, "PRAGMA wal_autocheckpoint = 0; CREATE TABLE Alta(x); INSERT INTO Alta VALUES (1);");
             fs::copy_file(other + "-wal", f.databasePath() + "-wal");
         },
         notFound, Shown::AtStart, After::Unchanged},
    };

    const std::string pristineDigest = [] {
        fixture::Folder folder;
        folder.writeBytes(pristineBank());
        return bankDigest(folder.databasePath());
    }();

    for (const Damage& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::Folder folder;
        c.make(folder);
        const std::string path = folder.databasePath();
        const bool isFile = fs::is_regular_file(path);
        const std::string before = isFile ? readFile(path) : "";
        const std::string walBefore = fs::exists(path + "-wal") ? readFile(path + "-wal") : "";
        // Read before the run only where no unfinished write waits to be undone.
        const std::string madeDigest = c.after == After::WrittenAsMade ? bankDigest(path) : "";

        const Outcome outcome = runProgram(folder);

        const std::string seen = outcome.errors.empty() ? "" : withFileNamed(outcome.errors.front());
        EXPECT_EQ(seen, c.firstError);
        const Shown shown = outcome.errors.empty()          ? Shown::Never
                            : outcome.firstErrorOverWelcome ? Shown::OverWelcome
                                                            : Shown::AtStart;
        EXPECT_STREQ(named(shown), named(c.shown)) << "when the first error box showed";
        std::cout << "| " << c.name << " | " << (seen.empty() ? "(none)" : seen) << " | ";

        if (c.after == After::Unchanged) {
            EXPECT_EQ(fs::is_regular_file(path), isFile);
            if (isFile) {
                EXPECT_TRUE(readFile(path) == before) << "the file was written";
            }
            if (!walBefore.empty()) {
                EXPECT_TRUE(readFile(path + "-wal") == walBefore) << "the log beside it was written";
            }
            std::cout << (!isFile || readFile(path) == before ? "unchanged" : "CHANGED") << " |\n";
        } else {
            EXPECT_EQ(readOnlyValue(path, "PRAGMA integrity_check"), "ok");
            EXPECT_EQ(bankDigest(path), c.after == After::WrittenAsMade ? madeDigest : pristineDigest)
                << "every question as it was";
            EXPECT_EQ(readOnlyValue(path, "SELECT count(*) FROM ManInt"), "0") << "Terminat emptied the test";
            std::cout << (readFile(path) == before ? "unchanged" : "written, sound") << " |\n";
        }
    }
}

// A file that failed its check refuses every write with a message that says why, and a file that
// failed to open a table refuses them too; a sound file is written.
TEST(DamagedDatabase, WritesAreRefusedWithAReason)
{
    fixture::Folder folder;
    folder.writeBytes(pristineBank());
    const std::string path = folder.databasePath();
    {
        store::Connection connection;
        connection.setFile(store::bankFileIn(folder.path()));
        store::TableCursor test("tblTest", "ManInt");
        test.setConnection(&connection);
        test.Open();
        test.Append();
        test.FieldByName("Rd").setAsString("?");
        test.Post();
        EXPECT_TRUE(connection.structureChecked());
        EXPECT_EQ(connection.checkStructure(), "");
    }
    EXPECT_EQ(readOnlyValue(path, "SELECT count(*) FROM ManInt"), "1");

    writeFile(path, pristineBank().substr(0, pristineBank().size() - 1234));
    const std::string before = readFile(path);
    {
        store::Connection connection;
        connection.setFile(store::bankFileIn(folder.path()));
        store::TableCursor test("tblTest", "ManInt");
        test.setConnection(&connection);
        test.Open();
        test.Append();
        test.FieldByName("Rd").setAsString("?");
        try {
            test.Post();
            ADD_FAILURE() << "a damaged file was written";
        } catch (const store::Error& error) {
            EXPECT_EQ(std::string(error.what())
                          .rfind("tblTest: Înregistrarea nu a putut fi salvată: baza de date '" + path +
                                     "' nu se modifică în această rulare, pentru că este "
                                     "deteriorată. Închideți programul",
                                 0),
                      0u)
                << error.what();
        }
        EXPECT_EQ(test.State(), store::CursorState::Insert) << "the record stays pending";
    }
    EXPECT_TRUE(readFile(path) == before);

    writeFile(path, pristineBank());
    execOn(path, "DROP TABLE Studenti; INSERT INTO ManInt(Nr_Intreb, Rb, Rd) VALUES (1, 'A', '?')");
    const std::string withoutStudents = readFile(path);
    {
        store::Connection connection;
        connection.setFile(store::bankFileIn(folder.path()));
        store::TableCursor test("tblTest", "ManInt");
        store::TableCursor students("tblStudenti", "Studenti");
        test.setConnection(&connection);
        students.setConnection(&connection);
        test.Open();
        EXPECT_THROW(students.Open(), store::Error);
        test.First();
        try {
            test.Delete();
            ADD_FAILURE() << "deleted from a file that failed to open a table";
        } catch (const store::Error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "tblTest: Înregistrarea nu a putut fi ștearsă: baza de date '" + path +
                          "' nu se modifică în această rulare, pentru că nu a putut fi deschisă la pornire. "
                          "Închideți programul, rezolvați ce a arătat mesajul de la pornire și porniți-l din nou.");
        }
    }
    EXPECT_TRUE(readFile(path) == withoutStudents);
}

TEST(DamagedDatabase, TheErrorTextNamesTheFileAndTheWayOut)
{
    const std::string text = store::damagedFileText(
        "/opt/velmaris/Velmaris.mdb",
        "*** in database main ***\nPage 7: btreeInitPage() returns error code 11\nPage 9: never used");
    // What a cadet can do comes before the engine's findings, which only help whoever looks into it.
    EXPECT_EQ(text,
              "Fișierul bazei de date '/opt/velmaris/Velmaris.mdb' este deteriorat; programul nu scrie nimic în "
              "el. Închideți programul, ștergeți fișierul și porniți din nou programul: o copie nouă a băncii de "
              "întrebări îi ia locul. Dacă nu se face una, reinstalați programul sau cereți instructorului o copie "
              "bună a fișierului. (detalii: Page 7: btreeInitPage() returns error code 11 Page 9: never used)");
}

// Every "Terminat" ends the program and the test window's "Înapoi" goes back to the menu, whatever the
// file and whatever the test met on it: the test window's tidying does what the file lets it, and the
// error box says what it could not do.
TEST(DamagedDatabase, EveryTerminatEndsTheProgramAndInapoiLeavesTheTest)
{
    struct File {
        const char* name;
        std::function<void(fixture::Folder&)> make;
        // Done once the first question is answered; a second answer follows it.
        std::function<void(fixture::Folder&)> duringTheTest;
        bool emptied;  // the test window's ways out leave no scratch row
    };
    const File files[] = {
        {"zero length", [](fixture::Folder& f) { f.writeBytes(""); }, nullptr, false},
        {"cut to half its pages",
         [](fixture::Folder& f) { f.writeBytes(cut(pristineBank().size() / kPage / 2 * kPage)); }, nullptr, false},
        {"no picture readable", bankAfter("UPDATE Intrebari SET Poza = CAST('nu este o poză' AS BLOB)"), nullptr, true},
        {"the test's rows deleted by a second program", [](fixture::Folder& f) { f.writeBytes(pristineBank()); },
         [](fixture::Folder& f) { f.exec("DELETE FROM ManInt"); }, true},
    };
    struct Exit {
        const char* name;
        std::function<void(fixture::Windows&)> press;
        bool testWindow;
        bool ends;
    };
    const Exit exits[] = {
        {"the test window's Terminat", [](fixture::Windows& w) { w.frmColreg_Proc->Terminat->click(); }, true, true},
        {"the test window's Înapoi", [](fixture::Windows& w) { w.frmColreg_Proc->Inapoi->click(); }, true, false},
        {"the menu's Terminat", [](fixture::Windows& w) { w.frmAlege->erminat1->trigger(); }, false, true},
        {"the learning window's Terminat", [](fixture::Windows& w) { w.frmInv_Colreg->Terminat->click(); }, false,
         true},
    };
    for (const File& file : files) {
        for (const Exit& exit : exits) {
            SCOPED_TRACE(std::string(file.name) + ", " + exit.name);
            fixture::Folder folder;
            file.make(folder);
            app::Kit kit;
            BoxRecorder recorder(kit);
            fixture::ProgramHolder run(kit);
            run.build(folder.path());
            auto& [frmMain, frmAlege, frmInv_Colreg, frmColreg_Proc, frmRezultate] = run.windows();
            kit.showWindow(frmMain);
            frmMain->bitbtnOK->click();
            frmAlege->estarecapreciereprocentual1->trigger();
            frmColreg_Proc->Timer2->stop();
            frmColreg_Proc->btnStart->click();
            frmColreg_Proc->rdbtnA->setChecked(true);
            frmColreg_Proc->bitbtnUrmat->click();
            if (file.duringTheTest) {
                file.duringTheTest(folder);
                frmColreg_Proc->rdbtnB->setChecked(true);
                frmColreg_Proc->bitbtnUrmat->click();
            }
            const std::size_t errorsBefore = recorder.errors().size();
            exit.press(run.windows());
            if (exit.ends) {
                EXPECT_TRUE(kit.endRequested()) << "the program ends";
            } else {
                EXPECT_FALSE(frmColreg_Proc->isVisible());
                EXPECT_TRUE(frmAlege->isVisible()) << "back at the menu";
            }
            if (exit.testWindow) {
                EXPECT_TRUE(frmColreg_Proc->btnStart->isEnabled());
                if (file.emptied) {
                    EXPECT_EQ(readOnlyValue(folder.databasePath(), "SELECT count(*) FROM ManInt"), "0");
                    EXPECT_EQ(recorder.errors().size(), errorsBefore) << "nothing left undone to report";
                }
            } else {
                EXPECT_EQ(recorder.errors().size(), errorsBefore) << "these end without a word";
            }
            run.destroy();
        }
    }
}

}  // namespace
