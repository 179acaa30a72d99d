#include <gtest/gtest.h>

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "store/connection.h"
#include "store/error.h"
#include "store/table_cursor.h"
#include "tests/support/fixture_db.h"

// The database file shared with other processes: a lock held elsewhere, a read-only file, a crash.
namespace {

// Another process holds the write lock: the write waits briefly, then reports, and the record stays
// pending so that nothing is lost; once the lock is gone the same Post goes through.
TEST(LockedFile, WriteWaitsThenReportsAndKeepsThePendingRecord)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(2));
    store::Connection connection;
    connection.setConnectionString(store::connectionStringFor(folder.path()));
    store::TableCursor cursor("tblTest", "ManInt");
    cursor.setConnection(&connection);
    cursor.Open();

    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(folder.databasePath().c_str(), &db);
        sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        char c = 1;
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);

    cursor.Append();
    cursor.FieldByName("Rd").setAsString("?");
    try {
        cursor.Post();
        ADD_FAILURE() << "Post went through a locked file";
    } catch (const store::Error& error) {
        EXPECT_NE(std::string(error.what()).find("is locked by another program"), std::string::npos) << error.what();
    }
    EXPECT_EQ(cursor.State(), store::CursorState::Insert);
    EXPECT_EQ(cursor.FieldByName("Rd").AsString(), "?");

    (void)!write(release[1], &c, 1);
    int status = 0;
    waitpid(child, &status, 0);
    cursor.Post();
    EXPECT_EQ(folder.count("ManInt"), 1);
}

// Root ignores permission bits, so the read-only case runs in a child that has given up root.
TEST(ReadOnlyFile, WriteReportsAndNothingIsHalfWritten)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(2));
    chmod(folder.path().c_str(), 0755);
    chmod(folder.databasePath().c_str(), 0444);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(10);
        store::Connection connection;
        connection.setConnectionString(store::connectionStringFor(folder.path()));
        store::TableCursor cursor("tblIntrebari", "Intrebari");
        cursor.setConnection(&connection);
        try {
            cursor.Open();
            cursor.Edit();
            cursor.FieldByName("Intrebare").setAsString("schimbat");
            cursor.Post();
            _exit(11);
        } catch (const store::Error& error) {
            const std::string message = error.what();
            if (message.find("tblIntrebari: Cannot store the record: the database") != 0 ||
                message.find("is read-only") == std::string::npos)
                _exit(12);
            if (cursor.State() != store::CursorState::Edit)
                _exit(13);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0], "Întrebarea 0");
}

// Each Post is its own committed transaction: a process killed at any moment leaves a file that passes
// SQLite's integrity check and holds only whole records.
TEST(Crash, LeavesTheFileConsistent)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(1));
    for (int round = 0; round < 3; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            store::Connection connection;
            connection.setConnectionString(store::connectionStringFor(folder.path()));
            store::TableCursor cursor("tblTest", "ManInt");
            cursor.setConnection(&connection);
            cursor.Open();
            for (int i = 0;; ++i) {
                cursor.Append();
                cursor.FieldByName("Intrebare").setAsString(std::string(3000, 'x'));
                cursor.FieldByName("Rb").setAsString("A");
                cursor.FieldByName("Rd").setAsString("?");
                cursor.Post();
                if (i % 7 == 6) {
                    cursor.First();
                    cursor.Delete();
                }
            }
        }
        usleep(40000 + round * 30000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(folder.column("PRAGMA integrity_check")[0], "ok");
        EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE length(Intrebare) <> 3000 OR Rb IS NULL "
                                "OR Rd IS NULL")[0],
                  "0");
    }
}

}  // namespace
