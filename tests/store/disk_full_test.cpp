// A disk that fills up while the program writes. The file system is simulated under SQLite (a VFS that
// passes everything to the real one and answers "disk full" once a budget of written bytes is spent),
// so the test needs no mount and fails at exactly the byte it chooses.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "store/connection.h"
#include "store/error.h"
#include "store/table_cursor.h"
#include "tests/support/fixture_db.h"
#include "tests/support/pass_through_vfs.h"

namespace {

sqlite3_int64 freeBytes = -1;  // negative: unlimited

// Installs, for the whole test program, a file system that passes everything to the real one and fails
// a write with "disk full" once the free space is spent.
void installLimitedDisk()
{
    fixture::installPassThroughVfs({.write = [](int amount) {
        if (freeBytes >= 0) {
            if (amount > freeBytes)
                return SQLITE_FULL;
            freeBytes -= amount;
        }
        return SQLITE_OK;
    }});
}

struct FreeSpace {
    explicit FreeSpace(sqlite3_int64 bytes)
    {
        installLimitedDisk();
        freeBytes = bytes;
    }
    ~FreeSpace() { freeBytes = -1; }
};

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// "Start"'s copy, as the test window makes it: a record appended and posted per question. The disk
// fills up part of the way: the failing Post reports the disk, keeps its record pending, and leaves a
// file that passes the integrity check, with every question as it was and only whole copies.
TEST(DiskFull, AppendsStopWithAClearErrorAndTheFileStaysSound)
{
    installLimitedDisk();  // the program's connection must open through it
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(40));
    const std::string questionsBefore = folder.column("SELECT group_concat(Intrebare, '|') FROM Intrebari")[0];

    store::Connection connection;
    connection.setFile(store::bankFileIn(folder.path()));
    store::TableCursor test("tblTest", "ManInt");
    test.setConnection(&connection);
    test.Open();
    // The structure check and the switch to writing happen before the space runs out.
    connection.ensureWritable();

    const std::string text(3000, 'q');
    int stored = 0;
    std::string failure;
    {
        FreeSpace space(40 * 1024);
        for (int i = 0; i < 30 && failure.empty(); ++i) {
            test.Append();
            test.FieldByName("Nr_Intreb").setAsString(std::to_string(i));
            test.FieldByName("Intrebare").setAsString(text);
            test.FieldByName("Rb").setAsString("A");
            test.FieldByName("Rd").setAsString("?");
            try {
                test.Post();
                ++stored;
            } catch (const store::Error& error) {
                failure = error.what();
            }
        }
    }
    ASSERT_FALSE(failure.empty()) << "the disk never filled up";
    EXPECT_GT(stored, 0);
    EXPECT_EQ(failure,
              "tblTest: Înregistrarea nu a putut fi salvată: discul este plin. Faceți loc pe disc, apoi încercați din "
              "nou. (detalii: database or disk is full)");
    EXPECT_EQ(test.State(), store::CursorState::Insert) << "the record that failed stays pending";
    EXPECT_EQ(test.RecordCount(), stored);

    EXPECT_EQ(folder.column("PRAGMA integrity_check")[0], "ok");
    EXPECT_EQ(folder.count("ManInt"), stored) << "nothing half-stored";
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE length(Intrebare) <> 3000 OR Rd <> '?'")[0], "0");
    EXPECT_EQ(folder.column("SELECT group_concat(Intrebare, '|') FROM Intrebari")[0], questionsBefore);

    // Space again: the same pending record goes through.
    test.Post();
    EXPECT_EQ(folder.count("ManInt"), stored + 1);
}

// A file that cannot be written at all, as the program finds it at start-up. Opening and reading work;
// every write reports the disk and the file keeps every byte.
TEST(DiskFull, ANoSpaceDiskRefusesEveryWriteAndChangesNothing)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(3), 2);
    const std::string before = bytesOf(folder.databasePath());

    FreeSpace space(0);
    store::Connection connection;
    connection.setFile(store::bankFileIn(folder.path()));
    store::TableCursor bank("tblIntrebari", "Intrebari");
    store::TableCursor test("tblTest", "ManInt");
    bank.setConnection(&connection);
    test.setConnection(&connection);
    bank.Open();
    test.Open();
    EXPECT_EQ(bank.RecordCount(), 3);

    const auto expectFull = [](const std::function<void()>& write, const std::string& message) {
        try {
            write();
            ADD_FAILURE() << "wrote to a full disk";
        } catch (const store::Error& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    };
    bank.Edit();
    bank.FieldByName("Intrebare").setAsString("schimbată");
    expectFull([&] { bank.Next(); },
               "tblIntrebari: Înregistrarea nu a putut fi salvată: discul este plin. Faceți loc pe disc, apoi "
               "încercați din nou. (detalii: database or disk is full)");
    EXPECT_EQ(bank.State(), store::CursorState::Edit);
    expectFull([&] { test.Delete(); },
               "tblTest: Înregistrarea nu a putut fi ștearsă: discul este plin. Faceți loc pe disc, apoi încercați din "
               "nou. (detalii: database or disk is full)");
    EXPECT_EQ(test.RecordCount(), 2);

    EXPECT_TRUE(bytesOf(folder.databasePath()) == before);
    EXPECT_FALSE(std::filesystem::exists(folder.databasePath() + "-journal")) << "no journal left behind";
}

}  // namespace
